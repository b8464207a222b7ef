#include "corpus.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "foundation/encoding.h"
#include "foundation/handles.h"
#include "foundation/text.h"

namespace {

std::wstring CorpusDir() {
    const wchar_t* source = _wgetenv(L"KV_TEST_SOURCE");
    std::wstring dir = std::wstring(L"Z:") + (source ? source : L"") + L"/../shared/corpus/wincmd";
    for (wchar_t& c : dir)
        if (c == L'/') c = L'\\';
    return dir;
}

std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return bytes;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
    fclose(f);
    return bytes;
}

void CollectDetects(const std::wstring& file, const std::wstring& content, std::vector<CorpusDetect>& out) {
    size_t pos = 0;
    while (pos < content.size()) {
        size_t eol = content.find(L'\n', pos);
        if (eol == std::wstring::npos) eol = content.size();
        std::wstring line = content.substr(pos, eol - pos);
        pos = eol + 1;
        size_t eq = line.find(L'=');
        if (eq == std::wstring::npos) continue;
        std::wstring key = StrTrim(line.substr(0, eq));
        if (!key.empty() && key[0] == L';') continue;
        if (key.size() > 7 && StrIEquals(key.substr(key.size() - 7), L"_detect"))
            out.push_back({file, key, Unquote(line.substr(eq + 1))});
    }
}

}  // namespace

std::vector<CorpusDetect> CorpusDetectStrings() {
    std::vector<CorpusDetect> out;
    std::wstring dir = CorpusDir();
    WIN32_FIND_DATAW fd;
    FindHandle find(FindFirstFileW((dir + L"\\*.ini").c_str(), &fd));
    if (!find) return out;
    do {
        CollectDetects(fd.cFileName, Utf8ToWide(ReadAll(dir + L"\\" + fd.cFileName)), out);
    } while (FindNextFileW(find.Get(), &fd));
    return out;
}
