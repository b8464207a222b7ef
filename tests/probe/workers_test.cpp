// The worker threads against a message-only window standing in for the main window.
#include <windows.h>

#include <doctest/doctest.h>

#include <array>
#include <atomic>
#include <memory>

#include "foundation/encoding.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"
#include "probe/background_probe.h"
#include "probe/workers.h"
#include "probe_test_support.h"
#include "support/test_support.h"
#include "views/view_state.h"

namespace {

struct Seen {
    UINT message;
    uint32_t generation;
    int64_t row;  // row, id or index
    int status;   // probe status or preview state
    size_t count; // fields or names
    WPARAM wParam;
    LPARAM lParam;
    uint8_t flag; // last or ok
    wchar_t text[32];
};

// Fixed storage, so that what the window keeps allocates nothing.
std::array<Seen, 16> seen;
size_t seenCount = 0;

void Keep(const Seen& s) {
    if (seenCount < seen.size()) seen[seenCount++] = s;
}

void CopyText(wchar_t (&to)[32], const std::wstring& from) { lstrcpynW(to, from.c_str(), 32); }

// Applies and frees each record, as the main window does.
LRESULT CALLBACK CollectorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Seen s{message, 0, 0, 0, 0, wParam, lParam, 0, {}};
    switch (message) {
    case MsgProbeResult: {
        std::unique_ptr<ProbeMsg> msg(reinterpret_cast<ProbeMsg*>(lParam));
        s.generation = msg->generation, s.row = msg->row, s.status = msg->result.status;
        CopyText(s.text, msg->result.answer);
        break;
    }
    case MsgBackgroundDone: break;
    case MsgDetailsResult: {
        std::unique_ptr<DetailsMsg> msg(reinterpret_cast<DetailsMsg*>(lParam));
        s.generation = msg->generation, s.row = msg->id, s.flag = msg->last;
        CopyText(s.text, msg->values[6]);
        break;
    }
    case MsgFieldValues: {
        std::unique_ptr<FieldValuesMsg> msg(reinterpret_cast<FieldValuesMsg*>(lParam));
        s.generation = msg->generation, s.row = msg->index, s.status = msg->result.state;
        s.count = msg->result.fields.size();
        break;
    }
    case MsgFieldList: {
        std::unique_ptr<FieldListMsg> msg(reinterpret_cast<FieldListMsg*>(lParam));
        s.count = msg->names.size(), s.flag = msg->ok;
        CopyText(s.text, msg->first + msg->third);
        break;
    }
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
    Keep(s);
    return 0;
}

HWND CollectorWindow() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = CollectorProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KvWorkerCollector";
        return RegisterClassW(&wc) != 0;
    }();
    REQUIRE(registered);
    return CreateWindowExW(0, L"KvWorkerCollector", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// Runs the worker to its end while the window takes its messages; gives how many
// allocations outlived the run.
template <typename MakeJob>
long RunWorker(LPTHREAD_START_ROUTINE proc, MakeJob makeJob, void (*whileRunning)() = nullptr) {
    seenCount = 0;
    long before = LiveAllocations;
    auto* job = makeJob();
    HANDLE thread = CreateThread(nullptr, 0, proc, job, 0, nullptr);
    REQUIRE(thread);
    if (whileRunning) whileRunning();
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    CloseHandle(thread);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return LiveAllocations - before;
}

ProbeJob* NewProbeJob(HWND window, uint32_t generation, uint32_t kind, uint8_t background,
                      std::vector<ProbeItem> items) {
    return new ProbeJob{window, generation, kind, background, std::move(items)};
}

PvPlugin RowFor(const std::wstring& path) {
    PvPlugin row;
    row.path = path;
    return row;
}

// Whatever a first run leaves behind for good (cached folders, texts) is made
// before anything is counted.
void WarmUp(HWND window) {
    RunWorker(ProbeThreadProc, [&] { return NewProbeJob(window, ++ProbeGen, 0, 0, {{0, Configured(L"lister", L"wlx")}}); });
    RunWorker(PreviewFieldsThread, [&] { return new FieldsJob{window, ++PvFieldsGen, L"", {{0, RowFor(Configured(L"content", L"wdx"))}}}; });
    RunWorker(DetailsThreadProc, [&] { return new DetailsJob{window, ++XcolGen, {{0, Configured(L"lister", L"wlx")}}}; });
}

}  // namespace

// A 32-bit build asks plugins only through a twin, which it does not have.
TEST_CASE("workers post one record per item, each freed once" * doctest::skip(sizeof(void*) != 8)) {
    UseTestSettings();
    HWND window = CollectorWindow();
    WarmUp(window);
    std::wstring lister = Configured(L"lister", L"wlx"), content = Configured(L"content", L"wdx");

    SUBCASE("a tab's probe job") {
        uint32_t gen = ++ProbeGen;
        CHECK(RunWorker(ProbeThreadProc, [&] { return NewProbeJob(window, gen, 0, 0, {{4, lister}, {9, L"Z:\\gone.wlx"}}); }) == 0);
        REQUIRE(seenCount == 3);
        CHECK(seen[0].message == MsgProbeResult);
        CHECK((seen[0].row == 4 && seen[0].status == ProbeOk && seen[0].generation == gen));
        CHECK(std::wstring(seen[0].text) == L"EXT=\"TXT\" | EXT=\"LOG\"");
        CHECK((seen[1].row == 9 && seen[1].status == ProbeMissing));
        CHECK((seen[2].message == MsgBackgroundDone && seen[2].wParam == gen && seen[2].lParam == 0));
    }
    SUBCASE("a background job answers to its own counter") {
        uint32_t gen = ++BgProbeGen;
        ++ProbeGen;
        CHECK(RunWorker(ProbeThreadProc, [&] { return NewProbeJob(window, gen, 2, 1, {{0, Configured(L"packer", L"wcx")}}); }) == 0);
        REQUIRE(seenCount == 2);
        CHECK((seen[0].row == -1 && seen[0].status == ProbeOk));
        CHECK(std::wstring(seen[0].text) == L"12");
        CHECK((seen[1].message == MsgBackgroundDone && seen[1].wParam == gen && seen[1].lParam == 3));
    }
    SUBCASE("extra-column details") {
        uint32_t gen = ++XcolGen;
        CHECK(RunWorker(DetailsThreadProc, [&] { return new DetailsJob{window, gen, {{7, lister}, {8, content}}}; }) == 0);
        REQUIRE(seenCount == 2);
        CHECK((seen[0].row == 7 && seen[0].flag == 0 && seen[0].generation == gen));
        CHECK(std::wstring(seen[0].text) == L"Lister");
        CHECK((seen[1].row == 8 && seen[1].flag == 1));
        CHECK(std::wstring(seen[1].text) == L"Content");
    }
    SUBCASE("preview fields") {
        uint32_t gen = ++PvFieldsGen;
        auto job = [&] { return new FieldsJob{window, gen, L"C:\\x.jpg", {{3, RowFor(content)}, {5, RowFor(lister)}}}; };
        CHECK(RunWorker(PreviewFieldsThread, job) == 0);
        REQUIRE(seenCount == 2);
        CHECK((seen[0].row == 3 && seen[0].status == PvAnsweredOk && seen[0].count == 17));
        CHECK((seen[1].row == 5 && seen[1].status == PvNotContent));
    }
    SUBCASE("the field-list scan runs to its end whatever the preview does") {
        auto job = [&] { return new FieldScanJob{window, {{L"a", content, L"b"}, {L"c", L"Z:\\gone.wdx", L"d"}}}; };
        CHECK(RunWorker(FieldScanThreadProc, job, [] { ++PvFieldsGen; }) == 0);
        REQUIRE(seenCount == 2);
        CHECK((seen[0].count == 17 && seen[0].flag == 1));
        CHECK(std::wstring(seen[0].text) == L"ab");
        CHECK((seen[1].count == 0 && seen[1].flag == 0));
        CHECK(std::wstring(seen[1].text) == L"cd");
    }
    DestroyWindow(window);
}

TEST_CASE("a worker stops before its next item once its counter moved on") {
    UseTestSettings();
    HWND window = CollectorWindow();
    std::wstring lister = Configured(L"lister", L"wlx");

    SUBCASE("a probe job made stale still reports its end with its own generation") {
        uint32_t gen = ++ProbeGen;
        ++ProbeGen;
        RunWorker(ProbeThreadProc, [&] { return NewProbeJob(window, gen, 0, 0, {{0, lister}, {1, lister}}); });
        REQUIRE(seenCount == 1);
        CHECK((seen[0].message == MsgBackgroundDone && seen[0].wParam == gen && seen[0].lParam == 0));
    }
    SUBCASE("a tab switch during the first plugin ends the job after it") {
        uint32_t gen = ++ProbeGen;
        std::wstring hang = Configured(L"hang", L"wlx");
        RunWorker(ProbeThreadProc, [&] { return NewProbeJob(window, gen, 0, 0, {{0, hang}, {1, lister}, {2, lister}}); },
                  [] { ++ProbeGen; });
        REQUIRE(seenCount >= 1);
        CHECK(seenCount <= 2);
        CHECK(seen[seenCount - 1].message == MsgBackgroundDone);
        CHECK(seen[seenCount - 1].wParam == gen);
    }
    SUBCASE("details and preview jobs of an old generation post nothing") {
        uint32_t xcol = ++XcolGen, fields = ++PvFieldsGen;
        ++XcolGen, ++PvFieldsGen;
        RunWorker(DetailsThreadProc, [&] { return new DetailsJob{window, xcol, {{1, lister}}}; });
        CHECK(seenCount == 0);
        RunWorker(PreviewFieldsThread, [&] { return new FieldsJob{window, fields, L"", {{1, RowFor(lister)}}}; });
        CHECK(seenCount == 0);
    }
    DestroyWindow(window);
}

TEST_CASE("records that cannot be posted are freed by the worker") {
    UseTestSettings();
    HWND gone = CollectorWindow();
    WarmUp(gone);
    DestroyWindow(gone);
    std::wstring lister = Configured(L"lister", L"wlx");
    CHECK(RunWorker(ProbeThreadProc, [&] { return NewProbeJob(gone, ++ProbeGen, 0, 0, {{0, lister}}); }) == 0);
    CHECK(RunWorker(DetailsThreadProc, [&] { return new DetailsJob{gone, ++XcolGen, {{0, lister}}}; }) == 0);
    CHECK(RunWorker(FieldScanThreadProc, [&] { return new FieldScanJob{gone, {{L"", Configured(L"content", L"wdx"), L""}}}; }) == 0);
    CHECK(seenCount == 0);
}

namespace {

void PumpUntilJobDone() {
    seenCount = 0;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
        if (seenCount && seen[seenCount - 1].message == MsgBackgroundDone) return;
    }
}

}  // namespace

TEST_CASE("the background probe takes one unprobed kind at a time" * doctest::skip(sizeof(void*) != 8)) {
    UseTestSettings();
    std::wstring folder = FreshTempDir(L"background_probe");
    std::wstring lister = Configured(L"lister", L"wlx"), content = Configured(L"content", L"wdx");
    std::wstring packer = Configured(L"packer", L"wcx"), fs = Configured(L"fs", L"wfx");
    WincmdIniPath = PathJoin(folder, L"wincmd.ini");
    WriteFileBytes(WincmdIniPath, StrToUtf8(L"[ListerPlugins]\r\n0=" + lister + L"\r\n[ContentPlugins]\r\n0=" + content +
                                            L"\r\n[PackerPlugins]\r\nzip=31," + packer +
                                            L"\r\n[FileSystemPlugins]\r\nFake=" + fs + L"\r\n"));
    HWND window = CollectorWindow();
    std::vector<int> inventory;
    BackgroundProbeHost host{window, 0, [&](int kind) { inventory.push_back(kind); }};
    ProbeCache.clear();
    BgProbedKinds.clear();
    BgProbeRunning = 0;
    TabIsFindings = 0;

    SUBCASE("nothing runs with the setting off on a plugin tab") {
        SettingsValues[L"Probe/Background"] = L"0";
        StartBackgroundProbe(host);
        CHECK(BgProbeRunning == 0);
        CHECK(inventory.empty());
    }
    SUBCASE("on the findings tab it starts with the Lister plugins, whatever the setting") {
        SettingsValues[L"Probe/Background"] = L"0";
        TabIsFindings = 1;
        host.shownTab = 5;
        StartBackgroundProbe(host);
        CHECK(BgProbeRunning == 1);
        PumpUntilJobDone();
        REQUIRE(seenCount == 2);
        CHECK((seen[0].row == -1 && seen[0].status == ProbeOk));
        CHECK((seen[1].wParam == BgProbeGen.load() && seen[1].lParam == 1));
        TabIsFindings = 0;
    }
    SUBCASE("beside the Lister tab the other kinds follow one another") {
        SettingsValues[L"Probe/Background"] = L"1";
        std::vector<LPARAM> jobs;
        for (int round = 0; round < 3; ++round) {
            StartBackgroundProbe(host);
            if (!BgProbeRunning) break;
            PumpUntilJobDone();
            jobs.push_back(seen[seenCount - 1].lParam);
            // What the main window does on the job's end message.
            BgProbeRunning = 0;
            BgProbedKinds.insert(static_cast<int>(seen[seenCount - 1].lParam) - 1);
        }
        CHECK(jobs == std::vector<LPARAM>{2, 3, 4});
        CHECK(inventory.empty());
    }
    SUBCASE("kinds with nothing left to probe only update their inventory") {
        SettingsValues[L"Probe/Background"] = L"1";
        ProbeCache[MakeKindKey(1, content)] = {};
        ProbeCache[MakeKindKey(2, packer)] = {};
        ProbeCache[MakeKindKey(3, fs)] = {};
        StartBackgroundProbe(host);
        CHECK(BgProbeRunning == 0);
        CHECK(inventory == std::vector<int>{1, 2, 3});
    }
    ProbeCache.clear();
    WincmdIniPath.clear();
    DestroyWindow(window);
}
