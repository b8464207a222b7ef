// Short texts of the views that other subsystems put into logs, lists and reports.
#pragma once
#include <string>

// The caption of a main tab: 0..3 the plugin kinds, 4 inventory, 5 findings, 6 preview;
// indexes outside are clamped.
std::wstring TabName(int tab);
// "#<n>" in the current language.
std::wstring EntryNumberText(int number);
// The description of a view mode "1".."8" or "4i"; any other word unchanged.
std::wstring ModeNameText(const std::wstring& word);
// The caption of the edit command for a plugin kind.
std::wstring EditMenuText(int kind);
