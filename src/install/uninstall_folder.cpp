#include "install/uninstall_folder.h"

#include "foundation/files.h"
#include "foundation/logs.h"
#include "foundation/system_dlls.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg/plugin_keys.h"
#include "install/general_folder.h"
#include "foundation/labels.h"
#include "foundation/path_display.h"

namespace {

bool IsExe(const std::wstring& name) {
    std::wstring lower = FoldCase(name);
    return lower.size() > 4 && lower.ends_with(L".exe");
}

// Another plugin, or a program that is not the plugin's own helper (its name does
// not begin with the plugin's), in the folder tree.
std::wstring ForeignFile(const std::wstring& folder, const std::wstring& ownKey, const std::vector<std::wstring>& plugins) {
    for (const std::wstring& p : plugins)
        if (FoldCase(PlugKey(p)) != ownKey) return PathName(p);
    std::vector<std::wstring> names;
    int64_t budget = 100000;
    ScanFilesByPattern(folder, L"", 3, L"", names, budget);
    for (const std::wstring& rel : names)
        if (IsExe(rel) && FoldCase(PathName(rel)).rfind(ownKey, 0) != 0) return PathName(rel);
    return L"";
}

bool SameEntry(const PlugEntry& a, const PlugEntry& b) {
    if (a.kind != b.kind || ComparablePath(a.expandedPath) != ComparablePath(b.expandedPath)) return false;
    return a.kind > KindContent || a.number == b.number;
}

// The first other registered plugin in the folder or below it. Both sides with
// long names: an entry of the short (8.3) spelling uses the folder as much.
std::wstring OtherUser(const PlugEntry& entry, const std::wstring& folder) {
    std::wstring own = ComparablePath(folder);
    for (int kind = 0; kind <= 3; ++kind) {
        for (const PlugEntry& e : LoadPluginSection(kind).entries) {
            if (SameEntry(e, entry)) continue;
            std::wstring dir = PathDir(e.longPath);
            if (ComparablePath(dir) == own || PathIsBelow(dir, folder))
                return FillVars(Tr("un_dir_used"), {{L"n", e.name}, {L"a", TabName(kind)}});
        }
    }
    return L"";
}

}  // namespace

PluginFolderCheck CheckPluginFolder(const PlugEntry& entry) {
    PluginFolderCheck check;
    check.folder = LongFullPath(PathDir(entry.expandedPath));
    if (!entry.fileExists || check.folder.size() <= 3) {
        check.reason = Tr("un_dir_none");
    } else if (IsSharedPluginFolder(check.folder)) {
        check.reason = FillVar(Tr("un_dir_shared"), L"d", PathName(check.folder));
    } else if (IsGeneralFolder(check.folder)) {
        check.reason = FillVar(Tr("un_dir_general"), L"d", check.folder);
    }
    if (!check.reason.empty()) return check;
    std::vector<std::wstring> plugins;
    ScanPluginFilesSized(check.folder, 3, check.fileCount, check.totalBytes, plugins, check.iniNames);
    std::wstring foreign = ForeignFile(check.folder, FoldCase(PlugKey(entry.expandedPath)), plugins);
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
