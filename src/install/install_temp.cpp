#include "install/install_temp.h"

#include <windows.h>

#include "foundation/data_folder.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/system_dlls.h"
#include "foundation/text.h"
#include "foundation/timestamps.h"

namespace {

// Deeper than any path the folder listing can reach (MAX_PATH characters).
constexpr int InstTempDepth = 130;

// The full path with its deepest existing folder as the file system names it,
// the missing rest as written.
std::wstring ResolvedPath(const std::wstring& path) {
    std::wstring full = NormalFullPath(path), folder = full, rest;
    while (folder.size() > 3) {
        if (std::wstring real = FinalPath(folder); !real.empty()) return PathJoin(real, rest);
        size_t cut = folder.find_last_of(L'\\');
        if (cut == std::wstring::npos) break;
        rest = folder.substr(cut + 1) + (rest.empty() ? L"" : L"\\" + rest);
        folder.resize(cut);
    }
    return full;
}

}  // namespace

std::wstring InstallTempFolder() {
    std::wstring temp = EnvGet(L"TEMP");
    return PathJoin(temp.empty() ? DataFolder() : temp, L"Kestrovane_install");
}

bool LiesInInstallTemp(const std::wstring& path) {
    std::wstring temp = InstallTempFolder();
    return PathSameOrBelow(path, temp) || PathSameOrBelow(ResolvedPath(path), ResolvedPath(temp));
}

std::wstring InstTempSubfolder() {
    return PathJoin(InstallTempFolder(), StrFileStamp() + L"_" + std::to_wstring(GetTickCount() % 100000));
}

void InstTempClean(const std::wstring& folder) {
    std::wstring base = InstallTempFolder();
    // A link in place of either folder would lead the delete anywhere.
    if (folder.empty() || IsReparsePoint(base) || IsReparsePoint(folder)) return;
    std::wstring real = FinalPath(folder);
    if (real.empty() || !PathIsBelow(real, FinalPath(base))) return;
    // The shell's delete follows links inside the tree, so it only gets a tree without any.
    if (!DeleteTreeFiles(real, InstTempDepth)) return;
    std::wstring from = real + L'\0';  // the shell's list ends with two zeros
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    if (const Shell32Dll* shell = Shell32()) shell->SHFileOperationW(&op);
}

bool DeleteTreeFiles(const std::wstring& folder, int depth) {
    WIN32_FIND_DATAW found;
    FindHandle list(FindFirstFileW(PathJoin(folder, L"*").c_str(), &found));
    if (!list) return false;
    bool linkFree = true;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring full = PathJoin(folder, name);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            linkFree = false;
        else if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW(full.c_str());
        else
            linkFree = depth >= 1 && DeleteTreeFiles(full, depth - 1) && linkFree;
    } while (FindNextFileW(list.Get(), &found));
    return linkFree;
}
