// The program's data folder, the paths of its own files and the few keys of its
// own INI that belong to no larger feature.
#pragma once
#include <string>

// The program's folder when it can be written, else %APPDATA%\Kestrovane; chosen
// once by the first call, which the program makes at start-up before any thread.
std::wstring DataFolder();
std::wstring SettingsIniPath();
std::wstring FieldsIniPath();
std::wstring InventoryIniPath();
std::wstring ChangeLogPath();
// The Backups folder, created when missing.
std::wstring BackupsFolder();
// Kestrovane32.exe beside the program, "" when it is not there.
std::wstring TwinExePath();
// Creates a missing INI as an empty UTF-16LE file, so the profile functions keep
// writing it as UTF-16; an existing file is left alone. False when the file is not
// there afterwards: one whose byte-order mark could not be written is removed.
bool IniEnsureUtf16(const std::wstring& path);
// Writes (value null: deletes) a key of one of the program's INI files, creating
// it as UTF-16; false when the file could not be created or written.
bool WriteOwnIniValue(const std::wstring& ini, const wchar_t* section, const std::wstring& key,
                      const wchar_t* value);
// The same for the program's own INI.
bool WriteSettingsIniValue(const wchar_t* section, const std::wstring& key, const wchar_t* value);
// Makes the content preview skip (on) or ask again (off) the plugin of that name;
// the name is stored as an escaped key (ini_escape.h).
bool SetPreviewSkip(const std::wstring& name, bool on);
