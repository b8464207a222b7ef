// Tokenizer and parser of TC's detect strings. Pure text in, tree out: no Windows calls.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Token classes; punctuation tokens use the character itself as their kind.
enum DsxTokenKind : int {
    DsxTokNumber = 'N',
    DsxTokWord = 'W',
    DsxTokString = 'S',
    DsxTokNotEqual = 'n',
    DsxTokOther = '?',
};

struct DsxToken {
    int kind = 0;
    std::wstring text;  // words upper-cased, strings without quotes
    int start = 0;      // 0-based, end exclusive
    int end = 0;
    uint8_t unterminated = 0;
};

enum DsxNodeKind : int {
    DsxOr = 0,
    DsxAnd = 1,
    DsxNot = 2,
    DsxGroup = 3,
    DsxExtEq = 4,
    DsxExtNe = 5,
    DsxSize = 6,
    DsxByte = 7,
    DsxFind = 8,
    DsxForce = 9,
    DsxMultimedia = 10,
};

struct DsxNode {
    int kind = 0;
    int start = 0;  // source span, end exclusive
    int end = 0;
    std::wstring text;  // EXT value upper-cased, FIND text as written, SIZE/[n] operator
    std::vector<int> children;
    int parent = -1;
    int64_t value = 0;  // SIZE number, [n] compared value (-1 for a text that is not one character)
    int offset = -1;    // [n]: the byte index
    uint8_t valueIsString = 0;
    uint8_t caseInsensitive = 0;  // FINDI
};

// Error codes: 1 open quote, 2 character not allowed (also a bracket nested too deep),
// 3 something else expected, 4 EXT value without quotes, 5 FIND=, 6 unknown word,
// 7 ')' left over.
enum DsxErrorCode : int {
    DsxErrNone = 0,
    DsxErrQuote = 1,
    DsxErrChar = 2,
    DsxErrExpect = 3,
    DsxErrUnquoted = 4,
    DsxErrFindEq = 5,
    DsxErrUnknownWord = 6,
    DsxErrClose = 7,
};

// What code 3 expected when its text is empty.
enum DsxExpectDetail : int {
    DsxExpectLiteral = 0,
    DsxExpectCondition = 1,
    DsxExpectNumber = 2,
    DsxExpectValue = 3,
};

struct DsxError {
    int code = DsxErrNone;
    int position = 0;  // 1-based character position
    std::wstring text;
    // Code 3: a DsxExpectDetail. Code 4: 1 when the operator was "!=", so advice
    // can repeat the operator the user wrote.
    int detail = 0;
};

struct DsxTree {
    std::vector<DsxNode> nodes;  // operands always before the node that holds them
    int root = -1;               // -1: empty input or an error
    DsxError error;
};

// Brackets deeper than this are refused, so hostile input cannot exhaust the stack.
constexpr int kDsxMaxNesting = 256;
// Tree walks stop at this depth: a parsed tree never gets there (each bracket adds
// at most Group, Not, Or and And), so only a tree built by hand is cut short.
constexpr int kDsxMaxTreeDepth = 4 * kDsxMaxNesting + 4;

std::vector<DsxToken> DsxTokenize(const std::wstring& text);

namespace dsx {
// Never throws; the first syntax error comes back in the tree.
DsxTree Parse(const std::wstring& text);
}  // namespace dsx
