// Texts the program writes into its own INI files through the profile functions,
// which trim keys and values, end a key at its first '=' and take a line that starts
// with '[' or ';' for a section or a comment. A text they would cut or misread is
// stored as "%~" followed by the text with those characters (and every '%') as
// percent escapes; any other text is stored as it stands.
#pragma once
#include <string>

// A value: escaped when it holds control characters or blanks at its ends.
std::wstring IniEscapeValue(const std::wstring& value);
// A key: escaped as a value is, and also when it holds '=' or starts with '[' or ';'.
std::wstring IniEscapeKey(const std::wstring& key);
// The text of an escaped key or value; any other text unchanged.
std::wstring IniUnescape(const std::wstring& stored);
