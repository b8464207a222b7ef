#include "views/panes.h"

std::function<void()> LayoutPanes;
std::function<void()> UpdateStatusBar;
std::function<void()> FillCurrentTab;

void SetDetailText(const std::wstring& text, bool /*alignLabels: only a rich-edit pane indents*/) {
    if (DetailBox) SetWindowTextW(DetailBox, text.c_str());
}
