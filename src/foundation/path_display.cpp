#include "foundation/path_display.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwchar>

#include "foundation/env.h"
#include "foundation/settings.h"
#include "foundation/text.h"

std::wstring PathForDisplay(const std::wstring& path, bool compact) {
    std::wstring mode = GetSetting(L"View", L"PathDisplay");
    if (mode == L"ini" && !compact) return path;
    std::wstring expanded = EnvExpand(path);
    if (mode == L"resolved") return expanded;
    std::wstring tc = PathNoTrailingSep(EnvGet(L"COMMANDER_PATH"));
    if (!tc.empty() && tc.size() < expanded.size() && StrIEquals(expanded.substr(0, tc.size()), tc) &&
        expanded[tc.size()] == L'\\')
        return L"%COMMANDER_PATH%" + expanded.substr(tc.size());
    wchar_t vars[520];
    if (expanded.size() < MAX_PATH && PathUnExpandEnvStringsW(expanded.c_str(), vars, 520) &&
        _wcsnicmp(vars, L"%SystemDrive%", 13) != 0)
        return vars;
    return expanded;
}
