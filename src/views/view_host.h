// What the views ask of the window that holds them: the steps that belong to the
// features above the views, and the content preview's view of the preview tab,
// which the views hand to the preview's operations. The main window is the one
// implementer.
#pragma once
#include "analyses/preview_view.h"

class IViewHost : public IPreviewView {
public:
    // After a fill, once the new rows stand: the search finds its hits again.
    virtual void SearchAfterFill() = 0;
    // Asks the plugin kinds that are not shown, as the settings and the shown tab want.
    virtual void StartBackgroundProbe() = 0;
    // Before a tab is filled: the controls it shows exist from here on.
    virtual void CreateTabControls(int tab) = 0;
    // Ctrl+Home/Up/Down/End in the plugin list: moves the selected entries (an OrderOpCode).
    virtual void MoveSelectedEntries(int op) = 0;
    // A context menu of the views, at the screen point; the chosen id, 0 for none.
    // As the editing commands' menus: the window knows it is open.
    virtual UINT PopupMenu(HWND owner, POINT screen, HMENU menu) = 0;
};
