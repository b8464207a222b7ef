// The preview tab's controls inside the page window.
#pragma once
#include <windows.h>

#include "views/main_view.h"

// Places the preview controls in the page's client rectangle with margin p.
void LayoutMainWindow(MainView& view, const RECT& rc, int p);
// Shows the preview panes or the intro text that stands in for them.
void ShowPreviewIntro(MainView& view);
