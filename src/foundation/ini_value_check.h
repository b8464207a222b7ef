// The one check every key and value passes before a profile function writes it
// into TC's configuration, whether the user typed it or a plugin or a package
// gave it. The profile functions write a value as it stands: a line break in it
// starts a line of its own, which TC then reads as a section or a key the user
// never saw. Each check gives the text key of its reason, nullptr when the text
// may be written.
#pragma once
#include <functional>
#include <string>
#include <string_view>

// A key: not empty after trimming; no control character, '=', '[' or ']', no
// leading ';' (a comment); not RedirectSection, which sends any section of TC's
// INI to another file.
const char* IniKeyProblem(const std::wstring& key);
// A value: no control character but the tab, which stands inside a line as any
// letter does, and which values already in TC's INI may hold.
const char* IniValueProblem(const std::wstring& value);
// An extension a Packer line is keyed by, as a typed one is checked: a key that
// also holds no ':', where the program's kept lines part extension and flags.
const char* ExtensionProblem(const std::wstring& ext);
// The text with each control character shown as its visible symbol (U+2400 and
// on), so a value that cannot be written can still be shown on one line.
std::wstring ShowControlChars(const std::wstring& text);
// The first character of the text (a surrogate pair as one) that holds refuses;
// "" when it takes every one.
std::wstring FirstCharRefused(std::wstring_view text, const std::function<bool(std::wstring_view)>& holds);
// A character as a message names it: itself and its code point, "［ (U+FF3B)".
std::wstring CharWithCode(const std::wstring& ch);
