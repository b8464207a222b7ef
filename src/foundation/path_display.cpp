#include "foundation/path_display.h"

#include <windows.h>

#include <cwchar>

#include "foundation/env.h"
#include "foundation/settings.h"
#include "foundation/system_dlls.h"
#include "foundation/text.h"

std::wstring WithCommanderPathVar(const std::wstring& path) {
    std::wstring tc = PathNoTrailingSep(EnvGet(L"COMMANDER_PATH"));
    if (tc.empty() || tc.size() >= path.size() || !StrIEquals(path.substr(0, tc.size()), tc) || path[tc.size()] != L'\\')
        return path;
    return L"%COMMANDER_PATH%" + path.substr(tc.size());
}

std::wstring PathForDisplay(const std::wstring& path, bool compact) {
    std::wstring mode = GetSetting(L"View", L"PathDisplay");
    if (mode == L"ini" && !compact) return path;
    std::wstring expanded = EnvExpand(path);
    if (mode == L"resolved") return expanded;
    if (std::wstring relative = WithCommanderPathVar(expanded); relative != expanded) return relative;
    const ShlwapiDll* shlwapi = Shlwapi();
    wchar_t vars[520];
    if (shlwapi && expanded.size() < MAX_PATH && shlwapi->PathUnExpandEnvStringsW(expanded.c_str(), vars, 520) &&
        _wcsnicmp(vars, L"%SystemDrive%", 13) != 0)
        return vars;
    return expanded;
}
