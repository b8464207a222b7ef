#include "editing/editing_ui.h"

EditingUiHooks EditingUi;

int ShownTab() { return EditingUi.currentTab ? EditingUi.currentTab() : 0; }

void RefillShownTab() {
    if (EditingUi.fillTab) EditingUi.fillTab();
}

int EditMessage(HWND owner, const std::wstring& text, UINT type) {
    return SaveMessageBox(owner, text.c_str(), L"Kestrovane", type);
}
