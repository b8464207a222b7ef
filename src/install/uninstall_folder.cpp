#include "install/uninstall_folder.h"

#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/logs.h"
#include "foundation/system_dlls.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg/plugin_keys.h"
#include "foundation/labels.h"
#include "foundation/path_display.h"

namespace {

std::wstring Comparable(const std::wstring& path) {
    std::wstring s = StrLower(PathNoTrailingSep(path));
    for (auto& c : s)
        if (c == L'/') c = L'\\';
    return s;
}

// The folder is the other one or lies above it.
bool SameOrAbove(const std::wstring& folder, const std::wstring& other) {
    std::wstring a = Comparable(folder), b = Comparable(other);
    return !a.empty() && !b.empty() && (a == b || b.rfind(a + L"\\", 0) == 0);
}

std::vector<std::wstring> StandardFolders() {
    std::vector<std::wstring> folders;
    for (const wchar_t* var : {L"COMMANDER_PATH", L"USERPROFILE", L"APPDATA", L"LOCALAPPDATA", L"ProgramFiles",
                               L"ProgramFiles(x86)", L"ProgramW6432", L"ProgramData", L"SystemRoot", L"PUBLIC", L"TEMP"})
        folders.push_back(EnvGet(var));
    const Shell32Dll* shell = Shell32();
    const Ole32Dll* ole = Ole32();
    if (!shell || !ole) return folders;
    for (REFKNOWNFOLDERID id : {FOLDERID_Desktop, FOLDERID_Documents, FOLDERID_Downloads, FOLDERID_Profile,
                                FOLDERID_ProgramFiles, FOLDERID_Windows, FOLDERID_System}) {
        PWSTR path = nullptr;
        if (SUCCEEDED(shell->SHGetKnownFolderPath(id, 0, nullptr, &path))) folders.push_back(path);
        ole->CoTaskMemFree(path);
    }
    return folders;
}

bool IsExe(const std::wstring& name) {
    std::wstring lower = StrLower(name);
    return lower.size() > 4 && lower.ends_with(L".exe");
}

// Another plugin, or a program that is not the plugin's own helper (its name does
// not begin with the plugin's), in the folder tree.
std::wstring ForeignFile(const std::wstring& folder, const std::wstring& ownKey, const std::vector<std::wstring>& plugins) {
    for (const std::wstring& p : plugins)
        if (StrLower(PlugKey(p)) != ownKey) return PathName(p);
    std::vector<std::wstring> names;
    int64_t budget = 100000;
    ScanFilesByPattern(folder, L"", 3, L"", names, budget);
    for (const std::wstring& rel : names)
        if (IsExe(rel) && StrLower(PathName(rel)).rfind(ownKey, 0) != 0) return PathName(rel);
    return L"";
}

bool SameEntry(const PlugEntry& a, const PlugEntry& b) {
    if (a.kind != b.kind || StrLower(a.expandedPath) != StrLower(b.expandedPath)) return false;
    return a.kind > KindContent || a.number == b.number;
}

// The first other registered plugin in the folder or below it.
std::wstring OtherUser(const PlugEntry& entry, const std::wstring& folder) {
    std::wstring lower = StrLower(folder);
    for (int kind = 0; kind <= 3; ++kind) {
        for (const PlugEntry& e : LoadPluginSection(kind).entries) {
            if (SameEntry(e, entry)) continue;
            std::wstring dir = StrLower(PathDir(e.expandedPath));
            if (dir == lower || dir.rfind(lower + L"\\", 0) == 0)
                return FillVar(FillVar(Tr("un_dir_used"), L"n", e.name), L"a", TabName(kind));
        }
    }
    return L"";
}

}  // namespace

bool IsGeneralFolder(const std::wstring& folder) {
    if (Comparable(folder).size() <= 3) return true;
    for (const std::wstring& standard : StandardFolders())
        if (SameOrAbove(folder, standard)) return true;
    return false;
}

PluginFolderCheck CheckPluginFolder(const PlugEntry& entry) {
    PluginFolderCheck check;
    check.folder = PathDir(entry.expandedPath);
    std::wstring name = StrLower(PathName(check.folder));
    if (!entry.fileExists || check.folder.size() <= 3) {
        check.reason = Tr("un_dir_none");
    } else if (Comparable(check.folder) == Comparable(EnvGet(L"COMMANDER_PATH")) || name == L"plugins" ||
               name == L"wlx" || name == L"wdx" || name == L"wcx" || name == L"wfx") {
        check.reason = FillVar(Tr("un_dir_shared"), L"d", PathName(check.folder));
    } else if (IsGeneralFolder(check.folder)) {
        check.reason = FillVar(Tr("un_dir_general"), L"d", check.folder);
    }
    if (!check.reason.empty()) return check;
    std::vector<std::wstring> plugins;
    ScanPluginFilesSized(check.folder, 3, check.fileCount, check.totalBytes, plugins, check.iniNames);
    std::wstring foreign = ForeignFile(check.folder, StrLower(PlugKey(entry.expandedPath)), plugins);
    check.reason = foreign.empty() ? OtherUser(entry, check.folder) : FillVar(Tr("un_dir_other"), L"f", foreign);
    return check;
}

bool RecycleFolder(HWND owner, const std::wstring& folder) {
    std::wstring from = folder + L'\0';  // the shell's list ends with two zeros
    SHFILEOPSTRUCTW op{};
    op.hwnd = owner;
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_WANTNUKEWARNING;
    const Shell32Dll* shell = Shell32();
    int rc = shell ? shell->SHFileOperationW(&op) : ERROR_MOD_NOT_FOUND;
    DebugLog(L"uninstall: folder to recycle bin, rc " + std::to_wstring(rc) + L": " + folder);
    return rc == 0 && !op.fAnyOperationsAborted;
}
