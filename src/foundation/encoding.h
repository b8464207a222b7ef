// Conversions between UTF-16, UTF-8 and the ANSI code page.
#pragma once
#include <string>
#include <string_view>

std::string StrToUtf8(const std::wstring& s);
// The bytes may hold NUL; they are converted as counted.
std::wstring Utf8ToWide(std::string_view bytes);
// Stops at the first NUL and never reads past the given bytes.
std::wstring AnsiToWide(std::string_view bytes);
// The ANSI code page holds the text as it stands: it converts there and back
// unchanged, with no best-fit look-alike ('[' for '［') and no default character.
bool AnsiHolds(std::wstring_view text);
