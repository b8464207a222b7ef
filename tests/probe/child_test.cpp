// The runner and the two child modes, run for real: the test program starts itself.
#include "probe_test_support.h"  // windows.h before tlhelp32.h
#include <tlhelp32.h>

#include <atomic>
#include <cmath>
#include <mutex>
#include <tuple>
#include <vector>

namespace {

PvPlugin Fields(const std::wstring& plugin, const std::wstring& file, ChildRun* runOut = nullptr) {
    ChildRun run = RunSelf({L"/fields", plugin, file, L"C:\\tc\\contplug.ini"});
    PvPlugin row;
    ParseFieldsOutput(row, run);
    if (runOut) *runOut = run;
    return row;
}

const FieldDef* FieldNamed(const PvPlugin& row, const std::wstring& name) {
    for (const FieldDef& f : row.fields)
        if (f.name == name) return &f;
    return nullptr;
}

// With every core busy, a start is now and then refused for a moment (under Wine:
// CreateProcessW with ERROR_INTERNAL_ERROR); the runner must still start every child.
constexpr int BurstThreads = 8, BurstStartsEach = 40;

struct Burst {
    std::wstring plugin;
    std::atomic<int> answered{0};
    std::mutex lock;
    std::vector<std::string> failures;  // what went wrong instead of each missing answer
};

DWORD WINAPI BurstThread(LPVOID param) {
    Burst& burst = *static_cast<Burst*>(param);
    for (int i = 0; i < BurstStartsEach; ++i) {
        ChildRun run;
        RunChildCapture(run, {L"/probe", burst.plugin, L"L"}, L"", 60000, L"");
        if (run.started && run.output == "OK\nEXT=\"TXT\" | EXT=\"LOG\"") {
            ++burst.answered;
            continue;
        }
        std::string why = run.started ? "answered: " + run.output
                                      : StrToUtf8(run.failedCall) + " failed, error " + std::to_string(run.startError);
        std::lock_guard<std::mutex> hold(burst.lock);
        burst.failures.push_back(why);
    }
    return 0;
}

std::vector<std::wstring> ValueTexts(const FieldDef* field) {
    std::vector<std::wstring> texts;
    for (const FieldValue& v : field ? field->values : std::vector<FieldValue>{}) texts.push_back(v.text);
    return texts;
}

}  // namespace

TEST_CASE("the runner delivers all output, bounds it and ends children in time") {
    ChildRun run = RunSelf({L"--kv-print-bytes"});  // more than the pipe holds, whole and in order
    CHECK((run.started == 1 && run.exitCode == 5 && run.timedOut == 0));
    REQUIRE(run.output.size() == 200000);
    for (int i = 0; i < 200; ++i) CHECK(run.output[i * 1000] == 'a' + i % 26);
    // Past its time: ended with code 1, its output kept. The time covers the child's
    // start, which takes seconds under Wine on a busy machine.
    run = RunSelf({L"--kv-hang"}, 8000);
    CHECK((run.timedOut == 1 && run.exitCode == 1 && run.output == "waiting\n"));
    run = RunSelf({L"--kv-print-forever"}, 120000);  // cut off at the limit
    CHECK((run.output.size() == ChildOutputLimit && run.exitCode == 1 && run.timedOut == 0));
    // A start that fails for good names its call and error at once.
    RunChildCapture(run, {}, L"", 1000, L"Z:\\no\\such\\program.exe");
    CHECK((run.started == 0 && run.output.empty() && run.exitCode == 0));
    CHECK((run.failedCall == L"CreateProcessW" && (run.startError == ERROR_FILE_NOT_FOUND || run.startError == ERROR_PATH_NOT_FOUND)));
}

TEST_CASE("children started from eight threads at once all start and answer") {
    Burst burst;
    burst.plugin = FakePlugin(L"lister", L"wlx");
    HANDLE threads[BurstThreads];
    for (HANDLE& thread : threads) REQUIRE((thread = CreateThread(nullptr, 0, BurstThread, &burst, 0, nullptr)));
    WaitForMultipleObjects(BurstThreads, threads, TRUE, INFINITE);
    for (HANDLE thread : threads) CloseHandle(thread);
    CHECK(burst.failures == std::vector<std::string>{});
    CHECK(burst.answered == BurstThreads * BurstStartsEach);
}

TEST_CASE("children still running end with the program that started them") {
    std::wstring folder = FreshTempDir(L"orphans");
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    REQUIRE(CopyInto(self, folder, L"kvorphan.exe"));
    CHECK(RunSelf({L"--kv-leave-child", folder + L"\\kvorphan.exe"}).exitCode == 0);
    auto running = [] {
        int count = 0;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
            count += lstrcmpiW(entry.szExeFile, L"kvorphan.exe") == 0;
        CloseHandle(snapshot);
        return count;
    };
    // The system ends the orphan soon after its parent; allow it a moment.
    for (int i = 0; i < 100 && running() > 0; ++i) Sleep(100);
    CHECK(running() == 0);
}

TEST_CASE("the /probe child ends at once after its answer, in this build's bitness too") {
    const std::tuple<const wchar_t*, const char*, uint32_t> cases[] = {
        {L"lister_unload", "OK\nEXT=\"TXT\" | EXT=\"LOG\"", 0}, {L"crash", "CRASH\n", 3}, {L"missingdep", "LOADFAIL 126\n", 2}};
    for (const auto& [name, output, code] : cases) {
        ChildRun run = RunSelf({L"/probe", FakePlugin(name, L"wlx"), L"L"});
        CHECK((run.output == output && run.exitCode == code));
    }
}

TEST_CASE("the /fields child reports every field type with its values") {
    std::wstring file = L"C:\\some folder\\picture.jpg";
    SUBCASE("all types, units and value codes of a wide plugin") {
        ChildRun run;
        PvPlugin row = Fields(FakePlugin(L"content", L"wdx"), file, &run);
        CHECK((row.state == PvAnsweredOk && run.timedOut == 0));
        REQUIRE(row.fields.size() == 17);
        CHECK(row.fields[16].index == 16);
        const std::tuple<const wchar_t*, int, std::vector<std::wstring>> wants[] = {
            {L"Int32", 1, {L"-42"}},
            {L"Int64", 2, {L"1234567890123"}},
            {L"Size", 3, {L"1536", L"1,5", L"0"}},
            {L"Ratio", 3, {L"one and a quarter below zero"}},
            {L"Date", 4, {L"2024-02-29"}},
            {L"Time", 5, {L"13:05:09"}},
            {L"Flag", 6, {L"1"}},
            {L"Colour", 7, {L"red", L"green", L"red"}},
            {L"File", 8, {file}},
            {L"Body", 9, {}},
            {L"Wide", 11, {L"Gr\u00fc\u00dfe zwei"}},
            {L"Empty", 8, {L""}},
            {L"Tab Name", 8, {L"line  break"}},
            {L"Later", 8, {L""}},
            {L"Huge", 3, {L"10000000000000000"}},
        };
        for (const auto& [name, type, values] : wants) {
            CAPTURE(StrToUtf8(name));
            const FieldDef* field = FieldNamed(row, name);
            REQUIRE(field);
            CHECK((field->type == type && ValueTexts(field) == values));
        }
        CHECK(FieldNamed(row, L"Size")->units == std::vector<std::wstring>{L"bytes", L"KB", L"MB"});
        CHECK(FieldNamed(row, L"Tab Name")->units == std::vector<std::wstring>{L"a b"});
        CHECK((FieldNamed(row, L"Empty")->values[0].result == -3 && FieldNamed(row, L"Later")->values[0].result == -4));
        const FieldDef* many = FieldNamed(row, L"Many");
        REQUIRE(many->values.size() == 16);
        CHECK((many->units.size() == 20 && many->values[15].text == L"15"));
        std::wstring stamp = ValueTexts(FieldNamed(row, L"Stamp")).at(0);
        CHECK((stamp.size() == 19 && stamp.starts_with(L"2021-06-1")));
        row = Fields(FakePlugin(L"content", L"wdx"), L"");  // without a file only the fields come
        CHECK((row.state == PvAnsweredOk && row.fields.size() == 17));
        for (const FieldDef& f : row.fields) CHECK(f.values.empty());
    }
    SUBCASE("an ANSI plugin with 600 fields is cut at 500") {
        PvPlugin row = Fields(FakePlugin(L"content_many", L"wdx"), file);
        REQUIRE((row.state == PvAnsweredOk && row.fields.size() == 500));
        CHECK((row.fields.back().index == 499 && ValueTexts(&row.fields[3]) == std::vector<std::wstring>{L"30"}));
    }
    SUBCASE("a drive root as the file and blanks in the INI path keep every argument in its place") {
        CHECK(ValueTexts(FieldNamed(Fields(FakePlugin(L"content", L"wdx"), L"C:\\"), L"File")) ==
              std::vector<std::wstring>{L"C:\\"});
        PvPlugin row;
        ParseFieldsOutput(row, RunSelf({L"/fields", FakePlugin(L"record", L"wlx"), L"a \\\"b\\", L"C:\\tc dir\\c.ini"}));
        CHECK(ValueTexts(FieldNamed(row, L"File")) ==
              std::vector<std::wstring>{L"C size=272 version=2.12 ini=C:\\tc dir\\c.ini"});
    }
    SUBCASE("the plugin gets TC's contplug.ini") {
        CHECK(ValueTexts(FieldNamed(Fields(FakePlugin(L"record", L"wlx"), file), L"File")) ==
              std::vector<std::wstring>{L"C size=272 version=2.12 ini=C:\\tc\\contplug.ini"});
    }
    SUBCASE("a plugin that hangs while unloaded still answers completely and at once") {
        ChildRun run;
        CHECK(Fields(FakePlugin(L"content_unload", L"wdx"), file, &run).state == PvAnsweredOk);
        CHECK((run.timedOut == 0 && run.output.ends_with("END\n")));
    }
    SUBCASE("failures end in their states") {
        ChildRun run;
        PvPlugin crashed = Fields(FakePlugin(L"content_crash", L"wdx"), file, &run);
        CHECK((crashed.state == PvCrashed && crashed.fields.size() == 1 && run.exitCode == 3));
        CHECK(Fields(FakePlugin(L"lister", L"wlx"), file).state == PvNotContent);
        PvPlugin failed = Fields(FakePlugin(L"failattach", L"wlx"), file);
        CHECK((failed.state == PvLoadFailure && failed.error == L"1114"));
    }
}

TEST_CASE("field lines are read leniently but never mistaken") {
    ChildRun run;
    run.output = "OK\nF\t0\t1\tA\t\nV\t0\t0\t1\t7\nV\t9\t0\t1\tlost\nF\t1\t8\tB\tx||y\nJUNK\nEND\n";
    PvPlugin row;
    ParseFieldsOutput(row, run);
    REQUIRE((row.state == PvAnsweredOk && row.fields.size() == 2));
    CHECK((row.fields[0].units.empty() && ValueTexts(&row.fields[0]) == std::vector<std::wstring>{L"7"}));
    CHECK(row.fields[1].units == std::vector<std::wstring>{L"x", L"", L"y"});
    run.timedOut = 1;  // a complete list stays complete when the child was ended late
    ParseFieldsOutput(row, run);  // and a row asked again lists each field once
    CHECK((row.state == PvAnsweredOk && row.fields.size() == 2 && row.fields[0].values.size() == 1));
    run.output = "OK\nF\t0\t1\tA\t\n";  // without END a time-out is a time-out and anything else a crash
    ParseFieldsOutput(row, run);
    CHECK(row.state == PvTimeLimit);
    run.timedOut = 0;
    ParseFieldsOutput(row, run);
    CHECK(row.state == PvCrashed);
}

TEST_CASE("floating-point field values") {
    const std::pair<double, const char*> cases[] = {
        {-1.25, "-1,25"}, {1e16, "10000000000000000"}, {0.0000004, "0"},  {2.5, "2,5"},
        {3.0, "3"},       {0.9999996, "1"},            {-0.000125, "-0,000125"}, {std::nan(""), "NaN"},
        {-0.0000004, "0"}, {-0.0, "0"},
    };
    for (const auto& [value, text] : cases) CHECK(FieldDoubleText(value) == text);
}
