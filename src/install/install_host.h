// What the install and the uninstall need of the window above them: what every
// editing command needs (they save), and the status bar while a child works.
#pragma once
#include <string>

#include "editing/editing_host.h"

class IInstallHost : public IEditingHost {
public:
    // Shows the text in the status bar; "" gives the shown tab its own status back.
    virtual void ShowInstallStatus(const std::wstring& text) = 0;
    // A popup menu's loop runs, or a save or the start's read changes the model:
    // a waiting package must not start inside it, where callers hold rows.
    virtual bool ModelHeld() = 0;
};
