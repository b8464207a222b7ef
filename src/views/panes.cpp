#include "views/panes.h"

HWND LvCheckList = nullptr;
HWND DetailLabel = nullptr;
HWND DetailBox = nullptr;
HWND PluginList = nullptr;
HWND ExtList = nullptr;
HWND FindingsList = nullptr;
HWND InventoryList = nullptr;

std::function<void()> LayoutPanes;
std::function<void()> UpdateStatusBar;

void SetDetailText(const std::wstring& text, bool /*alignLabels: only a rich-edit pane indents*/) {
    if (DetailBox) SetWindowTextW(DetailBox, text.c_str());
}
