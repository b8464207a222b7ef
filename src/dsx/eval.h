// Whether a detect string accepts a file, decided on the few facts TC looks at.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "dsx/parse.h"

// Only the first bytes of a file are ever read; FIND and [n] see nothing beyond.
constexpr size_t kFileHeadBytes = 8192;

struct FileFacts {
    std::wstring extension;  // upper case, without the dot; "" for none
    int64_t size = 0;
    std::string head;  // the first bytes of the file, at most kFileHeadBytes
    uint8_t force = 0;  // what FORCE evaluates to: true only for the key-4 view
};

// One elementary condition of a detect string with its value on a file's facts.
struct DetectTerm {
    std::wstring text;
    uint8_t value = 0;
    int kind = 0;  // DsxNodeKind, DsxExtEq .. DsxMultimedia
};

bool DsxEval(const DsxTree& tree, int node, const FileFacts& facts);
// A detect string that is empty or cannot be parsed accepts every file, as in TC.
bool DetectMatches(const std::wstring& detect, const FileFacts& facts);
// Every condition of the detect string in source order; empty when it cannot be parsed.
std::vector<DetectTerm> DetectTermValues(const std::wstring& detect, const FileFacts& facts);
// The same on the detect string's tree, parsed already.
std::vector<DetectTerm> DetectTermValues(const DsxTree& tree, const std::wstring& detect, const FileFacts& facts);

// Reads extension, size and head of a file; a folder gives empty facts, force is 0.
FileFacts DetFileFacts(const std::wstring& path);
