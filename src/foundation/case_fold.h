// The upper-case table behind UpperCase, UpperCaseUnit and FoldCase (text.h), made
// once from the system's case mapping; apart so that a test can hand it a mapping.
#pragma once
#include <vector>

// Upper-cases n units of from into to, as LCMapStringEx does: the units written,
// 0 when it failed (with the error for GetLastError).
using UpperMapping = int (*)(const wchar_t* from, wchar_t* to, int n);

// Every UTF-16 unit's upper case by the mapping. Where it fails, CharUpperBuffW's
// stands in, and the debug log tells of the failure.
std::vector<wchar_t> MakeUpcaseTable(UpperMapping mapping);
