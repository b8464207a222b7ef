// A stand-in for the HTML Help viewer: appends its command line, one line in UTF-8,
// to hh.log beside itself and ends.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring log(self);
    log = log.substr(0, log.find_last_of(L'\\') + 1) + L"hh.log";
    std::wstring line = std::wstring(GetCommandLineW()) + L"\n";
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
    // Two help calls start two viewers at once; the later one waits for the log
    // instead of losing its line to a sharing violation.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int tries = 0; tries < 200 && file == INVALID_HANDLE_VALUE; ++tries) {
        file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_SHARING_VIOLATION) return 1;
        if (file == INVALID_HANDLE_VALUE) Sleep(25);
    }
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, utf8.data(), bytes - 1, &written, nullptr);
    CloseHandle(file);
    return 0;
}
