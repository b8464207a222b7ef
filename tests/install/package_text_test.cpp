// The pluginst.inf rules, typed extensions and folders, the version order and the
// two report renderings.
#include <doctest/doctest.h>

#include "install/package_text.h"
#include "install/report.h"
#include "install/report_look.h"
#include "probe_test_support.h"

using Lines = std::vector<std::pair<std::wstring, std::wstring>>;

TEST_CASE("pluginst.inf values are trimmed and unquoted, extensions gathered once, a repeated key keeps its last value") {
    InfData inf = ParseInfLines(Lines{{L" Type ", L" WLX "},
                                      {L"file", L"\" x.wlx \""},
                                      {L"file", L"y.wlx"},
                                      {L"defaultextension", L"*.ABC ; .def,abc"},
                                      {L"DefaultExtension", L"ghi"},
                                      {L"unknown", L"z"}});
    CHECK(inf.type == L"wlx");
    CHECK(inf.file == L"y.wlx");
    CHECK(inf.extensions == std::vector<std::wstring>{L"abc", L"def", L"ghi"});
}

TEST_CASE("of 100,000 pluginst.inf extensions the first different ones up to the cap are kept, the rest counted") {
    std::wstring many;
    for (int i = 0; i < 100000; ++i) many += L"*.E" + std::to_wstring(i % 60000) + (i % 2 ? L", " : L";");
    InfData inf = ParseInfLines(Lines{{L"defaultextension", many}, {L"defaultextension", L"e5 .E7 new"}});
    REQUIRE(inf.extensions.size() == kInfMaxExtensions);
    for (size_t i = 0; i < kInfMaxExtensions; ++i) CHECK(inf.extensions[i] == L"e" + std::to_wstring(i));
    CHECK(inf.extensionsLeftOut == 60000 - kInfMaxExtensions + 1);
}

TEST_CASE("a pluginst.inf file name must stay inside the package") {
    for (const wchar_t* bad : {L"..\\x.wlx", L"..", L"sub\\x.wlx", L"sub/x.wlx", L"C:\\Windows\\x.wlx", L"C:x.wlx",
                               L"\\\\server\\share\\x.wlx", L"CON.wlx", L"x.wlx.", L"x?.wlx", L""})
        CHECK_MESSAGE(!InfFileNameIsSafe(bad), bad);
    CHECK(InfFileNameIsSafe(L"x.wlx64"));
    CHECK(InfFileNameIsSafe(L"My Plugin.wdx"));
}

TEST_CASE("typed packer extensions that would break a packer line are named") {
    CHECK(FirstBadExtToken(L"*.abc .def") == L"");
    CHECK(FirstBadExtToken(L"abc zip=1") == L"zip=1");
    CHECK(FirstBadExtToken(L"a:b") == L"a:b");
    CHECK(FirstBadExtToken(L"[x]") == L"[x]");
    CHECK(FirstBadExtToken(std::wstring(L"ok, b\x01") + L"c") == L"b\x01" L"c");
    std::vector<std::wstring> list{L"zip"};
    AddExtTokens(list, L"*.ZIP .jar jar");
    CHECK(list == std::vector<std::wstring>{L"zip", L"jar"});
}

TEST_CASE("versions compare number by number") {
    CHECK_FALSE(VersionIsNewer(L"1.2.0", L"1.2"));
    CHECK(VersionIsNewer(L"1.10", L"1.2"));
    CHECK_FALSE(VersionIsNewer(L"1.9", L"2.0"));
    CHECK_FALSE(VersionIsNewer(L"beta", L"alpha"));
    CHECK(VersionIsNewer(L"v2 build 7", L"2.0.6"));
    CHECK_FALSE(VersionIsNewer(L"99999999999999999999", L"999999999"));
}

TEST_CASE("a typed target must be a complete folder path with a valid last name") {
    CHECK(CheckedTargetFolder(L"C:\\TC\\plugins\\wlx\\Name\\\\") == L"C:\\TC\\plugins\\wlx\\Name");
    CHECK(CheckedTargetFolder(L"\\\\server\\share\\Plugin") == L"\\\\server\\share\\Plugin");
    for (const wchar_t* bad : {L"C:\\", L"C:\\\\", L"plugins\\x", L"C:plugins\\x", L"C:\\a\\..", L"C:\\a\\b.",
                               L"C:\\a*b\\c", L"C:\\a\\b:c", L"\\x\\y", L"C:\\a\\CON"})
        CHECK_MESSAGE(CheckedTargetFolder(bad).empty(), bad);
}

TEST_CASE("a report renders as RTF with escapes, markers and a hanging indent") {
    ReportLook look;
    look.text = 0x112233;
    CHECK(RtfColorEntry(0x112233) == "\\red51\\green34\\blue17;");
    CHECK(ReportToRtf({}, look) == RtfDocumentHead(look) + "}");
    CHECK(RtfEscape(L"{a}\\b\r\nc\x00e9\xfffd") == "\\{a\\}\\\\b\\line c\\u233?\\u-3?");
    std::string rtf = ReportToRtf({{ReportWarning, L"", L"w"}, {ReportNote, L"L:", L"n"}, {7, L"", L"b"}}, look);
    CHECK(rtf.find("\\pard\\fi-288\\li288\\tx288\\sa90 {\\f1\\cf2\\b\\fs22 \\u9888?}\\tab w\\par\n") != std::string::npos);
    CHECK(rtf.find("{\\cf3 \\u183?}\\tab {\\b L:} {\\cf3 n}\\par\n") != std::string::npos);
    CHECK(rtf.find("{\\cf3 \\u183?}\\tab b\\par\n") != std::string::npos);
}

TEST_CASE("a report as plain text, and extension lists with their limit") {
    UseTestSettings();
    CHECK(FormatChecklist({{ReportWarning, L"Label", L"value"}}) == L"\x26A0 Label value");
    CHECK(FormatChecklist({{ReportCheck, L"", L"a"}, {ReportNote, L"", L"b"}}) == L"\x2713 a\r\n\x00B7 b");
    std::vector<std::wstring> exts;
    std::wstring expected;
    for (int i = 0; i < 14; ++i) {
        exts.push_back(L"e" + std::to_wstring(i));
        if (i < 12) expected += (i ? L"; " : L"") + exts.back();
    }
    CHECK(ExtListText(exts, 12) == expected + L" \x2026 and 2 more");
    CHECK(ExtListText({L"", L"a"}, SIZE_MAX) == L"(no extension); a");
}
