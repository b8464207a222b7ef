#include "install/general_folder.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "foundation/data_folder.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/system_dlls.h"
#include "foundation/text.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"

namespace {

std::vector<std::wstring> StandardFolders() {
    std::vector<std::wstring> folders;
    for (const wchar_t* var : {L"COMMANDER_PATH", L"USERPROFILE", L"APPDATA", L"LOCALAPPDATA", L"ProgramFiles",
                               L"ProgramFiles(x86)", L"ProgramW6432", L"ProgramData", L"SystemRoot", L"PUBLIC", L"TEMP"})
        folders.push_back(EnvGet(var));
    const Shell32Dll* shell = Shell32();
    const Ole32Dll* ole = Ole32();
    for (REFKNOWNFOLDERID id : {FOLDERID_Desktop, FOLDERID_Documents, FOLDERID_Downloads, FOLDERID_Profile,
                                FOLDERID_ProgramFiles, FOLDERID_Windows, FOLDERID_System}) {
        PWSTR path = nullptr;
        if (!shell || !ole) break;
        if (SUCCEEDED(shell->SHGetKnownFolderPath(id, 0, nullptr, &path))) folders.push_back(path);
        ole->CoTaskMemFree(path);
    }
    // Beside the configuration lie TC's settings and the program's own backups.
    if (!WincmdIniPath.empty()) {
        folders.push_back(PathDir(FullPath(WincmdIniPath)));
        for (int kind = 0; kind < 4; ++kind)
            folders.push_back(PathDir(FullPath(EffectiveIniPath(PlugSectionName(kind)))));
    }
    folders.push_back(DataFolder());
    return folders;
}

}  // namespace

bool IsSharedPluginFolder(const std::wstring& folder) {
    std::wstring path = ComparablePath(folder), name = PathName(path);
    return !path.empty() && (path == ComparablePath(EnvGet(L"COMMANDER_PATH")) || name == L"plugins" ||
                             name == L"wlx" || name == L"wdx" || name == L"wcx" || name == L"wfx");
}

bool IsGeneralFolder(const std::wstring& folder) {
    if (ComparablePath(folder).size() <= 3 || IsSharedPluginFolder(folder)) return true;
    for (const std::wstring& standard : StandardFolders())
        if (!standard.empty() && PathSameOrBelow(standard, folder)) return true;
    return false;
}
