// The twelve user settings of the program's own INI, cleaned on load and read
// through GetSetting, which falls back to the table's default.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

enum SettingType : uint32_t { SettingBool = 0, SettingInt = 1, SettingChoice = 2, SettingText = 4 };

struct SettingDef {
    const wchar_t* section;
    const wchar_t* key;
    uint32_t type;
    const wchar_t* defaultValue;
    const char* labelKey;
    const char* helpKey;
    uint32_t page;  // 0 General, 1 View, 2 Probe, 3 Diagnostics
    const wchar_t* choices;  // separated by '|'; "" when none
    int32_t minimum;
    int32_t maximum;
};

extern const std::array<SettingDef, 12> SettingsTable;

// "<section>/<key>" -> cleaned value, only for settings the own INI holds.
extern std::map<std::wstring, std::wstring> SettingsValues;
// The values edited on the settings sheet and not yet applied, same keys.
extern std::map<std::wstring, std::wstring> PendingSettings;
// Set by the entry point when "/debug" is on the command line.
extern bool DebugArg;

std::wstring NormalizeSettingValue(const SettingDef& row, const std::wstring& raw);
std::wstring GetSetting(const std::wstring& section, const std::wstring& key);
std::wstring SettingValueAt(size_t row);
// Reads every row from the given INI (the program's own) into SettingsValues.
void LoadSettings(const std::wstring& iniPath);
// Writes all twelve rows, defaults included; false when any could not be written.
bool SaveSettings(const std::wstring& iniPath);
// Applies the settings that other parts read through globals.
void ApplyDiagSettings();
// The time limit of a plugin child process; safe to read from any thread.
int ProbeTimeoutMs();
