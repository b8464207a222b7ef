// What the detect-string tests share.
#pragma once
#include <doctest/doctest.h>

#include <string>

#include "dsx/detect_spec.h"
#include "foundation/encoding.h"
#include "hostcfg/plug_entry.h"

// A plugin entry whose wincmd.ini line holds this detect string.
inline PlugEntry DetectEntry(int kind, const std::wstring& detect, int number = 1, const wchar_t* path = L"C:\\P\\x.wlx") {
    PlugEntry e;
    e.kind = kind;
    e.number = number;
    e.expandedPath = path;
    e.hasDetect = 1;
    e.detectText = detect;
    e.iniDetect = CompileDetect(detect, true);
    return e;
}

namespace doctest {
template <>
struct StringMaker<std::wstring> {
    static String convert(const std::wstring& s) { return StrToUtf8(s).c_str(); }
};
}  // namespace doctest
