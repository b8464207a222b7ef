// What Tab completes in a detect string: a keyword at the start of a condition, an
// extension inside a quoted EXT value, or the next alternative after a finished
// EXT term. Text only, so it also builds natively.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The text of the next alternative offered right after a finished EXT term.
inline constexpr wchar_t NextAlternativeText[] = L" | EXT=\"";

struct DetectCompletion {
    std::vector<std::wstring> candidates;  // full texts that replace [replaceStart, caret)
    int replaceStart = 0;
    std::wstring typed;                    // the text between replaceStart and the caret
};

// known: upper-case extensions, the plugin's own ones first (ownCount of them).
DetectCompletion DetectCompletions(const std::wstring& text, int caret, const std::vector<std::wstring>& known,
                                   uint64_t ownCount);
// The longest beginning all candidates share, compared ignoring case, in the first one's letters.
std::wstring CommonBeginning(const std::vector<std::wstring>& candidates);
// How the list shows a candidate: without trailing blanks, quotes and '&'.
std::wstring CompletionLabel(const std::wstring& candidate);
