// Filling the tab selected in the tab control.
#pragma once
#include <string>

// The kind of the plugin tab last filled (-1 none) and its wincmd.ini section text
// as it stood then; the main window compares them on activation.
extern int ShownSectionKind;
extern std::wstring ShownSectionText;

// Progress of the shown tab's probe job, for the status bar.
extern int ProbeDone;
extern int ProbeTotal;

// Rebuilds whatever the main window shows for the selected tab.
void FillTab();
