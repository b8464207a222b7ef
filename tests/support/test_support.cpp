#include "support/test_support.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>

#include "foundation/data_folder.h"
#include "foundation/handles.h"
#include "foundation/text.h"
#include "foundation/texts.h"

namespace {

// A Windows path below the Unix folder an environment variable names.
std::wstring PathBelow(const wchar_t* variable, const std::wstring& rel) {
    wchar_t buf[1024];
    DWORD n = GetEnvironmentVariableW(variable, buf, 1024);
    std::wstring unix(buf, n < 1024 ? n : 0);
    // Wine shows the Unix root as drive Z:.
    for (auto& c : unix)
        if (c == L'/') c = L'\\';
    return PathJoin(L"Z:" + unix, rel);
}

}  // namespace

std::wstring BuildPath(const std::wstring& rel) { return PathBelow(L"KV_TEST_BINARY", rel); }

std::wstring SourcePath(const std::wstring& rel) { return PathBelow(L"KV_TEST_SOURCE", rel); }

std::wstring CorpusDir() { return SourcePath(L"tests\\data\\wincmd"); }

std::vector<std::wstring> CorpusIniNames(bool withCompanions) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    FindHandle find(FindFirstFileW(PathJoin(CorpusDir(), L"*.ini").c_str(), &fd));
    for (bool more = find.Valid(); more; more = FindNextFileW(find.Get(), &fd)) {
        std::wstring name = fd.cFileName;
        if (withCompanions || std::count(name.begin(), name.end(), L'.') == 1) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    FindHandle find(FindFirstFileW(PathJoin(path, L"*").c_str(), &fd));
    if (find) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = PathJoin(path, name);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                RemoveFolderLink(child);
            } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find.Get(), &fd));
    }
    find.Reset();
    RemoveDirectoryW(path.c_str());
}

std::wstring FreshTempDir(const std::wstring& name) {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    std::wstring root = PathJoin(tmp, L"kv_tests");
    CreateDirectoryW(root.c_str(), nullptr);
    std::wstring dir = PathJoin(root, name + L"_" + std::to_wstring(GetCurrentProcessId()));
    RemoveTree(dir);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    // Shared, as an editor writes: the program's workers may be reading the file.
    FileHandle h(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (h) WriteFile(h.Get(), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
}

std::string ReadFileBytes(const std::wstring& path) {
    FileHandle h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return "";
    std::string bytes(GetFileSize(h.Get(), nullptr), '\0');
    DWORD got = 0;
    ReadFile(h.Get(), bytes.data(), (DWORD)bytes.size(), &got, nullptr);
    bytes.resize(got);
    return bytes;
}

std::string Utf16Bytes(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) {
        bytes += (char)(c & 0xFF);
        bytes += (char)((c >> 8) & 0xFF);
    }
    return bytes;
}

int ChildProcesses(unsigned long parentId, const std::wstring& namePrefix) {
    int count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        count += entry.th32ParentProcessID == parentId && std::wstring(entry.szExeFile).starts_with(namePrefix);
    CloseHandle(snapshot);
    return count;
}

bool EventuallyHolds(const std::function<bool()>& condition) {
    for (int waited = 0; waited < 60000; waited += 10) {
        if (condition()) return true;
        Sleep(10);
    }
    return condition();
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

ChangeLogHeld::ChangeLogHeld()
    : handle_(CreateFileW(ChangeLogPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr)) {}
ChangeLogHeld::~ChangeLogHeld() {
    if (Holds()) CloseHandle(handle_);
}
bool ChangeLogHeld::Holds() const { return handle_ != INVALID_HANDLE_VALUE; }
std::wstring ChangeLogHeld::Note() { return Tr("err_changelog") + L" " + ChangeLogPath() + L"\r\n"; }

ScopedEnv::ScopedEnv(const wchar_t* name, const wchar_t* value) : name_(name) {
    wchar_t buf[4096];
    DWORD n = GetEnvironmentVariableW(name, buf, 4096);
    hadOld_ = n > 0 && n < 4096;
    if (hadOld_) old_.assign(buf, n);
    SetEnvironmentVariableW(name, value);
}

ScopedEnv::~ScopedEnv() { SetEnvironmentVariableW(name_.c_str(), hadOld_ ? old_.c_str() : nullptr); }

namespace {

bool IsLink(const std::wstring& path) {
    DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The host's name of a Windows path under Wine; "" elsewhere.
std::string HostPath(const std::wstring& path) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto unixName = (UnixName)(void*)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    char* name = unixName ? unixName(path.c_str()) : nullptr;
    std::string out = name ? name : "";
    if (name) HeapFree(GetProcessHeap(), 0, name);
    return out;
}

// Runs a program of the host by its path on Wine's drive Z: and waits until done()
// holds: Wine gives no handle that waits for a host program.
template <typename Done>
bool RunOnHost(const std::wstring& program, const std::string& args, Done done) {
    std::wstring line = L"\"" + program + L"\" " + std::wstring(args.begin(), args.end());
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int i = 0; i < 400 && !done(); ++i) Sleep(25);
    return done();
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// made: how the link shows once it is there.
bool MakeLink(const std::wstring& link, const std::wstring& target, DWORD flags, bool (*made)(const std::wstring&)) {
    if (CreateSymbolicLinkW(link.c_str(), target.c_str(), flags | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
        made(link))
        return true;
    std::string hostLink = HostPath(link), hostTarget = HostPath(target);
    if (hostLink.empty() || hostTarget.empty()) return false;
    return RunOnHost(L"Z:\\bin\\ln", "-s \"" + hostTarget + "\" \"" + hostLink + "\"", [&] { return made(link); });
}

}  // namespace

bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
    return MakeLink(link, target, SYMBOLIC_LINK_FLAG_DIRECTORY, IsLink);
}

bool MakeFileLink(const std::wstring& link, const std::wstring& target) { return MakeLink(link, target, 0, Exists); }

void RemoveFolderLink(const std::wstring& link) {
    std::string hostLink = HostPath(link);
    if (hostLink.empty()) RemoveDirectoryW(link.c_str());
    else RunOnHost(L"Z:\\bin\\rm", "\"" + hostLink + "\"", [&] { return !IsLink(link); });
}
