// The settings dialog: a property sheet with a page per settings group and a page of
// all settings. Edits stay pending until Apply or OK. UI thread only.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct SettingDef;

// {value, shown text} of a choice row, in the order the drop-down list shows them.
std::vector<std::pair<std::wstring, std::wstring>> SettingChoices(const SettingDef& row);
// The text a value is shown as: on/off, a choice's text, else the value itself.
std::wstring SettingValueText(size_t row, const std::wstring& value);
// Runs the modal sheet. `applied` brings the program up to date after Apply, OK and
// once more when the sheet has closed; it is meant to do nothing when nothing changed.
void ShowSettingsSheet(HWND owner, const std::function<void()>& applied);
