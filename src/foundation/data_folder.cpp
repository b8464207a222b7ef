#include "foundation/data_folder.h"

#include <windows.h>

#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/ini_escape.h"
#include "foundation/text.h"

namespace {

bool CanWriteIn(const std::wstring& folder) {
    std::wstring probe = PathJoin(folder, L"Kestrovane.~wt");
    FileHandle h(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return h.Valid();
}

std::wstring InDataFolder(const wchar_t* name) { return PathJoin(DataFolder(), name); }

std::wstring ChooseDataFolder() {
    std::wstring app = AppDir();
    if (CanWriteIn(app)) return app;
    std::wstring appData = EnvGet(L"APPDATA");
    std::wstring folder = appData.empty() ? app : PathJoin(appData, L"Kestrovane");
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

}  // namespace

std::wstring DataFolder() {
    static const std::wstring folder = ChooseDataFolder();
    return folder;
}

std::wstring SettingsIniPath() { return InDataFolder(L"Kestrovane.ini"); }
std::wstring FieldsIniPath() { return InDataFolder(L"Kestrovane.fields.ini"); }
std::wstring InventoryIniPath() { return InDataFolder(L"Kestrovane.inventory.ini"); }
std::wstring ChangeLogPath() { return InDataFolder(L"Kestrovane.log"); }

std::wstring BackupsFolder() {
    std::wstring folder = InDataFolder(L"Backups");
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring TwinExePath() {
    std::wstring twin = PathJoin(AppDir(), L"Kestrovane32.exe");
    return FileExists(twin) ? twin : L"";
}

bool IniEnsureUtf16(const std::wstring& path) {
    DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) return !(attrs & FILE_ATTRIBUTE_DIRECTORY);
    FileHandle h(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return GetLastError() == ERROR_FILE_EXISTS;
    static const unsigned char kBom[] = {0xFF, 0xFE};
    DWORD written = 0;
    if (WriteFile(h.Get(), kBom, sizeof kBom, &written, nullptr) && written == sizeof kBom) return true;
    // An empty file would be filled as ANSI by the profile functions: better none.
    h.Reset();
    DeleteFileW(path.c_str());
    return false;
}

bool WriteOwnIniValue(const std::wstring& ini, const wchar_t* section, const std::wstring& key,
                      const wchar_t* value) {
    return IniEnsureUtf16(ini) && WritePrivateProfileStringW(section, key.c_str(), value, ini.c_str());
}

bool WriteSettingsIniValue(const wchar_t* section, const std::wstring& key, const wchar_t* value) {
    return WriteOwnIniValue(SettingsIniPath(), section, key, value);
}

bool SetPreviewSkip(const std::wstring& name, bool on) {
    return WriteSettingsIniValue(L"PreviewSkip", IniEscapeKey(name), on ? L"1" : nullptr);
}
