#include "corpus.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "foundation/encoding.h"
#include "foundation/handles.h"
#include "foundation/text.h"

namespace {

std::wstring ReadUtf8File(const std::wstring& path) {
    std::string bytes;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
        fclose(f);
    }
    return Utf8ToWide(bytes);
}

}  // namespace

std::vector<CorpusDetect> CorpusDetectStrings() {
    const wchar_t* source = _wgetenv(L"KV_TEST_SOURCE");
    std::wstring dir = std::wstring(L"Z:") + (source ? source : L"") + L"/../shared/corpus/wincmd";
    for (wchar_t& c : dir) c = c == L'/' ? L'\\' : c;
    std::vector<CorpusDetect> out;
    WIN32_FIND_DATAW fd;
    FindHandle find(FindFirstFileW((dir + L"\\*.ini").c_str(), &fd));
    for (bool more = find.Valid(); more; more = FindNextFileW(find.Get(), &fd)) {
        std::wistringstream lines(ReadUtf8File(dir + L"\\" + fd.cFileName));
        for (std::wstring line; std::getline(lines, line);) {
            size_t eq = line.find(L'=');
            std::wstring key = StrTrim(line.substr(0, eq));
            if (eq != std::wstring::npos && key.size() > 7 && key[0] != L';' &&
                StrIEquals(key.substr(key.size() - 7), L"_detect"))
                out.push_back({fd.cFileName, key, Unquote(line.substr(eq + 1))});
        }
    }
    return out;
}
