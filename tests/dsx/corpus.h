// The detect strings of the real configurations in tests/data/wincmd.
#pragma once
#include <string>
#include <vector>

struct CorpusDetect {
    std::wstring file;
    std::wstring key;
    std::wstring text;  // the value without one pair of enclosing quotes, as the plugin model holds it
};

std::vector<CorpusDetect> CorpusDetectStrings();
