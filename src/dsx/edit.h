// Adding and removing extensions inside a detect string while keeping its
// conditions, brackets and spacing.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "dsx/parse.h"

// Removes every plain occurrence of each extension of remove (upper case) and adds
// the extensions of add. failed, when given, tells that some removal was impossible
// without changing a condition; the text then keeps that extension.
std::wstring DsxEditExts(const std::wstring& text, const std::set<std::wstring>& remove,
                         const std::vector<std::wstring>& add, bool* failed);
// Inserts EXT="ext" into a bracketed list of EXT terms; false (text unchanged)
// when there is none that stands free of FORCE and '!'.
bool DsxInsertExt(std::wstring& text, const std::wstring& ext);
// Cuts the EXT term at node out of its '|' list; false (text unchanged) when the
// node is no operand of an Or.
bool DsxRemoveExtTerm(std::wstring& text, const DsxTree& tree, int node);
