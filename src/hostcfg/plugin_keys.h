// Keys under which the model finds one plugin again: in the probe cache, the
// inventory, the field-usage index, and between its 32-bit and 64-bit files.
#pragma once
#include <string>

// Lower-cased; a trailing "64" is cut when at least 7 characters are there,
// so Foo.wlx64 becomes foo.wlx while the bare ".wlx64" stays as it is.
std::wstring PlugKeyName(const std::wstring& text);
// Lower-cased file name without folder and extension, "64" cut: foo for ...\Foo.wlx64.
std::wstring PlugKey(const std::wstring& path);
// 'L', 'C', 'P', 'F' for kinds 0..3; any other kind gives 'L'.
wchar_t PlugKindLetter(int kind);
// Kind letter, '|' and the text unchanged.
std::wstring MakeKindKey(int kind, const std::wstring& text);
