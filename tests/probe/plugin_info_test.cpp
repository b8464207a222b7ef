// The information text and extra-column values of real plugin files.
#include "probe/plugin_info.h"
#include "probe_test_support.h"

namespace {

// Each line must stand in the text whole.
void CheckLines(const std::wstring& text, std::initializer_list<std::wstring> lines) {
    CAPTURE(text);
    for (const std::wstring& line : lines)
        CHECK_MESSAGE((L"\r\n" + text).find(L"\r\n" + line + L"\r\n") != std::wstring::npos, StrToUtf8(line));
}

std::wstring CapLine(const std::wstring& label, const wchar_t* value) { return L"  " + StrPadRight(label, 44) + L" " + value; }

}  // namespace

TEST_CASE("the information text tells what the file shows without running it") {
    UseTestSettings();
    std::wstring folder = FreshTempDir(L"plugin_info");
    SUBCASE("a Content plugin with a version resource, in a folder of another kind") {
        std::wstring wlx = PathJoin(folder, L"wlx"), file = PathJoin(wlx, L"content.wdx");
        CreateDirectoryW(wlx.c_str(), nullptr);
        REQUIRE(CopyInto(FakePlugin(L"content", L"wdx"), wlx, L"content.wdx"));
        std::wstring text = PluginInfoText(L"%X%\\wlx\\content.wdx", file, file, {});
        CHECK(text.starts_with(L"File:  " + file + L"\r\n"));
        // The file's own language comes first, and values are shown as stored.
        CheckLines(text, {sizeof(void*) == 8 ? L"Architecture:  x64 (64 Bit)" : L"Architecture:  x86 (32 Bit)",
                          L"Plugin type (from exports):  Content", L"Folder:  wlx \u2013 does not match: this is a Content plugin",
                          L"Version info:", L"  FileDescription     Inhalt zum Testen  ", L"  CompanyName       Fake Works",
                          L"Used in TC:", L"  nowhere in TC (no column, tooltip, thumbnail, search or rename template)",
                          CapLine(L"Provides a detect string", L"yes"), CapLine(L"Editable fields", L"no"),
                          L"TC interface (5):", L"  ContentGetValueW"});
        CHECK((text.find(L"Search in Lister") == std::wstring::npos && text.find(L"Other exports") == std::wstring::npos));
    }
    SUBCASE("a Lister plugin has no usage section; its kind folder fits") {
        std::wstring file = FakePlugin(L"lister", L"wlx"), text = PluginInfoText(L"", file, file, {});
        CheckLines(text, {L"Plugin type (from exports):  Lister", L"Folder:  no wlx/wdx/wcx/wfx folder in the path",
                          L"Version info:\r\n  none", CapLine(L"Search in Lister", L"no")});
        CHECK(text.find(L"Used in TC") == std::wstring::npos);
    }
    SUBCASE("unknown machines and files that are no program") {
        std::wstring odd = PathJoin(folder, L"odd.wlx"), junk = PathJoin(folder, L"junk.wlx");
        WriteFileBytes(odd, PeHeaderBytes(0x1c4));
        WriteFileBytes(junk, "no program at all");
        CheckLines(PluginInfoText(L"", odd, odd, {}),
                   {L"Architecture:  0x01c4", L"Build time (PE header):  not set or implausible",
                    L"Plugin type (from exports):  Lister  (no known exports \u2013 taken from the file extension)",
                    L"TC interface (0):\r\n  none"});
        std::wstring notPe = PluginInfoText(L"", junk, junk, {});
        CHECK((notPe.ends_with(L"\r\n\r\nnot a valid program file\r\n") && notPe.find(L"Architecture") == std::wstring::npos));
    }
}

TEST_CASE("extra-column values describe the 64-bit file and name every architecture") {
    UseTestSettings();
    std::wstring folder = FreshTempDir(L"plugin_details"), base = PathJoin(folder, L"content.wdx");
    CHECK(BuildPluginDetails(base) == PluginDetails{});
    REQUIRE(CopyInto(FakePlugin(L"content", L"wdx"), folder, sizeof(void*) == 8 ? L"content.wdx64" : L"content.wdx"));
    PluginDetails values = BuildPluginDetails(base);
    CHECK((values.description == L"Inhalt zum Testen" && values.company == L"Fake Works" && values.copyright == L"(c) nobody"));
    CHECK((!values.language.empty() && values.buildDate.size() == 10 && !values.fileDate.empty() && values.reach.empty()));
    CHECK((values.kind == L"Content" && values.unicode == L"yes" && values.capabilities == L"Provides a detect string"));
    CHECK((values.size.ends_with(L" KB") && &PluginDetailColumn(values, 9) == &values.size));
    CHECK(values.bits == (sizeof(void*) == 8 ? L"64" : L"32"));
    if (sizeof(void*) == 8) {  // a 32-bit file beside it: the x86 build supplies one
        REQUIRE_MESSAGE(!FakePlugin32(L"lister", L"wlx").empty(), "build the x86 preset first");
        REQUIRE(CopyInto(FakePlugin32(L"lister", L"wlx"), folder, L"content.wdx"));
        PluginDetails both = BuildPluginDetails(base);
        CHECK((both.bits == L"32 + 64" && both.kind == L"Content"));
    }
}
