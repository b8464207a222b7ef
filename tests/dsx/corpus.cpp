#include "corpus.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/encoding.h"
#include "foundation/handles.h"
#include "foundation/text.h"

std::vector<CorpusDetect> CorpusDetectStrings() {
    const wchar_t* source = _wgetenv(L"KV_TEST_SOURCE");
    std::wstring dir = std::wstring(L"Z:") + (source ? source : L"") + L"/../shared/corpus/wincmd";
    std::vector<CorpusDetect> out;
    WIN32_FIND_DATAW fd;
    FindHandle find(FindFirstFileW((dir + L"\\*.ini").c_str(), &fd));
    for (bool more = find.Valid(); more; more = FindNextFileW(find.Get(), &fd)) {
        std::ifstream file(std::filesystem::path(dir + L"\\" + fd.cFileName), std::ios::binary);
        std::wistringstream lines(Utf8ToWide(std::string(std::istreambuf_iterator<char>(file), {})));
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
