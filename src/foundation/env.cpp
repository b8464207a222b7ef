#include "foundation/env.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

#include "foundation/system_dlls.h"

namespace {

constexpr DWORD kEnvChars = 520;
constexpr DWORD kRegBytes = 1040;

}  // namespace

std::wstring EnvGet(const std::wstring& name) {
    wchar_t buf[kEnvChars];
    DWORD n = GetEnvironmentVariableW(name.c_str(), buf, kEnvChars);
    if (n == 0 || n >= kEnvChars) return L"";
    return std::wstring(buf, n);
}

std::wstring EnvExpand(const std::wstring& text) {
    DWORD need = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (need == 0) return text;
    // The environment may grow between the two calls; ask again until it fits.
    for (int tries = 0; tries < 3; ++tries) {
        std::wstring out(need, L'\0');
        DWORD got = ExpandEnvironmentStringsW(text.c_str(), out.data(), need);
        if (got == 0) return text;
        if (got <= need) {
            out.resize(wcsnlen(out.c_str(), need));
            return out;
        }
        need = got;
    }
    return text;
}

std::wstring RegGetString(HKEY root, const std::wstring& subkey, const std::wstring& value) {
    wchar_t buf[kRegBytes / sizeof(wchar_t)];
    DWORD bytes = kRegBytes;
    LONG rc = RegGetValueW(root, subkey.c_str(), value.c_str(), RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                           nullptr, buf, &bytes);
    if (rc != ERROR_SUCCESS) return L"";
    return std::wstring(buf, wcsnlen(buf, std::min<size_t>(bytes / sizeof(wchar_t), std::size(buf))));
}

std::vector<std::wstring> ProgramArgs() {
    const Shell32Dll* shell = Shell32();
    int count = 0;
    LPWSTR* argv = shell ? shell->CommandLineToArgvW(GetCommandLineW(), &count) : nullptr;
    if (!argv) return {};
    std::vector<std::wstring> args(argv, argv + count);
    LocalFree(argv);
    return args;
}
