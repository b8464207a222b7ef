#include "foundation/logs.h"

#include <windows.h>

#include <cstdio>

#include "foundation/data_folder.h"
#include "foundation/encoding.h"
#include "foundation/handles.h"
#include "foundation/labels.h"
#include "foundation/text.h"
#include "foundation/texts.h"

std::atomic<bool> DebugLogOn{false};
std::mutex DebugLogLock;

namespace {

std::wstring DebugPrefix() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t buf[48];
    swprintf(buf, 48, L"%04u-%02u-%02u %02u:%02u:%02u.%03u  ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond, t.wMilliseconds);
    return buf;
}

FileHandle OpenForAppend(const std::wstring& path, DWORD access) {
    return FileHandle(CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteAll(HANDLE h, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(h, bytes.data(), (DWORD)bytes.size(), &written, nullptr) && written == bytes.size();
}

}  // namespace

bool DebugLog(const std::wstring& text) {
    if (!DebugLogOn) return true;
    std::string line = StrToUtf8(DebugPrefix() + text + L"\r\n");
    std::lock_guard<std::mutex> lock(DebugLogLock);
    FileHandle h = OpenForAppend(PathJoin(DataFolder(), L"Kestrovane.debug.log"), FILE_APPEND_DATA);
    return h && WriteAll(h.Get(), line);
}

bool AppendChangeLog(const std::vector<std::wstring>& lines) {
    if (lines.empty()) return true;
    FileHandle h = OpenForAppend(ChangeLogPath(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES);
    if (!h) return false;
    LARGE_INTEGER size = {};
    // Without the size the mark could land in the middle of the file.
    if (!GetFileSizeEx(h.Get(), &size)) return false;
    std::string buffer = size.QuadPart == 0 ? "\xEF\xBB\xBF" : "";
    for (const std::wstring& line : lines) buffer += StrToUtf8(line) + "\r\n";
    return WriteAll(h.Get(), buffer);
}

std::wstring LogChanges(const std::vector<std::wstring>& lines) {
    if (AppendChangeLog(lines)) return L"";
    DebugLog(L"change log not written: " + ChangeLogPath());
    return Tr("err_changelog") + L" " + ChangeLogPath() + L"\r\n";
}

std::wstring ChangeLogLine(const std::wstring& stamp, int kind, const std::wstring& name, const std::wstring& text) {
    return stamp + L"  " + StrPadRight(TabName(kind), 12) + StrPadRight(name, 22) + L" " + text;
}
