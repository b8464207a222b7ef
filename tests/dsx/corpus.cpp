#include "corpus.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/encoding.h"
#include "foundation/text.h"
#include "support/test_support.h"

std::vector<CorpusDetect> CorpusDetectStrings() {
    std::vector<CorpusDetect> out;
    for (const std::wstring& name : CorpusIniNames(true)) {
        std::ifstream file(std::filesystem::path(PathJoin(CorpusDir(), name)), std::ios::binary);
        std::wistringstream lines(Utf8ToWide(std::string(std::istreambuf_iterator<char>(file), {})));
        for (std::wstring line; std::getline(lines, line);) {
            size_t eq = line.find(L'=');
            std::wstring key = StrTrim(line.substr(0, eq));
            if (eq != std::wstring::npos && key.size() > 7 && key[0] != L';' &&
                StrIEquals(key.substr(key.size() - 7), L"_detect"))
                out.push_back({name, key, Unquote(line.substr(eq + 1))});
        }
    }
    return out;
}
