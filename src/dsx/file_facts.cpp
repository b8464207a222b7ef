// Reading a file's facts is the one place of the detect-string code that calls Windows.
#include <windows.h>

#include "dsx/eval.h"
#include "foundation/handles.h"
#include "foundation/text.h"

namespace {

std::wstring ExtensionOf(const std::wstring& path) {
    size_t dot = path.rfind(L'.');
    size_t sep = path.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (sep != std::wstring::npos && dot < sep)) return L"";
    return StrUpper(path.substr(dot + 1));
}

// ReadFile may hand back fewer bytes than asked (pipes, network files), so keep
// reading until the head is full or the file ends.
std::string ReadHead(HANDLE file) {
    std::string head(kFileHeadBytes, '\0');
    size_t got = 0;
    while (got < head.size()) {
        DWORD n = 0;
        if (!ReadFile(file, head.data() + got, (DWORD)(head.size() - got), &n, nullptr) || n == 0) break;
        got += n;
    }
    head.resize(got);
    return head;
}

}  // namespace

FileFacts DetFileFacts(const std::wstring& path) {
    FileFacts facts;
    WIN32_FILE_ATTRIBUTE_DATA attr{};
    bool known = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attr) != 0;
    if (known && (attr.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return facts;
    facts.extension = ExtensionOf(path);
    // A file locked by another program still has a size that SIZE tests can see.
    if (known) facts.size = ((int64_t)attr.nFileSizeHigh << 32) | attr.nFileSizeLow;
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return facts;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.Get(), &size)) facts.size = size.QuadPart;
    facts.head = ReadHead(file.Get());
    return facts;
}
