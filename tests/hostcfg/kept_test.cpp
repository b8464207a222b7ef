// What the user changed before a save, and the entries kept outside wincmd.ini:
// nothing of either may be lost or altered on its way through the files.
#include "foundation/data_folder.h"
#include "hostcfg/kept.h"
#include "hostcfg/pending.h"
#include "hostcfg_test_util.h"

namespace {

PlugEntry PackerEntry(std::vector<std::pair<std::wstring, int>> lines, std::vector<std::wstring> paths) {
    PlugEntry e;
    e.kind = KindPacker;
    e.name = L"zip";
    e.path = paths.empty() ? L"" : paths[0];
    e.probeStatus = ProbeOk;
    for (const auto& [ext, flags] : lines) {
        e.iniDetect.items.push_back(DetectItem{ext, 0});
        e.packerFlags.push_back(flags);
    }
    e.packerPaths = paths;
    return e;
}

void ClearSection(const wchar_t* section) { WritePrivateProfileStringW(section, nullptr, nullptr, SettingsIniPath().c_str()); }

KeptEntry Kept(uint32_t kind, std::wstring path, std::wstring detect, int number, std::wstring name) {
    return KeptEntry{kind, L"", path, name, detect, L"", L"", L"2026-01-02 03:04", number, 1, 0};
}

// Every field but the key, one per line.
std::wstring Fields(const KeptEntry& e) {
    return std::to_wstring(e.kind) + L"\n" + e.path + L"\n" + e.name + L"\n" + e.detect + L"\n" + e.packerExts + L"\n" +
           e.fsName + L"\n" + e.stamp + L"\n" + std::to_wstring(e.number) + L"\n" + std::to_wstring(e.hasDetect);
}

}  // namespace

TEST_CASE("pending plug states and the marks of whole entries") {
    DiscardPending();
    GetPlugState(2, L"zip", L"279,x.wcx", L"zip").curValue = L" 279,x.wcx ";
    GetPlugState(2, L"arj", L"1,a.wcx", L"arj").curKey = L"ARJ";
    PrunePlugStates();
    CHECK((FindPlugState(2, L"ZIP") == nullptr && FindPlugState(2, L"arj") != nullptr));
    PlugEntry lib = PackerEntry({{L"a", 1}, {L"b", 1}, {L"c", 1}}, {L"x.wcx", L"x.wcx", L"x.wcx"});
    for (const wchar_t* ext : {L"a", L"b"}) GetPlugState(2, ext, L"1,x.wcx", L"x").deleted = 1;
    CHECK_FALSE(EntryMarkedDelete(lib));
    GetPlugState(2, L"c", L"1,x.wcx", L"x").deleted = 1;
    CHECK((EntryMarkedDelete(lib) && !EntryMarkedDelete(PackerEntry({}, {}))));
    DiscardPending();
}

TEST_CASE("taking a packer plugin's capabilities") {
    DiscardPending();
    // Lines of one library that spell its path differently.
    TabEntries = {PackerEntry({{L"zip", 279}, {L"jar", 283}, {L"tar", 279}},
                              {L"%COMMANDER_PATH%\\p\\zip.wcx", L"C:\\TC\\p\\zip.wcx", L"%commander_path%\\p\\zip.wcx"})};
    SUBCASE("lines already right drop out; the others keep their own path") {
        TabEntries[0].probeAnswer = L"283";
        TakePackerCaps(0);
        REQUIRE(PlugStates.size() == 2);
        CHECK(FindPlugState(2, L"zip")->origValue == L"279,%COMMANDER_PATH%\\p\\zip.wcx");
        CHECK(FindPlugState(2, L"zip")->curValue == L"283,%COMMANDER_PATH%\\p\\zip.wcx");
        CHECK(FindPlugState(2, L"tar")->curValue == L"283,%commander_path%\\p\\zip.wcx");
    }
    SUBCASE("the value as read is what the file holds, so a save sees no conflict") {
        TabEntries[0].probeAnswer = L"279";
        TakePackerCaps(0);
        REQUIRE(PlugStates.size() == 1);
        CHECK(CompareIndexKeys(FindPlugState(2, L"jar")->origValue, L"283, C:\\TC\\p\\zip.wcx"));
        CHECK(FindPlugState(2, L"jar")->curValue == L"279,C:\\TC\\p\\zip.wcx");
    }
    SUBCASE("deleted lines and paths the user changed are kept") {
        GetPlugState(2, L"zip", L"279,%COMMANDER_PATH%\\p\\zip.wcx", L"zip").deleted = 1;
        GetPlugState(2, L"tar", L"279,%commander_path%\\p\\zip.wcx", L"zip").curValue = L"279, D:\\new.wcx";
        TabEntries[0].probeAnswer = L"7";
        TakePackerCaps(0);
        CHECK(FindPlugState(2, L"zip")->curValue == L"279,%COMMANDER_PATH%\\p\\zip.wcx");
        CHECK(FindPlugState(2, L"tar")->curValue == L"7,D:\\new.wcx");
    }
    SUBCASE("nothing without an answer of a packer row") {
        TabEntries[0].probeStatus = ProbeError;
        TakePackerCaps(0);
        TakePackerCaps(5);
        CHECK(PlugStates.empty());
    }
    TabEntries.clear();
    DiscardPending();
}

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
    packer.packerExts = L"zip:279";
    std::vector<std::wstring> keys;
    for (const auto& e : entries) keys.push_back(WriteDisabledEntry(e).value());
    WriteDisabledEntry(entries[1]);  // the very same entry again replaces its line
    WriteDisabledEntry(packer);
    AppendKeptPackerExt(packer.packerExts, 1, L"tar");
    WriteDisabledEntry(packer);  // a packer library's line collects its extensions

    std::vector<KeptEntry> lister = ReadDisabled(0);
    REQUIRE(lister.size() == entries.size());
    for (size_t i = 0; i < entries.size(); ++i) CHECK((Fields(lister[i]) == Fields(entries[i]) && lister[i].key == keys[i]));
    std::vector<KeptEntry> packers = ReadDisabled(2);
    REQUIRE(packers.size() == 1);
    CHECK((packers[0].packerExts == L"zip:279;tar:1" && packers[0].key == KindKey(2, L" C:\\P\\Zip.wcx ")));
    RemoveDisabledKey(keys[1]);
    std::vector<KeptEntry> left = ReadDisabled(0);
    CHECK((left.size() == entries.size() - 1 && left.at(1).detect == L"EXT=\"LOG\""));

    SUBCASE("lines of eight plain fields, and lines that do not parse") {
        ClearSection(L"Disabled");
        auto raw = [](const wchar_t* key, const wchar_t* value) {
            WritePrivateProfileStringW(L"Disabled", key, value, SettingsIniPath().c_str());
        };
        raw(L"C|c:\\p\\a.wdx", L"3\t1\t\t\t\t2026-01-02 03:04\tC:\\p\\a.wdx\ta");
        raw(L"C|c:\\p\\nine.wdx", L"5\t0\tEXT=\"X\"\t\t\tstamp\tC:\\p\\nine.wdx\tnine\textra");
        raw(L"l|c:\\p\\lower.wlx", L"1\t0\t\t\t\tstamp\tC:\\p\\lower.wlx\tlower");
        std::vector<KeptEntry> c = ReadDisabled(1);
        REQUIRE(c.size() == 2);
        CHECK((c[0].number == 3 && c[0].hasDetect == 1 && c[0].detect.empty() && c[1].name == L"nine"));
        CHECK(ReadDisabled(0).empty());
    }
    SUBCASE("a section larger than any fixed buffer reads back whole") {
        std::wstring detect;
        for (int i = 0; i < 60; ++i) detect += L"EXT=\"E" + std::to_wstring(i) + L"\" | ";
        for (int i = 0; i < 200; ++i)  // about 350 KB of text
            WriteDisabledEntry(Kept(1, L"C:\\p\\" + std::to_wstring(i) + L".wdx", detect, i, L"n"));
        std::vector<KeptEntry> back = ReadDisabled(1);
        REQUIRE(back.size() == 200);
        CHECK((back[199].number == 199 && back[199].detect == detect));
    }
    ClearSection(L"Disabled");
}

TEST_CASE("parked extensions") {
    ClearSection(L"Parked");
    PlugEntry content, lister;
    content.kind = KindContent;
    content.expandedPath = L"C:\\P[1]\\A=B.wdx";
    lister.expandedPath = L"C:\\p\\x.wlx";
    CHECK(IniKeyOfEntry(content) == L"C|c:\\p_1_\\a_b.wdx");
    for (const wchar_t* ext : {L"TXT", L"TXT", L"A,B", L"%2C", L" X"}) SaveParked(lister, ext, true);
    CHECK(ParkedValue(lister) == std::vector<std::wstring>{L"TXT", L"A,B", L"%2C", L" X"});
    for (const wchar_t* ext : {L"TXT", L"A,B", L"%2C", L" X"}) SaveParked(lister, ext, false);
    wchar_t buf[16];
    CHECK(GetPrivateProfileStringW(L"Parked", IniKeyOfEntry(lister).c_str(), L"none", buf, 16, SettingsIniPath().c_str()) == 4);
    // A line as an older run wrote it, with the C runtime's upper case, names the
    // extensions the detect string holds in the case file names fold to.
    for (const wchar_t* ext : {L"äRZ", L"жук", L"ÄRZ"}) SaveParked(lister, ext, true);
    CHECK(ParkedValue(lister) == std::vector<std::wstring>{L"ÄRZ", L"ЖУК"});
    SaveParked(lister, L"ÄRZ", false);
    CHECK(ParkedValue(lister) == std::vector<std::wstring>{L"ЖУК"});
    std::vector<std::wstring> many;
    for (int i = 0; i < 250; ++i) SaveParked(content, many.emplace_back(L"EXTENSION" + std::to_wstring(i)), true);
    CHECK(ParkedValue(content) == many);
    ClearSection(L"Parked");
}

TEST_CASE("kept entries are told apart by their paths in any letter case of any alphabet") {
    ClearSection(L"Disabled");
    // One packer library spelt twice: its line collects both extensions.
    KeptEntry zip = Kept(2, L"C:\\P\\ÜBER\\Жук.wcx", L"", -1, L"zip"), tar = zip;
    zip.packerExts = L"zip:279";
    tar.path = L"c:\\p\\über\\жук.WCX";
    tar.packerExts = L"zip:279;tar:1";
    std::wstring key = WriteDisabledEntry(zip).value();
    CHECK(WriteDisabledEntry(tar).value() == key);
    std::vector<KeptEntry> packers = ReadDisabled(2);
    REQUIRE(packers.size() == 1);
    CHECK(packers[0].packerExts == L"zip:279;tar:1");
    // Two Lister entries of one file keep a line each, and each its own line again.
    KeptEntry a = Kept(0, L"C:\\TC\\über\\жук.wlx", L"EXT=\"A\"", 1, L"жук");
    KeptEntry b = Kept(0, L"C:\\TC\\ÜBER\\ЖУК.wlx", L"EXT=\"B\"", 2, L"ЖУК");
    std::wstring keyA = WriteDisabledEntry(a).value(), keyB = WriteDisabledEntry(b).value();
    CHECK((WriteDisabledEntry(a).value() == keyA && keyA != keyB));
    std::vector<KeptEntry> back = ReadDisabled(0);
    REQUIRE(back.size() == 2);
    CHECK((Fields(back[0]) == Fields(a) && back[0].key == keyA && Fields(back[1]) == Fields(b) && back[1].key == keyB));
    ClearSection(L"Disabled");
}
