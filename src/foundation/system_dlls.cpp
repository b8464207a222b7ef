#include "foundation/system_dlls.h"

#include <oleauto.h>

namespace {

// Only the system folder is searched, so no file of that name beside the program
// or in the current folder is taken for it.
HMODULE LoadSystemDll(const wchar_t* name) { return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32); }

// Any function pointer converts through void (*)() without a type warning.
template <typename Function>
bool Bind(HMODULE dll, Function& function, const char* name) {
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
    return function != nullptr;
}

// A table is loaded by the first caller; the DLL stays loaded for the process.
template <typename Table, typename BindAll>
const Table* LoadOnce(const wchar_t* name, BindAll bindAll) {
    static const struct Loaded {
        Table table{};
        bool ok = false;
    } loaded = [&] {
        Loaded l;
        HMODULE dll = LoadSystemDll(name);
        l.ok = dll && bindAll(dll, l.table);
        return l;
    }();
    return loaded.ok ? &loaded.table : nullptr;
}

}  // namespace

const Shell32Dll* Shell32() {
    return LoadOnce<Shell32Dll>(L"shell32.dll", [](HMODULE dll, Shell32Dll& t) {
        return Bind(dll, t.CommandLineToArgvW, "CommandLineToArgvW") && Bind(dll, t.ShellExecuteW, "ShellExecuteW") &&
               Bind(dll, t.SHFileOperationW, "SHFileOperationW") &&
               Bind(dll, t.SHGetKnownFolderPath, "SHGetKnownFolderPath") &&
               Bind(dll, t.SHQueryRecycleBinW, "SHQueryRecycleBinW");
    });
}

const ShlwapiDll* Shlwapi() {
    return LoadOnce<ShlwapiDll>(L"shlwapi.dll", [](HMODULE dll, ShlwapiDll& t) {
        return Bind(dll, t.PathIsUNCW, "PathIsUNCW") && Bind(dll, t.PathStripToRootW, "PathStripToRootW") &&
               Bind(dll, t.PathUnExpandEnvStringsW, "PathUnExpandEnvStringsW") &&
               Bind(dll, t.SHAutoComplete, "SHAutoComplete") && Bind(dll, t.StrCmpLogicalW, "StrCmpLogicalW") &&
               Bind(dll, t.StrFormatByteSizeW, "StrFormatByteSizeW");
    });
}

const VersionDll* Version() {
    return LoadOnce<VersionDll>(L"version.dll", [](HMODULE dll, VersionDll& t) {
        return Bind(dll, t.GetFileVersionInfoSizeW, "GetFileVersionInfoSizeW") &&
               Bind(dll, t.GetFileVersionInfoW, "GetFileVersionInfoW") &&
               Bind(dll, t.VerQueryValueW, "VerQueryValueW") && Bind(dll, t.VerLanguageNameW, "VerLanguageNameW");
    });
}

const UxthemeDll* Uxtheme() {
    return LoadOnce<UxthemeDll>(L"uxtheme.dll", [](HMODULE dll, UxthemeDll& t) {
        return Bind(dll, t.SetWindowTheme, "SetWindowTheme") && Bind(dll, t.GetWindowTheme, "GetWindowTheme");
    });
}

const DwmapiDll* Dwmapi() {
    return LoadOnce<DwmapiDll>(L"dwmapi.dll", [](HMODULE dll, DwmapiDll& t) {
        return Bind(dll, t.DwmSetWindowAttribute, "DwmSetWindowAttribute");
    });
}

const Comdlg32Dll* Comdlg32() {
    return LoadOnce<Comdlg32Dll>(L"comdlg32.dll", [](HMODULE dll, Comdlg32Dll& t) {
        return Bind(dll, t.GetOpenFileNameW, "GetOpenFileNameW");
    });
}

const Ole32Dll* Ole32() {
    return LoadOnce<Ole32Dll>(L"ole32.dll", [](HMODULE dll, Ole32Dll& t) {
        return Bind(dll, t.CoInitializeEx, "CoInitializeEx") && Bind(dll, t.CoTaskMemFree, "CoTaskMemFree") &&
               Bind(dll, t.PropVariantClear, "PropVariantClear");
    });
}

const Oleaut32Dll* Oleaut32() {
    return LoadOnce<Oleaut32Dll>(L"oleaut32.dll", [](HMODULE dll, Oleaut32Dll& t) {
        return Bind(dll, t.SysStringLen, "SysStringLen");
    });
}
