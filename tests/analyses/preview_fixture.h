// The content preview's test bench: a TC folder whose wincmd.ini lists chosen
// Content plugins, and a message-only window that takes the preview worker's
// answers in as the main window does (or holds them back to arrive late).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "../probe/probe_test_support.h"
#include "probe/workers.h"

extern std::vector<std::unique_ptr<FieldValuesMsg>> HeldAnswers;
extern bool HoldAnswers;
extern std::vector<uint32_t> TakenOrder;  // rows in the order their answers were taken in

LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Takes answers in until the preview is no longer running, or holds them back until all came.
void PumpUntilAnswered();

struct PreviewFixture {
    std::wstring dir = FreshTempDir(L"preview");
    HWND window = nullptr;
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
