#include "preview_fixture.h"

#include "analyses/content_preview.h"
#include "analyses/preview_state.h"
#include "hostcfg/tc_discovery.h"

std::vector<std::unique_ptr<FieldValuesMsg>> HeldAnswers;
bool HoldAnswers = false;
std::vector<uint32_t> TakenOrder;
IPreviewView* ShownView = nullptr;

LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != MsgFieldValues) return DefWindowProcW(window, message, wParam, lParam);
    std::unique_ptr<FieldValuesMsg> m(reinterpret_cast<FieldValuesMsg*>(lParam));
    if (HoldAnswers) {
        HeldAnswers.push_back(std::move(m));
        return 0;
    }
    if (m->generation == PvFieldsGen) TakenOrder.push_back(m->index);
    PvTakeAnswer(*ShownView, m->generation, m->index, m->result);
    return 0;
}

namespace {

void Pump() {
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
}

}  // namespace

void PumpUntilAnswered() {
    while (HoldAnswers ? HeldAnswers.size() < (size_t)PvJobsPending : PvRunning()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
        Pump();
    }
}

PreviewFixture::PreviewFixture(const std::wstring& section) {
    window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    UseTestSettings();
    WincmdIniPath = PathJoin(dir, L"wincmd.ini");
    WriteFileBytes(WincmdIniPath, StrToUtf8(L"[ContentPlugins]\r\n" + section));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PreviewWindowProc));
    view.window = window;
    ShownView = &view;
    PvLastChoice.clear();
    TakenOrder.clear();
}

PreviewFixture::~PreviewFixture() {
    DestroyWindow(window);
    WincmdIniPath.clear();
    PreviewFile.clear();
    ShownView = nullptr;
    RemoveTree(dir);
}

std::wstring PreviewFixture::File(const std::wstring& name, size_t size) {
    std::wstring path = PathJoin(dir, name);
    WriteFileBytes(path, std::string(size, 'x'));
    return path;
}

void PreviewFixture::Preview(const std::wstring& file) {
    PreviewFile = file;
    PvRefresh(*ShownView);
    PumpUntilAnswered();
}

std::wstring Entry(int n, const std::wstring& path, const std::wstring& detect) {
    std::wstring text = std::to_wstring(n) + L"=" + path + L"\r\n";
    return detect.empty() ? text : text + std::to_wstring(n) + L"_detect=\"" + detect + L"\"\r\n";
}

const FieldDef* Field(const PvPlugin& row, const std::wstring& name) {
    for (const FieldDef& f : row.fields)
        if (f.name == name) return &f;
    return nullptr;
}

std::wstring Value(const PvPlugin& row, const std::wstring& name, size_t unit) {
    const FieldDef* f = Field(row, name);
    return f && unit < f->values.size() ? f->values[unit].text : L"<none>";
}

