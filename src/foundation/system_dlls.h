// The system DLLs the first paint does not need, loaded at their first use instead
// of with the program: under Wine every DLL loaded at start costs start time, and
// the probe children, started by the hundred, need hardly any of them. Each table
// is loaded once (any thread); null when the DLL or one of its functions is missing,
// which a caller treats as the call failing.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <dwmapi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <uxtheme.h>

struct Shell32Dll {
    decltype(&::CommandLineToArgvW) CommandLineToArgvW;
    decltype(&::ShellExecuteW) ShellExecuteW;
    decltype(&::SHFileOperationW) SHFileOperationW;
    decltype(&::SHGetKnownFolderPath) SHGetKnownFolderPath;
    decltype(&::SHQueryRecycleBinW) SHQueryRecycleBinW;
};
const Shell32Dll* Shell32();

// Spelled out, as shlwapi.h would bring macros such as StrTrim and StrToInt that
// hide the program's own functions of those names.
struct ShlwapiDll {
    BOOL(WINAPI* PathIsUNCW)(LPCWSTR path);
    BOOL(WINAPI* PathStripToRootW)(LPWSTR path);
    BOOL(WINAPI* PathUnExpandEnvStringsW)(LPCWSTR path, LPWSTR out, UINT outChars);
    HRESULT(WINAPI* SHAutoComplete)(HWND edit, DWORD flags);
    int(WINAPI* StrCmpLogicalW)(LPCWSTR a, LPCWSTR b);
    LPWSTR(WINAPI* StrFormatByteSizeW)(LONGLONG size, LPWSTR out, UINT outChars);
};
const ShlwapiDll* Shlwapi();

struct VersionDll {
    decltype(&::GetFileVersionInfoSizeW) GetFileVersionInfoSizeW;
    decltype(&::GetFileVersionInfoW) GetFileVersionInfoW;
    decltype(&::VerQueryValueW) VerQueryValueW;
    decltype(&::VerLanguageNameW) VerLanguageNameW;
};
const VersionDll* Version();

struct UxthemeDll {
    decltype(&::SetWindowTheme) SetWindowTheme;
    decltype(&::GetWindowTheme) GetWindowTheme;
};
const UxthemeDll* Uxtheme();

struct DwmapiDll {
    decltype(&::DwmSetWindowAttribute) DwmSetWindowAttribute;
};
const DwmapiDll* Dwmapi();

struct Comdlg32Dll {
    decltype(&::GetOpenFileNameW) GetOpenFileNameW;
};
const Comdlg32Dll* Comdlg32();

struct Ole32Dll {
    decltype(&::CoInitializeEx) CoInitializeEx;
    decltype(&::CoTaskMemFree) CoTaskMemFree;
    decltype(&::PropVariantClear) PropVariantClear;
};
const Ole32Dll* Ole32();

struct Oleaut32Dll {
    decltype(&::SysStringLen) SysStringLen;
};
const Oleaut32Dll* Oleaut32();
