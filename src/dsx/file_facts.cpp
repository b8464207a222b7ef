// Reading a file's facts is the one place of the detect-string code that calls Windows.
#include <windows.h>

#include "dsx/eval.h"
#include "foundation/files.h"
#include "foundation/text.h"

namespace {

std::wstring ExtensionOf(const std::wstring& path) {
    size_t dot = path.rfind(L'.');
    size_t sep = path.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (sep != std::wstring::npos && dot < sep)) return L"";
    return UpperCase(path.substr(dot + 1));
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
    facts.head = ReadFileHead(path, kFileHeadBytes);
    return facts;
}
