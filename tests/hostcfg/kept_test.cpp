#include <doctest/doctest.h>

#include <windows.h>

#include "foundation/data_folder.h"
#include "hostcfg/kept.h"
#include "hostcfg/plug_entry.h"

namespace {

void ClearSection(const wchar_t* section) {
    WritePrivateProfileStringW(section, nullptr, nullptr, SettingsIniPath().c_str());
}

void WriteRaw(const wchar_t* key, const std::wstring& value) {
    IniEnsureUtf16(SettingsIniPath());
    WritePrivateProfileStringW(L"Disabled", key, value.c_str(), SettingsIniPath().c_str());
}

KeptEntry Kept(uint32_t kind, std::wstring path, std::wstring detect, int number, std::wstring name) {
    KeptEntry e;
    e.kind = kind;
    e.path = std::move(path);
    e.detect = std::move(detect);
    e.number = number;
    e.hasDetect = !e.detect.empty();
    e.name = std::move(name);
    e.stamp = L"2026-01-02 03:04";
    return e;
}

bool SameFields(const KeptEntry& a, const KeptEntry& b) {
    return a.kind == b.kind && a.path == b.path && a.name == b.name && a.detect == b.detect &&
           a.packerExts == b.packerExts && a.fsName == b.fsName && a.stamp == b.stamp && a.number == b.number &&
           a.hasDetect == b.hasDetect;
}

PlugEntry ListerEntry(const std::wstring& expandedPath) {
    PlugEntry e;
    e.expandedPath = expandedPath;
    return e;
}

}  // namespace

TEST_CASE("kept entries survive a write and a read back unchanged") {
    ClearSection(L"Disabled");
    std::vector<KeptEntry> entries = {
        Kept(0, L"C:\\TC\\a=b\\x.wlx", L"EXT=\"A\"", 3, L"x"),
        // The same library registered twice with other detect strings.
        Kept(0, L"%COMMANDER_PATH%\\p\\same.wlx", L"EXT=\"TXT\"", 1, L"same"),
        Kept(0, L"%commander_path%\\P\\SAME.wlx", L"EXT=\"LOG\"", 2, L"same"),
        Kept(0, L"C:\\t.wlx", L"FIND(\"a\tb\") |\r\nEXT=\"%09\" | EXT=\"100%\"", 4, L""),
        Kept(0, L"C:\\s*.wlx", L"", -1, L"trailing blank "),
    };
    KeptEntry packer = Kept(2, L"C:\\p\\zip.wcx", L"", -1, L"zip");
    packer.packerExts = L"zip:279;jar:279";
    KeptEntry fs = Kept(3, L"C:\\p\\fs.wfx", L"", -1, L"fs");
    fs.fsName = L"Name = with equals";
    std::vector<std::wstring> keys;
    for (const auto& e : entries) keys.push_back(WriteDisabledEntry(e));
    WriteDisabledEntry(entries[1]);  // the very same entry again replaces its line
    WriteDisabledEntry(packer);
    WriteDisabledEntry(fs);

    std::vector<KeptEntry> lister = ReadDisabled(0);
    REQUIRE(lister.size() == entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        CAPTURE(i);
        CHECK(SameFields(lister[i], entries[i]));
        CHECK(lister[i].key == keys[i]);
    }
    CHECK(keys[1] != keys[2]);
    REQUIRE(ReadDisabled(3).size() == 1);
    CHECK(SameFields(ReadDisabled(3)[0], fs));
    CHECK(KindKey(2, L" C:\\P\\Zip.wcx ") == L"P|c:\\p\\zip.wcx");

    SUBCASE("a packer library's line is replaced as it collects extensions") {
        AppendKeptPackerExt(packer.packerExts, 1, L"tar");
        CHECK(packer.packerExts == L"zip:279;jar:279;tar:1");
        WriteDisabledEntry(packer);
        std::vector<KeptEntry> p = ReadDisabled(2);
        REQUIRE(p.size() == 1);
        CHECK(p[0].packerExts == L"zip:279;jar:279;tar:1");
        CHECK(p[0].key == KindKey(2, packer.path));
    }
    SUBCASE("removing one of two entries with one path keeps the other") {
        RemoveDisabledKey(keys[1]);
        std::vector<KeptEntry> left = ReadDisabled(0);
        REQUIRE(left.size() == entries.size() - 1);
        CHECK(left[1].detect == L"EXT=\"LOG\"");
    }
    ClearSection(L"Disabled");
}

TEST_CASE("Disabled lines as plain eight fields") {
    ClearSection(L"Disabled");
    WriteRaw(L"C|c:\\p\\a.wdx", L"3\t1\t\t\t\t2026-01-02 03:04\tC:\\p\\a.wdx\ta");
    WriteRaw(L"C|c:\\p\\seven.wdx", L"3\t1\t\t\t\t2026-01-02 03:04\tC:\\p\\seven.wdx");
    WriteRaw(L"C|c:\\p\\nine.wdx", L"5\t0\tEXT=\"X\"\t\t\tstamp\tC:\\p\\nine.wdx\tnine\textra");
    WriteRaw(L"l|c:\\p\\lower.wlx", L"1\t0\t\t\t\tstamp\tC:\\p\\lower.wlx\tlower");
    WriteRaw(L"L", L"1\t0\t\t\t\tstamp\tC:\\p\\short.wlx\tshort");
    std::vector<KeptEntry> c = ReadDisabled(1);
    REQUIRE(c.size() == 2);
    CHECK(c[0].kind == 1);
    CHECK(c[0].number == 3);
    CHECK(c[0].hasDetect == 1);
    CHECK(c[0].detect.empty());
    CHECK(c[0].name == L"a");
    CHECK(c[1].name == L"nine");
    CHECK(ReadDisabled(0).empty());
    ClearSection(L"Disabled");
}

TEST_CASE("a Disabled section larger than any fixed buffer reads back whole") {
    ClearSection(L"Disabled");
    std::wstring detect;
    for (int i = 0; i < 60; ++i) detect += L"EXT=\"E" + std::to_wstring(i) + L"\" | ";
    const int count = 200;  // about 350 KB of text
    for (int i = 0; i < count; ++i)
        WriteDisabledEntry(Kept(1, L"C:\\p\\" + std::to_wstring(i) + L".wdx", detect + L"EXT=\"LAST\"", i, L"n"));
    std::vector<KeptEntry> back = ReadDisabled(1);
    REQUIRE(back.size() == (size_t)count);
    CHECK(back[count - 1].number == count - 1);
    CHECK(back[count - 1].detect == detect + L"EXT=\"LAST\"");
    ClearSection(L"Disabled");
}

TEST_CASE("parked extensions") {
    ClearSection(L"Parked");
    PlugEntry content;
    content.kind = KindContent;
    content.expandedPath = L"C:\\P[1]\\A=B.wdx";
    CHECK(IniKeyOfEntry(content) == L"C|c:\\p_1_\\a_b.wdx");
    PlugEntry lister = ListerEntry(L"C:\\p\\x.wlx");

    SaveParked(lister, L"TXT", true);
    SaveParked(lister, L"TXT", true);
    SaveParked(lister, L"A,B", true);
    SaveParked(lister, L"%2C", true);
    CHECK(ParkedValue(lister) == std::vector<std::wstring>{L"TXT", L"A,B", L"%2C"});
    SaveParked(lister, L"TXT", false);
    CHECK(ParkedValue(lister) == std::vector<std::wstring>{L"A,B", L"%2C"});
    SaveParked(lister, L"A,B", false);
    SaveParked(lister, L"%2C", false);
    wchar_t buf[16];
    CHECK(GetPrivateProfileStringW(L"Parked", IniKeyOfEntry(lister).c_str(), L"none", buf, 16,
                                   SettingsIniPath().c_str()) == 4);

    std::vector<std::wstring> many;
    for (int i = 0; i < 250; ++i) {
        many.push_back(L"EXTENSION" + std::to_wstring(i));
        SaveParked(content, many.back(), true);
    }
    CHECK(ParkedValue(content) == many);
    ClearSection(L"Parked");
}

TEST_CASE("list ids address tab entries and kept entries") {
    TabEntries = {ListerEntry(L"C:\\a.wlx")};
    KeptEntries = {Kept(0, L"%SystemRoot%\\k.wlx", L"", -1, L"k")};
    CHECK(PathOfId(0) == L"C:\\a.wlx");
    CHECK(PathOfId(1).empty());
    CHECK(PathOfId(999999).empty());
    CHECK(PathOfId(-1).empty());
    CHECK(PathOfId(KeptIdBase).find(L"%") == std::wstring::npos);
    CHECK(PathOfId(KeptIdBase + 1).empty());
    TabEntries.clear();
    KeptEntries.clear();
    CHECK(PathOfId(KeptIdBase).empty());
}
