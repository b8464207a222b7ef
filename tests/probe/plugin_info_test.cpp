// The information text and extra-column values of real plugin files.
#include <windows.h>

#include <doctest/doctest.h>

#include "foundation/text.h"
#include "probe/plugin_info.h"
#include "probe_test_support.h"
#include "support/test_support.h"

namespace {

bool HasLine(const std::wstring& text, const std::wstring& line) {
    return (L"\r\n" + text).find(L"\r\n" + line + L"\r\n") != std::wstring::npos;
}

std::wstring CapLine(const std::wstring& label, const wchar_t* value) {
    return L"  " + StrPadRight(label, 44) + L" " + value;
}

}  // namespace

TEST_CASE("the information text tells what the file shows without running it") {
    UseTestSettings();
    std::wstring folder = FreshTempDir(L"plugin_info");

    SUBCASE("a Content plugin with a version resource, in a folder of another kind") {
        std::wstring wlx = PathJoin(folder, L"wlx");
        CreateDirectoryW(wlx.c_str(), nullptr);
        REQUIRE(CopyInto(FakePlugin(L"content", L"wdx"), wlx, L"content.wdx"));
        std::wstring file = PathJoin(wlx, L"content.wdx");
        std::wstring text = PluginInfoText(L"%X%\\wlx\\content.wdx", file, file);
        CAPTURE(text);
        CHECK(text.starts_with(L"File:  " + file + L"\r\n"));
        CHECK(HasLine(text, sizeof(void*) == 8 ? L"Architecture:  x64 (64 Bit)" : L"Architecture:  x86 (32 Bit)"));
        CHECK(HasLine(text, L"Plugin type (from exports):  Content"));
        CHECK(HasLine(text, L"Folder:  wlx \u2013 does not match: this is a Content plugin"));
        // The file's own language comes first, and values are shown as stored.
        CHECK(HasLine(text, L"Version info:"));
        CHECK(HasLine(text, L"  FileDescription     Inhalt zum Testen  "));
        CHECK(HasLine(text, L"  CompanyName       Fake Works"));
        CHECK(HasLine(text, L"Used in TC:"));
        CHECK(HasLine(text, L"  nowhere in TC (no column, tooltip, thumbnail, search or rename template)"));
        CHECK(HasLine(text, CapLine(L"Provides a detect string", L"yes")));
        CHECK(HasLine(text, CapLine(L"Editable fields", L"no")));
        CHECK(text.find(L"Search in Lister") == std::wstring::npos);
        CHECK(HasLine(text, L"TC interface (5):"));
        CHECK(HasLine(text, L"  ContentGetValueW"));
        CHECK(text.find(L"Other exports") == std::wstring::npos);
    }
    SUBCASE("a Lister plugin has no usage section; its kind folder fits") {
        std::wstring file = FakePlugin(L"lister", L"wlx");
        std::wstring text = PluginInfoText(L"", file, file);
        CAPTURE(text);
        CHECK(HasLine(text, L"Plugin type (from exports):  Lister"));
        CHECK(HasLine(text, L"Folder:  no wlx/wdx/wcx/wfx folder in the path"));
        CHECK(text.find(L"Used in TC") == std::wstring::npos);
        CHECK(HasLine(text, L"Version info:\r\n  none"));
        CHECK(HasLine(text, CapLine(L"Search in Lister", L"no")));
    }
    SUBCASE("unknown machines and files that are no program") {
        std::wstring odd = PathJoin(folder, L"odd.wlx"), junk = PathJoin(folder, L"junk.wlx");
        WriteFileBytes(odd, PeHeaderBytes(0x1c4));
        WriteFileBytes(junk, "no program at all");
        std::wstring text = PluginInfoText(L"", odd, odd);
        CAPTURE(text);
        CHECK(HasLine(text, L"Architecture:  0x01c4"));
        CHECK(HasLine(text, L"Build time (PE header):  not set or implausible"));
        CHECK(HasLine(text, L"Plugin type (from exports):  Lister  (no known exports \u2013 taken from the file extension)"));
        CHECK(HasLine(text, L"TC interface (0):\r\n  none"));
        std::wstring notPe = PluginInfoText(L"", junk, junk);
        CHECK(notPe.ends_with(L"\r\n\r\nnot a valid program file\r\n"));
        CHECK(notPe.find(L"Architecture") == std::wstring::npos);
    }
}

TEST_CASE("extra-column values describe the 64-bit file and name every architecture") {
    UseTestSettings();
    std::wstring folder = FreshTempDir(L"plugin_details");
    std::wstring base = PathJoin(folder, L"content.wdx");
    CHECK(BuildPluginDetails(base) == PluginDetails{});

    REQUIRE(CopyInto(FakePlugin(L"content", L"wdx"), folder, sizeof(void*) == 8 ? L"content.wdx64" : L"content.wdx"));
    PluginDetails values = BuildPluginDetails(base);
    CHECK(values[0] == L"Inhalt zum Testen");
    CHECK(values[1] == L"Fake Works");
    CHECK(values[2] == L"(c) nobody");
    CHECK(!values[3].empty());
    CHECK(values[5].size() == 10);
    CHECK(values[6] == L"Content");
    CHECK(values[7] == L"yes");
    CHECK(values[8] == L"Provides a detect string");
    CHECK(values[9].ends_with(L" KB"));
    CHECK(!values[10].empty());
    CHECK(values[11].empty());
    if (sizeof(void*) == 8 && !FakePlugin32(L"lister", L"wlx").empty()) {
        CHECK(values[4] == L"64");
        REQUIRE(CopyInto(FakePlugin32(L"lister", L"wlx"), folder, L"content.wdx"));
        PluginDetails both = BuildPluginDetails(base);
        CHECK(both[4] == L"32 + 64");
        CHECK(both[6] == L"Content");
    }
}
