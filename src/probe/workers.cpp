#include "probe/workers.h"

#include <memory>

#include "foundation/items_in_order.h"
#include "probe/child_run.h"
#include "probe/post_record.h"
#include "probe/probe_plugin.h"

std::atomic<uint32_t> ProbeGen{0};
std::atomic<uint32_t> BgProbeGen{0};
std::atomic<uint32_t> XcolGen{0};
std::atomic<uint32_t> PvFieldsGen{0};

namespace {

std::atomic<bool> Stopped{false};

}  // namespace

void StopWorkers() {
    ++ProbeGen;
    ++BgProbeGen;
    ++XcolGen;
    ++PvFieldsGen;
    Stopped = true;
    EndAllChildren();
}

DWORD WINAPI ProbeThreadProc(LPVOID param) {
    std::unique_ptr<ProbeJob> job(static_cast<ProbeJob*>(param));
    const std::atomic<uint32_t>& counter = job->background ? BgProbeGen : ProbeGen;
    std::vector<std::unique_ptr<ProbeMsg>> results(job->items.size());
    RunItemsInOrder(
        job->items.size(), ItemsInOrderWidth(), [&] { return counter.load() == job->generation; },
        [&](size_t i) {
            const ProbeItem& item = job->items[i];
            auto msg = std::make_unique<ProbeMsg>();
            msg->generation = job->generation;
            msg->row = job->background ? -1 : static_cast<int32_t>(item.row);
            msg->kind = job->kind;
            msg->path = item.path;
            ProbePlugin(msg->result, item.path, static_cast<int>(job->kind), false, job->settings);
            results[i] = std::move(msg);
        },
        [&](size_t i) { PostRecord(job->window, MsgProbeResult, std::move(results[i])); });
    PostRecord(job->window, MsgBackgroundDone,
               std::make_unique<BackgroundDoneMsg>(BackgroundDoneMsg{job->generation, job->kind, job->background}));
    return 0;
}

DWORD WINAPI DetailsThreadProc(LPVOID param) {
    std::unique_ptr<DetailsJob> job(static_cast<DetailsJob*>(param));
    for (size_t i = 0; i < job->items.size() && XcolGen.load() == job->generation; ++i) {
        auto msg = std::make_unique<DetailsMsg>();
        msg->generation = job->generation;
        msg->id = job->items[i].id;
        msg->path = job->items[i].path;
        msg->values = BuildPluginDetails(msg->path);
        msg->last = i + 1 == job->items.size();
        PostRecord(job->window, MsgDetailsResult, std::move(msg));
    }
    return 0;
}

DWORD WINAPI PreviewFieldsThread(LPVOID param) {
    std::unique_ptr<FieldsJob> job(static_cast<FieldsJob*>(param));
    std::vector<std::unique_ptr<FieldValuesMsg>> results(job->items.size());
    RunItemsInOrder(
        job->items.size(), ItemsInOrderWidth(), [&] { return PvFieldsGen.load() == job->generation; },
        [&](size_t i) {
            auto msg = std::make_unique<FieldValuesMsg>();
            msg->generation = job->generation;
            msg->index = job->items[i].index;
            RunFieldsChild(msg->result, job->items[i].row, job->file, job->settings);
            results[i] = std::move(msg);
        },
        [&](size_t i) { PostRecord(job->window, MsgFieldValues, std::move(results[i])); });
    return 0;
}

DWORD WINAPI FieldScanThreadProc(LPVOID param) {
    std::unique_ptr<FieldScanJob> job(static_cast<FieldScanJob*>(param));
    std::vector<std::unique_ptr<FieldListMsg>> results(job->items.size());
    // It runs to its end, or to the program's.
    RunItemsInOrder(
        job->items.size(), ItemsInOrderWidth(), [] { return !Stopped.load(); },
        [&](size_t i) {
            const FieldScanItem& item = job->items[i];
            PvPlugin row, result;
            row.path = item.path;
            RunFieldsChild(result, row, L"", job->settings);
            auto msg = std::make_unique<FieldListMsg>();
            msg->first = item.first;
            msg->third = item.third;
            for (const FieldDef& field : result.fields) msg->names.push_back(field.name);
            msg->ok = result.state == PvAnsweredOk;
            results[i] = std::move(msg);
        },
        [&](size_t i) { PostRecord(job->window, MsgFieldList, std::move(results[i])); });
    return 0;
}
