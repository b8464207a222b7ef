// The worker threads against a message-only window standing in for the main window.
#include <memory>
#include <vector>

#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"
#include "probe/background_probe.h"
#include "foundation/handles.h"
#include "foundation/items_in_order.h"
#include "foundation/worker_threads.h"
#include "probe/post_record.h"
#include "probe/workers.h"
#include "probe_test_support.h"

namespace {

// One line per record the window took, in fixed storage, so that what the window
// keeps allocates nothing and the count of live allocations shows only the workers'.
wchar_t seen[16][160];
size_t seenCount = 0;
LPARAM lastDone = -1;  // of the last MsgBackgroundDone: the background job's kind + 1, 0 for a tab's job

// Applies and frees each record, as the main window does.
LRESULT CALLBACK CollectorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    wchar_t spare[160], *out = seenCount < std::size(seen) ? seen[seenCount] : spare;
    if (message == MsgProbeResult) {
        std::unique_ptr<ProbeMsg> m(reinterpret_cast<ProbeMsg*>(lParam));
        // A child that never started names its failed call instead of passing for the plugin's answer.
        const std::wstring& said = m->result.notStarted ? m->result.errorText : m->result.answer;
        swprintf(out, 160, L"probe %u %d %d %ls", m->generation, m->row, m->result.status, said.c_str());
    } else if (message == MsgBackgroundDone) {
        auto m = TakePostedRecord<BackgroundDoneMsg>(lParam);
        lastDone = m->background ? m->kind + 1 : 0;
        swprintf(out, 160, L"done %u %d", m->generation, (int)lastDone);
    } else if (message == MsgDetailsResult) {
        std::unique_ptr<DetailsMsg> m(reinterpret_cast<DetailsMsg*>(lParam));
        swprintf(out, 160, L"details %u %d %d %ls", m->generation, (int)m->id, m->last, m->values.kind.c_str());
    } else if (message == MsgFieldValues) {
        std::unique_ptr<FieldValuesMsg> m(reinterpret_cast<FieldValuesMsg*>(lParam));
        std::wstring error = m->result.error.empty() ? L"" : L" " + m->result.error;
        swprintf(out, 160, L"fields %u %u %d %d%ls", m->generation, m->index, m->result.state,
                 (int)m->result.fields.size(), error.c_str());
    } else if (message == MsgFieldList) {
        std::unique_ptr<FieldListMsg> m(reinterpret_cast<FieldListMsg*>(lParam));
        swprintf(out, 160, L"list %ls%ls %d %d", m->first.c_str(), m->third.c_str(), (int)m->names.size(), m->ok);
    } else {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    seenCount += out != spare;
    return 0;
}

std::wstring Seen() {
    std::wstring lines;
    for (size_t i = 0; i < seenCount; ++i) lines += seen[i] + std::wstring(L"\n");
    return lines;
}

// The main window as the background probe sees it.
struct FakeProbeHost : IProbeHost {
    HWND window = nullptr;
    int shownTab = 0;
    bool findingsShown = false;
    HWND ResultWindow() override { return window; }
    int ShownTab() override { return shownTab; }
    bool FindingsShown() override { return findingsShown; }
};

HWND CollectorWindow() {
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    REQUIRE(SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CollectorProc)) != 0);
    return window;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Runs the worker to its end while the window takes its messages; gives how many
// allocations outlived the run.
template <typename MakeJob>
long RunWorker(LPTHREAD_START_ROUTINE proc, MakeJob makeJob, void (*whileRunning)() = nullptr) {
    seenCount = 0;
    long before = LiveAllocations;
    HANDLE thread = CreateThread(nullptr, 0, proc, makeJob(), 0, nullptr);
    REQUIRE(thread);
    if (whileRunning) whileRunning();
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) Pump();
    CloseHandle(thread);
    Pump();
    return LiveAllocations - before;
}

PvPlugin Row(const std::wstring& path) {
    PvPlugin row;
    row.path = path;
    return row;
}

const std::wstring Lister = Configured(L"lister", L"wlx"), Content = Configured(L"content", L"wdx");

// Whatever a first run leaves behind for good (cached folders, texts) is made
// before anything is counted.
void WarmUp(HWND window) {
    RunWorker(ProbeThreadProc, [&] { return new ProbeJob{window, ++ProbeGen, CurrentChildSettings(), 0, 0, {{0, Lister}}}; });
    RunWorker(PreviewFieldsThread, [&] { return new FieldsJob{window, ++PvFieldsGen, CurrentChildSettings(), L"", {{0, Row(Content)}}}; });
    RunWorker(DetailsThreadProc, [&] { return new DetailsJob{window, ++XcolGen, {{0, Lister}}}; });
}

std::wstring N(uint32_t n) { return std::to_wstring(n); }

}  // namespace

TEST_CASE("workers post one record per item, each freed once" * doctest::test_suite("64-bit")) {
    UseTestSettings();
    HWND window = CollectorWindow();
    WarmUp(window);
    SUBCASE("a tab's probe job") {
        uint32_t gen = ++ProbeGen;
        auto job = [&] { return new ProbeJob{window, gen, CurrentChildSettings(), 0, 0, {{4, Lister}, {9, L"Z:\\gone.wlx"}}}; };
        CHECK(RunWorker(ProbeThreadProc, job) == 0);
        CHECK(Seen() == L"probe " + N(gen) + L" 4 1 EXT=\"TXT\" | EXT=\"LOG\"\nprobe " + N(gen) + L" 9 5 \ndone " +
                            N(gen) + L" 0\n");
    }
    SUBCASE("a background job answers to its own counter") {
        uint32_t gen = ++BgProbeGen;
        ++ProbeGen;
        auto job = [&] { return new ProbeJob{window, gen, CurrentChildSettings(), 2, 1, {{0, Configured(L"packer", L"wcx")}}}; };
        CHECK(RunWorker(ProbeThreadProc, job) == 0);
        CHECK(Seen() == L"probe " + N(gen) + L" -1 1 12\ndone " + N(gen) + L" 3\n");
    }
    SUBCASE("extra-column details") {
        uint32_t gen = ++XcolGen;
        CHECK(RunWorker(DetailsThreadProc, [&] { return new DetailsJob{window, gen, {{7, Lister}, {8, Content}}}; }) == 0);
        CHECK(Seen() == L"details " + N(gen) + L" 7 0 Lister\ndetails " + N(gen) + L" 8 1 Content\n");
    }
    SUBCASE("preview fields") {
        uint32_t gen = ++PvFieldsGen;
        auto job = [&] { return new FieldsJob{window, gen, CurrentChildSettings(), L"C:\\x.jpg", {{3, Row(Content)}, {5, Row(Lister)}}}; };
        CHECK(RunWorker(PreviewFieldsThread, job) == 0);
        CHECK(Seen() == L"fields " + N(gen) + L" 3 1 17\nfields " + N(gen) + L" 5 7 0\n");
    }
    SUBCASE("the field-list scan runs to its end whatever the preview does") {
        auto job = [&] { return new FieldScanJob{window, CurrentChildSettings(), {{L"a", Content, L"b"}, {L"c", L"Z:\\gone.wdx", L"d"}}}; };
        CHECK(RunWorker(FieldScanThreadProc, job, [] { ++PvFieldsGen; }) == 0);
        CHECK(Seen() == L"list ab 17 1\nlist cd 0 0\n");
    }
    DestroyWindow(window);
}

TEST_CASE("a worker stops before its next item once its counter moved on") {
    UseTestSettings();
    HWND window = CollectorWindow();
    SUBCASE("a tab switch while the first plugins hang starts none of the rest") {
        // As many hanging plugins as run at once, so the last item waits for one of them.
        uint32_t gen = ++ProbeGen;
        unsigned width = ItemsInOrderWidth();
        std::wstring hang = Configured(L"hang", L"wlx");
        auto job = [&] {
            auto j = new ProbeJob{window, gen, CurrentChildSettings(), 0, 0, {}};
            for (unsigned i = 0; i < width; ++i) j->items.push_back({i, hang});
            j->items.push_back({width, Lister});
            return j;
        };
        RunWorker(ProbeThreadProc, job, [] { ++ProbeGen; });
        CHECK((seenCount <= width + 1 && Seen().ends_with(L"done " + N(gen) + L" 0\n")));
        CHECK(Seen().find(L"probe " + N(gen) + L" " + N(width) + L" ") == std::wstring::npos);
    }
    SUBCASE("details and preview jobs of an old generation post nothing") {
        uint32_t xcol = ++XcolGen, fields = ++PvFieldsGen;
        ++XcolGen, ++PvFieldsGen;
        RunWorker(DetailsThreadProc, [&] { return new DetailsJob{window, xcol, {{1, Lister}}}; });
        RunWorker(PreviewFieldsThread, [&] { return new FieldsJob{window, fields, CurrentChildSettings(), L"", {{1, Row(Lister)}}}; });
        CHECK(seenCount == 0);
    }
    DestroyWindow(window);
}

TEST_CASE("records that cannot be posted are freed by the worker") {
    UseTestSettings();
    HWND window = CollectorWindow();
    WarmUp(window);
    DestroyWindow(window);
    CHECK(RunWorker(ProbeThreadProc, [&] { return new ProbeJob{window, ++ProbeGen, CurrentChildSettings(), 0, 0, {{0, Lister}}}; }) == 0);
    CHECK(RunWorker(DetailsThreadProc, [&] { return new DetailsJob{window, ++XcolGen, {{0, Lister}}}; }) == 0);
    CHECK(RunWorker(FieldScanThreadProc, [&] { return new FieldScanJob{window, CurrentChildSettings(), {{L"", Content, L""}}}; }) == 0);
    CHECK(seenCount == 0);
}

namespace {

// A worker whose child never answers: only the end of the program ends it.
DWORD WINAPI WaitForHangingChild(LPVOID run) {
    RunChildCapture(*static_cast<ChildRun*>(run), {L"--kv-hang"}, L"", 600000, L"");
    return 0;
}

}  // namespace

// Nothing starts a child in this process afterwards: the case runs apart.
TEST_CASE("at the program's end the workers stop, the children they wait for end, and none starts" *
          doctest::test_suite("program-end")) {
    UseTestSettings();
    ChildRun runs[2];
    KernelHandle first(StartWorkerThread(WaitForHangingChild, &runs[0]));
    KernelHandle second(StartWorkerThread(WaitForHangingChild, &runs[1]));
    REQUIRE((first && second));
    REQUIRE(EventuallyHolds([] { return ChildProcesses(GetCurrentProcessId(), L"test_probe") == 2; }));
    const uint32_t probes = ProbeGen, previews = PvFieldsGen;
    StopWorkers();
    CHECK(WaitForWorkerThreads(60000));
    CHECK(ChildProcesses(GetCurrentProcessId(), L"test_probe") == 0);
    CHECK((runs[0].started == 1 && runs[0].timedOut == 0 && runs[1].started == 1));
    // The jobs stop before their next item.
    CHECK((ProbeGen != probes && PvFieldsGen != previews));
    ChildRun late;
    RunChildCapture(late, {L"/probe", Lister, L"L"}, L"", 20000, L"");
    CHECK(late.started == 0);
}

TEST_CASE("the background probe takes one unprobed kind at a time" * doctest::test_suite("64-bit")) {
    UseTestSettings();
    std::wstring folder = FreshTempDir(L"background_probe");
    std::wstring packer = Configured(L"packer", L"wcx"), fs = Configured(L"fs", L"wfx");
    WincmdIniPath = PathJoin(folder, L"wincmd.ini");
    WriteFileBytes(WincmdIniPath, StrToUtf8(L"[ListerPlugins]\r\n0=" + Lister + L"\r\n[ContentPlugins]\r\n0=" + Content +
                                            L"\r\n[PackerPlugins]\r\nzip=31," + packer + L"\r\n[FileSystemPlugins]\r\nFake=" +
                                            fs + L"\r\n"));
    HWND window = CollectorWindow();
    FakeProbeHost host;
    host.window = window;
    ProbeCache.clear();
    BgProbedKinds.clear();
    BgProbeRunning = 0;
    SettingsValues[L"Probe/Background"] = L"1";
    // What the main window does until a job's end message, and on it.
    auto finishJob = [] {
        seenCount = 0;
        lastDone = -1;
        for (MSG msg; lastDone < 0 && GetMessageW(&msg, nullptr, 0, 0) > 0;) DispatchMessageW(&msg);
        EndBackgroundJob((int)lastDone - 1);
        return lastDone;
    };
    SUBCASE("nothing runs with the setting off on a plugin tab") {
        SettingsValues[L"Probe/Background"] = L"0";
        StartBackgroundProbe(host);
        CHECK(BgProbeRunning == 0);
    }
    SUBCASE("on the findings tab it starts with the Lister plugins, whatever the setting") {
        SettingsValues[L"Probe/Background"] = L"0";
        host.findingsShown = true;
        host.shownTab = 5;
        StartBackgroundProbe(host);
        REQUIRE(BgProbeRunning == 1);
        CHECK(finishJob() == 1);
        CHECK(Seen() == L"probe " + N(BgProbeGen) + L" -1 1 EXT=\"TXT\" | EXT=\"LOG\"\ndone " + N(BgProbeGen) + L" 1\n");
    }
    SUBCASE("beside the Lister tab the other kinds follow one another") {
        std::vector<LPARAM> jobs;
        for (StartBackgroundProbe(host); BgProbeRunning && jobs.size() < 4; StartBackgroundProbe(host))
            jobs.push_back(finishJob());
        CHECK(jobs == std::vector<LPARAM>{2, 3, 4});
    }
    SUBCASE("a job reads the wincmd.ini in use when it began, whatever was opened since") {
        const std::wstring began = WincmdIniPath, opened = PathJoin(folder, L"other.ini");
        WriteFileBytes(opened, "[ContentPlugins]\r\n");
        auto* start = new BackgroundStart{std::make_unique<ProbeJob>(), began, {}};
        *start->job = ProbeJob{window, ++BgProbeGen, CurrentChildSettings(), 1, 1, {}};
        WincmdIniPath = opened;
        RunWorker(BackgroundProbeProc, [&] { return start; });
        WincmdIniPath = began;
        CHECK(Seen().starts_with(L"probe " + N(BgProbeGen) + L" -1 1 "));
    }
    SUBCASE("a kind cached when its job began probes nothing, and the next kind follows its end") {
        ProbeCache[KindKey(1, Content)] = {};
        StartBackgroundProbe(host);
        REQUIRE(BgProbeRunning == 1);
        CHECK(finishJob() == 2);
        CHECK(Seen() == L"done " + N(BgProbeGen) + L" 2\n");
        StartBackgroundProbe(host);
        CHECK(finishJob() == 3);
        CHECK(Seen().starts_with(L"probe " + N(BgProbeGen) + L" -1 "));
    }
    ProbeCache.clear();
    WincmdIniPath.clear();
    DestroyWindow(window);
}
