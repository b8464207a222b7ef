// A detect string's syntax error in the user's words.
#pragma once
#include <string>

#include "dsx/parse.h"

// "" for no error.
std::wstring DetectSyntaxMessage(const DsxError& error);
// The advice for an unquoted EXT value repeats the operator the user wrote, so
// EXT!=txt is never "corrected" into the opposite EXT="TXT".
std::wstring WithWrittenOperator(std::wstring tmpl, const DsxError& error);
