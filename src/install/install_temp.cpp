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

// The absolute, lower-case form without trailing separators; "" when a ".." is
// left in it (a path the system could not resolve), so it can match nothing.
std::wstring ComparablePath(const std::wstring& path) {
    std::wstring full = StrLower(PathNoTrailingSep(FullPath(path)));
    for (auto& c : full)
        if (c == L'/') c = L'\\';
    std::wstring padded = full + L"\\";
    return padded.find(L"\\..\\") == std::wstring::npos ? full : L"";
}

}  // namespace

std::wstring InstallTempFolder() {
    std::wstring temp = EnvGet(L"TEMP");
    return PathJoin(temp.empty() ? DataFolder() : temp, L"Kestrovane_install");
}

std::wstring InstTempSubfolder() {
    return PathJoin(InstallTempFolder(), StrFileStamp() + L"_" + std::to_wstring(GetTickCount() % 100000));
}

void InstTempClean(const std::wstring& folder) {
    std::wstring base = ComparablePath(InstallTempFolder());
    std::wstring target = ComparablePath(folder);
    if (base.empty() || target.size() <= base.size() + 1 || target.compare(0, base.size() + 1, base + L"\\") != 0)
        return;
    std::wstring path = PathNoTrailingSep(FullPath(folder));
    DeleteTreeFiles(path, 12);
    std::wstring from = path + L'\0';  // the shell's list ends with two zeros
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    if (const Shell32Dll* shell = Shell32()) shell->SHFileOperationW(&op);
}

void DeleteTreeFiles(const std::wstring& folder, int depth) {
    WIN32_FIND_DATAW found;
    FindHandle list(FindFirstFileW(PathJoin(folder, L"*").c_str(), &found));
    if (!list) return;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring full = PathJoin(folder, name);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW(full.c_str());
        else if (depth >= 1 && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            DeleteTreeFiles(full, depth - 1);
    } while (FindNextFileW(list.Get(), &found));
}
