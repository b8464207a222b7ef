// The content preview's test bench: a TC folder whose wincmd.ini lists chosen
// Content plugins, and a message-only window that takes the preview worker's
// answers in as the main window does (or holds them back to arrive late).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "../probe/probe_test_support.h"
#include "analyses/preview_view.h"
#include "probe/workers.h"

extern std::vector<std::unique_ptr<FieldValuesMsg>> HeldAnswers;
extern bool HoldAnswers;
extern std::vector<uint32_t> TakenOrder;  // rows in the order their answers were taken in

// The preview's view in these tests: it shows nothing, and the answers go to its window.
struct SilentPreviewView : IPreviewView {
    HWND window = nullptr;
    HWND ResultWindow() override { return window; }
    bool PanesShown() override { return true; }
    void Clear() override {}
    void FillPluginList() override {}
    void FillFieldList() override {}
    void RefreshGroup(int) override {}
    void SaveGroupStates() override {}
    void ShowIntro() override {}
    void UpdateStatusBar() override {}
};
// The view the preview runs with: the fixture's own unless a test puts its own in.
extern IPreviewView* ShownView;

// Takes the answers in for ShownView, as the main window does.
LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Takes answers in until the preview is no longer running, or holds them back until all came.
void PumpUntilAnswered();

struct PreviewFixture {
    std::wstring dir = FreshTempDir(L"preview");
    HWND window = nullptr;
    SilentPreviewView view;
    explicit PreviewFixture(const std::wstring& section);
    ~PreviewFixture();
    std::wstring File(const std::wstring& name, size_t size);
    void Preview(const std::wstring& file);
};

// "n=path" and, with a detect string, "n_detect=\"...\"".
std::wstring Entry(int n, const std::wstring& path, const std::wstring& detect = L"");
const FieldDef* Field(const PvPlugin& row, const std::wstring& name);
// The text of a field's value in a unit; "<none>" when there is none.
std::wstring Value(const PvPlugin& row, const std::wstring& name, size_t unit = 0);
