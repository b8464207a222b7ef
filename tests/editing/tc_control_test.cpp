// Closing and restarting the stand-in TC around a save, and the placeholders of
// the user's commands.
#include "editing/launch.h"
#include "editing/tc_control.h"
#include "editing_test_util.h"
#include "foundation/encoding.h"

namespace {

struct TcFolder {
    std::wstring dir = FreshTempDir(L"tcrun");
    std::wstring exe = dir + (sizeof(void*) == 8 ? L"\\TOTALCMD64.EXE" : L"\\TOTALCMD.EXE");
    std::vector<PROCESS_INFORMATION> started;
    TcFolder() {
        CopyFileW(BuildPath(sizeof(void*) == 8 ? L"fakes\\tc\\TOTALCMD64.EXE" : L"fakes\\tc\\TOTALCMD.EXE").c_str(),
                  exe.c_str(), FALSE);
    }
    ~TcFolder() {
        for (HWND w : TcWindows()) PostMessageW(w, WM_CLOSE, 0, 0);
        for (auto& p : started) {
            TerminateProcess(p.hProcess, 0);
            CloseHandle(p.hProcess);
            CloseHandle(p.hThread);
        }
        WaitForNoWindow();
        RemoveTree(dir);
    }
    void Start(const std::wstring& args) {
        size_t before = TcWindows().size();
        std::wstring line = Quote(exe) + L" " + args;
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi;
        REQUIRE(CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi));
        started.push_back(pi);
        WaitForWindows(before + 1);
    }
    static void WaitForWindows(size_t n) {
        for (int i = 0; i < 200 && TcWindows().size() < n; ++i) Sleep(50);
        REQUIRE(TcWindows().size() == n);
    }
    static void WaitForNoWindow() {
        for (int i = 0; i < 200 && !TcWindows().empty(); ++i) Sleep(50);
    }
    std::vector<std::wstring> CommandLines() const {
        std::wstring text = Utf8ToWide(ReadFileBytes(dir + L"\\cmdline.txt"));
        std::vector<std::wstring> lines;
        for (size_t at = 0, nl; (nl = text.find(L'\n', at)) != std::wstring::npos; at = nl + 1)
            lines.push_back(text.substr(at, nl - at));
        return lines;
    }
};

// Returns from WM_PAINT without validating, so the system sends it again at once.
LRESULT CALLBACK NeverPaintedProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return m == WM_PAINT ? 0 : DefWindowProcW(w, m, wp, lp);
}

std::wstring ArgsOf(const std::wstring& cmdline) { return cmdline.substr(cmdline.find(L".EXE\"") + 6); }

}  // namespace

TEST_SUITE("windows") {
    TEST_CASE("a save closes TC, writes changes of every kind and starts TC again as it ran") {
        TcFolder tc;
        WriteFileBytes(tc.dir + L"\\own.ini", "[Configuration]\r\n");
        std::wstring ownArgs = L"/i=" + Quote(tc.dir + L"\\own.ini");
        tc.Start(ownArgs);
        tc.Start(ownArgs);  // the same TC twice: started again once
        // The program has another wincmd.ini open; TC keeps its own.
        SaveFixture f(L"tc_other", Scenario);
        MarkEverything(f);
        bool restarted = false;
        SaveRequest request;
        request.confirmed = 1;
        request.afterRestart = [&] { restarted = true; };
        SaveChanges(SaveFixture::Host, nullptr, request);
        TcFolder::WaitForWindows(1);
        CHECK(restarted);
        CHECK(f.Lines(0) == ListerAfter);
        CHECK(SaveFixture::Shown == std::vector<std::wstring>{L"Changes saved: 6."});
        std::vector<std::wstring> lines = tc.CommandLines();
        REQUIRE(lines.size() == 3);
        CHECK(ArgsOf(lines[2]) == ownArgs);
    }

    TEST_CASE("after a close time-out the TCs that did close are started again") {
        TcFolder tc;
        tc.Start(L"/stay");
        tc.Start(L"/n");
        std::vector<TcRun> restart;
        CHECK_FALSE(CloseAllTc(restart, 5000));
        REQUIRE(restart.size() == 1);
        CHECK(restart[0].args == L"/n");
        StartTcExe(restart[0]);
        TcFolder::WaitForWindows(2);
        CHECK(ArgsOf(tc.CommandLines().back()) == L"/n");
    }

    TEST_CASE("waiting for TC ends at its time-out while a window of the program keeps asking to be painted") {
        TcFolder tc;
        tc.Start(L"/stay");
        WNDCLASSW wc{};
        wc.lpfnWndProc = NeverPaintedProc;
        wc.lpszClassName = L"NeverPainted";
        RegisterClassW(&wc);
        HWND unpainted = CreateWindowW(L"NeverPainted", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                       nullptr, nullptr, nullptr, nullptr);
        InvalidateRect(unpainted, nullptr, TRUE);
        std::vector<TcRun> restart;
        CHECK_FALSE(CloseAllTc(restart, 1000));
        DestroyWindow(unpainted);
    }

    TEST_CASE("a TC whose command line is unknown starts on the wincmd.ini TC runs on") {
        TcFolder tc;
        SaveFixture f(L"tc_unknown", L"");  // the program has another wincmd.ini open
        TcOwnIniPath = tc.dir + L"\\own.ini";
        StartTcExe(TcRun{tc.exe, L"", false, {}});
        TcFolder::WaitForWindows(1);
        TcOwnIniPath = tc.dir + L"\\wincmd.ini";
        StartTcExe(TcRun{tc.exe, L"", false, {}});
        TcFolder::WaitForWindows(2);
        TcOwnIniPath.clear();
        std::vector<std::wstring> lines = tc.CommandLines();
        REQUIRE(lines.size() == 2);
        CHECK(ArgsOf(lines[0]) == L"/i=" + Quote(tc.dir + L"\\own.ini"));
        CHECK(StrTrim(lines[1]).ends_with(L".EXE\""));  // beside it: no switch
    }
}

TEST_CASE("placeholders are expanded in one pass, each value quoted once") {
    PlugRef ref = MakePluginRef(L"my%fplugin", L"C:\\p\\x.wlx");
    CHECK(ExpandCmdVars(L"%f", ref, L"", true) == L"\"C:\\p\\x.wlx\"");
    CHECK(ExpandCmdVars(L"\"%f\" %d", ref, L"", true) == L"\"C:\\p\\x.wlx\" \"C:\\p\"");
    CHECK(ExpandCmdVars(L"-n %n -e %e %x", ref, L"%e%d", false) == L"-n my%fplugin -e %e%d %x");
    CHECK(ExpandCmdVars(L"%%f", ref, L"", false) == L"%C:\\p\\x.wlx");
}
