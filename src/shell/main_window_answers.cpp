// The probe and details workers' answers. Thousands of them can be queued at once;
// applied one message each, they would keep the queue from ever emptying, and the
// window would neither paint nor take input until the last. So they are applied in
// batches of a few milliseconds, each followed by a pause for painting and input.
#include "shell/main_window.h"

#include "analyses/plugin_caches.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "probe/post_record.h"
#include "views/detail_pane.h"
#include "views/extra_columns.h"
#include "views/list_sort.h"
#include "views/row_status.h"
#include "views/status_text.h"
#include "views/tab_fill.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto AnswerBudget = std::chrono::milliseconds(20);
constexpr UINT AnswerPauseMs = USER_TIMER_MINIMUM;

}  // namespace

void MainWindow::TakeAnswer(Answer answer) {
    answers_.push_back(std::move(answer));
    if (!answersPaused_) ApplyAnswers();
}

// The probe's results and its last message share one range, so they keep their order.
void MainWindow::TakeQueuedAnswers(Clock::time_point until) {
    HWND window = view_.controls.main;
    MSG msg;
    while (Clock::now() < until && PeekMessageW(&msg, window, MsgProbeResult, MsgBackgroundDone, PM_REMOVE)) {
        if (msg.message == MsgProbeResult) answers_.emplace_back(TakePostedRecord<ProbeMsg>(msg.lParam));
        else answers_.emplace_back(TakePostedRecord<BackgroundDoneMsg>(msg.lParam));
    }
    while (Clock::now() < until && PeekMessageW(&msg, window, MsgDetailsResult, MsgDetailsResult, PM_REMOVE))
        answers_.emplace_back(TakePostedRecord<DetailsMsg>(msg.lParam));
}

void MainWindow::ApplyAnswers() {
    const Clock::time_point until = Clock::now() + AnswerBudget;
    AnswerBatch batch;
    bool applied = false;
    while (true) {
        if (answers_.empty()) TakeQueuedAnswers(until);
        if (answers_.empty()) break;
        Answer answer = std::move(answers_.front());
        answers_.pop_front();
        ApplyAnswer(answer, batch);
        applied = true;
        if (Clock::now() >= until) break;
    }
    EndAnswerBatch(batch);
    // Answers arriving during the pause only queue; the timer comes after the paint and the input.
    answersPaused_ = applied;
    if (applied) SetTimer(view_.controls.main, AnswersTimer, AnswerPauseMs, nullptr);
    else KillTimer(view_.controls.main, AnswersTimer);
}

void MainWindow::ApplyAnswer(Answer& answer, AnswerBatch& batch) {
    if (auto* probe = std::get_if<std::unique_ptr<ProbeMsg>>(&answer)) {
        ApplyProbeAnswer(**probe, batch);
    } else if (auto* done = std::get_if<std::unique_ptr<BackgroundDoneMsg>>(&answer)) {
        // The job's answers take effect before what follows its end.
        EndAnswerBatch(batch);
        OnBackgroundDone(**done);
    } else if (auto* details = std::get_if<std::unique_ptr<DetailsMsg>>(&answer)) {
        ApplyExtraColValues(view_, **details);
    }
}

// The entry and its row's cells; what depends on all rows waits for the batch's end.
void MainWindow::ApplyProbeAnswer(const ProbeMsg& msg, AnswerBatch& batch) {
    if (ProbeResultMayEnterCache(msg)) ProbeCache[KindKey(static_cast<int>(msg.kind), msg.path)] = msg.result;
    if (msg.row < 0 || msg.generation != ProbeGen.load() || static_cast<size_t>(msg.row) >= TabEntries.size())
        return;
    PlugEntry& entry = TabEntries[msg.row];
    if (entry.expandedPath != msg.path) return;
    ApplyProbeResult(entry, msg.result);
    ++ProbeDone;
    UpdateRowStatusCells(view_, msg.row);
    if (!batch.probeAnswered) batch.selected = PluginListSelection(view_);
    batch.probeAnswered = true;
    batch.selectedAnswered |= msg.row == batch.selected;
}

void MainWindow::EndAnswerBatch(AnswerBatch& batch) {
    if (batch.selectedAnswered) ShowDetails(view_, batch.selected);
    if (batch.probeAnswered && ProbeDone >= ProbeTotal) {
        UpdateStatusBar();
        ListViewSortApply(view_.controls.pluginList);
    } else if (batch.probeAnswered) {
        // The marks strip walks every entry's detect string: it waits for the last answer.
        UpdateStatusText(view_);
    }
    batch = {};
}

// Answers still queued when the window goes would be lost with their records.
void MainWindow::DropAnswers() {
    KillTimer(view_.controls.main, AnswersTimer);
    answersPaused_ = false;
    TakeQueuedAnswers(Clock::time_point::max());
    answers_.clear();
}
