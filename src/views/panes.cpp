#include "views/panes.h"

std::function<void()> LayoutPanes;
std::function<void()> UpdateStatusBar;

void SetDetailText(const std::wstring& text, bool /*alignLabels: only a rich-edit pane indents*/) {
    if (DetailBox) SetWindowTextW(DetailBox, text.c_str());
}
