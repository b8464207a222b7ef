// Choosing what to install: the open-file dialogs, the unpacking of an archive
// through the /unpack child, and the one package an unpacked tree offers.
#pragma once
#include <windows.h>

#include <string>

#include "probe/child_run.h"

// The open-file dialog for a package; "" when cancelled. With a folder, only plugin
// files and pluginst.inf files are offered and the dialog starts there.
std::wstring PickPackageFile(HWND owner, const std::wstring& title, const std::wstring& startFolder);

// The result of unpacking an archive for an install.
struct UnpackOutcome {
    std::wstring folder;   // the unpack folder; "" after a failure (then already removed)
    std::wstring message;  // what the user is told on failure
};
// What the user is told of an /unpack run that did not answer "OK": the child's
// refusal, a start that failed, or an archive that broke the child; "" after "OK".
std::wstring UnpackFailureText(const ChildRun& run, const std::wstring& archive);
// Removes what earlier runs left in the install temporary folder, then unpacks the
// archive into a fresh folder below it through the /unpack child.
UnpackOutcome UnpackForInstall(const std::wstring& archive);

// The file to analyse in an unpacked folder: the one pluginst.inf or plugin file a
// folder offers, up to three levels down; with several, the user picks. "" when
// there is none; "-" when the user cancelled or picked a file outside the folder.
std::wstring InstFindInDir(HWND owner, const std::wstring& folder);
