// What the detect-string tests share.
#pragma once
#include <doctest/doctest.h>

#include <string>

#include "dsx/detect_spec.h"
#include "foundation/encoding.h"

namespace doctest {
template <>
struct StringMaker<std::wstring> {
    static String convert(const std::wstring& s) { return StrToUtf8(s).c_str(); }
};
}  // namespace doctest
