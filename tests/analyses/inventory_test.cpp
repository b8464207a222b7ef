#include <windows.h>

#include "../hostcfg/hostcfg_test_util.h"
#include "analyses/inventory.h"
#include "analyses/plugin_caches.h"
#include "foundation/data_folder.h"
#include "foundation/handles.h"
#include "foundation/ini.h"
#include "foundation/ini_escape.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "foundation/timestamps.h"
#include "probe/background_probe.h"
#include "probe_record/pe.h"
#include "probe/workers.h"

namespace {

// A TC folder with Lister plugins p\<name>.wlx64 and an inventory and change log
// that start empty.
struct InventoryFixture : TcIniDir {
    ScopedEnv commanderPath{L"COMMANDER_PATH", dir.c_str()};

    InventoryFixture() : TcIniDir(L"inventory") {
        SettingsValues[L"General/Language"] = L"eng";
        InitLanguage(std::nullopt);
        DeleteFileW(InventoryIniPath().c_str());
        DeleteFileW(ChangeLogPath().c_str());
        CreateDirectoryW((*this / L"p").c_str(), nullptr);
        ResetPluginCaches();
        SavedKinds.clear();
    }
    ~InventoryFixture() {
        DeleteFileW(InventoryIniPath().c_str());
        DeleteFileW(ChangeLogPath().c_str());
    }
    // Writes the Lister section: one line per "name" or "name=detect string".
    void Lister(const std::vector<std::wstring>& plugins) {
        std::wstring text = L"[ListerPlugins]\r\n";
        int n = 0;
        for (const auto& p : plugins) {
            size_t eq = p.find(L'=');
            std::wstring name = p.substr(0, eq), number = std::to_wstring(++n);
            text += number + L"=%COMMANDER_PATH%\\p\\" + name + L".wlx\r\n";
            if (eq != std::wstring::npos) text += number + L"_detect=\"" + p.substr(eq + 1) + L"\"\r\n";
            std::wstring file = *this / (L"p\\" + name + L".wlx64");
            if (!FileExists(file)) WriteFileBytes(file, BuildPeImage(PeImageSpec{}));
        }
        WriteIniText(ini, text, true);
    }
    void Probe(const std::wstring& name, const std::wstring& version, const std::wstring& answer = L"EXT=\"A\"") {
        ProbeResult r;
        r.status = ProbeOk;
        r.version = version;
        r.answer = answer;
        ProbeCache[KindKey(0, *this / (L"p\\" + name + L".wlx"))] = r;
    }
    const InvRecord& Record(const std::wstring& name) {
        return InvSections.at(InventorySectionName(0, *this / (L"p\\" + name + L".wlx")));
    }
};

// The change log's lines without their time stamps; the file is emptied.
std::vector<std::wstring> TakeChangeLog() {
    std::wstring text = ReadTextFileAuto(ChangeLogPath(), 1 << 20);
    DeleteFileW(ChangeLogPath().c_str());
    std::vector<std::wstring> lines;
    for (size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
        std::wstring line = StrTrim(text.substr(start, end - start)).substr(18);
        while (line.find(L"  ") != std::wstring::npos) line.replace(line.find(L"  "), 2, L" ");
        lines.push_back(line);
    }
    return lines;
}

using Lines = std::vector<std::wstring>;

std::wstring Joined(const Lines& lines) {
    std::wstring text;
    for (const auto& l : lines) text += l + L"\n";
    return text;
}

}  // namespace

TEST_CASE("the inventory over a plugin's life: first run, added, changed, removed and added again") {
    InventoryFixture f;
    f.Lister({L"alpha=EXT=\"A\"", L"beta"});
    f.Probe(L"alpha", L"1.0");
    UpdateInventory(0);  // beta has no probe result yet
    CHECK_FALSE(FileExists(InventoryIniPath()));
    f.Probe(L"beta", L"");
    UpdateInventory(0);
    CHECK(TakeChangeLog() == Lines{L"Initial inventory Lister – plugins: 2"});
    CHECK(BgProbedKinds.count(0) == 1);
    CHECK(EntryGet(InvMeta, L"Ini") == f.ini);
    CHECK(EntryGet(f.Record(L"alpha"), L"Origin") == L"initial");
    CHECK(EntryGet(f.Record(L"alpha"), L"PDetect") == L"EXT=\"A\"");
    CHECK(EntryGet(f.Record(L"beta"), L"IHas") == L"0");
    CHECK_FALSE(IsNewlyRecorded(f.Record(L"alpha")));

    // Same plugins: the file stays as it is.
    FILETIME before, after;
    auto writeTime = [](FILETIME& t) {
        WIN32_FILE_ATTRIBUTE_DATA d;
        GetFileAttributesExW(InventoryIniPath().c_str(), GetFileExInfoStandard, &d);
        t = d.ftLastWriteTime;
    };
    writeTime(before);
    Sleep(20);
    UpdateInventory(0);
    writeTime(after);
    CHECK(CompareFileTime(&before, &after) == 0);
    CHECK(TakeChangeLog().empty());

    // gamma joins, alpha is updated and its detect strings change, beta leaves.
    f.Lister({L"alpha=ext=\"B\"|ext = \"A\"", L"gamma", L"gamma"});
    f.Probe(L"alpha", L"1.1", L"EXT=\"A\"|EXT=\"C\"");
    f.Probe(L"gamma", L"2.1");
    UpdateInventory(0);
    CHECK(TakeChangeLog() == Lines{L"Lister alpha version 1.0 → 1.1", L"Lister alpha detect string from plugin: +C",
                                   L"Lister alpha detect string in INI: +B", L"Lister gamma newly recorded (2.1)",
                                   L"Lister gamma newly recorded (2.1)", L"Lister beta removed from TC configuration"});
    CHECK(InvSections.count(InventorySectionName(0, f / L"p\\gamma.wlx") + L"#2") == 1);
    CHECK(EntryGet(f.Record(L"gamma"), L"Origin") == L"new");
    CHECK(IsNewlyRecorded(f.Record(L"gamma")));
    CHECK_FALSE(IsNewlyRecorded(f.Record(L"beta")));  // removed
    SettingsValues[L"View/HighlightDays"] = L"0";
    CHECK_FALSE(IsNewlyRecorded(f.Record(L"gamma")));
    SettingsValues.erase(L"View/HighlightDays");

    // A reworded detect string, beta back, the second gamma gone.
    f.Lister({L"alpha=EXT=\"A\" | EXT=\"B\"", L"beta", L"gamma"});
    UpdateInventory(0);
    CHECK(Joined(TakeChangeLog()) == L"Lister alpha detect string in INI: reworded\nLister beta entered in TC again\n"
                                     L"Lister gamma removed from TC configuration\n");
    CHECK(EntryGet(f.Record(L"beta"), L"Removed").empty());

    // gamma removed by the program's own save: marked, but not logged again.
    f.Lister({L"alpha=EXT=\"A\" | EXT=\"B\"", L"beta"});
    SavedKinds.insert(0);
    UpdateInventory(0);
    CHECK(TakeChangeLog().empty());
    CHECK_FALSE(EntryGet(f.Record(L"gamma"), L"Removed").empty());
    CHECK(SavedKinds.empty());

    // What was written reads back the same.
    auto meta = InvMeta;
    auto sections = InvSections;
    LoadInventory();
    CHECK(InvMeta == meta);
    CHECK(InvSections == sections);
}

TEST_CASE("a plugin's answer that holds line breaks, brackets or '=' reads back as it was") {
    InventoryFixture f;
    f.Lister({L"evil"});
    const std::wstring answer = L"EXT=\"A\"\r\n[Meta]\r\nIni=elsewhere\n[L|x]=1\t%~ ";
    f.Probe(L"evil", L" 1.0\r\nType=F", answer);
    UpdateInventory(0);
    LoadInventory();
    CHECK(InvSections.size() == 1);
    CHECK(EntryGet(InvMeta, L"Ini") == f.ini);
    CHECK(EntryGet(f.Record(L"evil"), L"PDetect") == answer);
    CHECK(EntryGet(f.Record(L"evil"), L"Version") == L" 1.0\r\nType=F");
    CHECK(EntryGet(f.Record(L"evil"), L"Type") == L"L");
    CHECK(IniUnescape(IniEscapeValue(L"%~41")) == L"%~41");
    CHECK(IniEscapeValue(L"C:\\TC\\%COMMANDER_PATH%\\a=b [c]") == L"C:\\TC\\%COMMANDER_PATH%\\a=b [c]");
}

TEST_CASE("an inventory that cannot be read is never replaced") {
    InventoryFixture f;
    f.Lister({L"alpha"});
    f.Probe(L"alpha", L"1.0");
    UpdateInventory(0);
    const std::string history = ReadFileBytes(InventoryIniPath());
    TakeChangeLog();

    f.Lister({L"alpha", L"beta"});
    f.Probe(L"beta", L"1.0");
    {
        FileHandle lock(CreateFileW(InventoryIniPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        REQUIRE(lock.Valid());
        ResetPluginCaches();
        f.Probe(L"alpha", L"1.0");
        f.Probe(L"beta", L"1.0");
        UpdateInventory(0);
        CHECK(InvUnreadable == 1);
    }
    CHECK(ReadFileBytes(InventoryIniPath()) == history);
    CHECK(TakeChangeLog().empty());

    // Readable again: the update goes on from the history.
    UpdateInventory(0);
    CHECK(TakeChangeLog() == Lines{L"Lister beta newly recorded (1.0)"});

    // A file cut short before its [Meta] lines is kept as well.
    WriteFileBytes(InventoryIniPath(), "\xFF\xFE" + Utf16Bytes(L"[L|c:\\x.wlx]\r\nName=x\r\n"));
    ResetPluginCaches();
    f.Probe(L"alpha", L"1.0");
    f.Probe(L"beta", L"1.0");
    UpdateInventory(0);
    CHECK(ReadFileBytes(InventoryIniPath()) == "\xFF\xFE" + Utf16Bytes(L"[L|c:\\x.wlx]\r\nName=x\r\n"));
}

TEST_CASE("after the reset, no probe result of an older job enters the emptied cache") {
    ProbeMsg old, later, background;
    old.generation = ProbeGen.load();
    old.row = 3;
    background.generation = BgProbeGen.load();
    ResetPluginCaches();
    later.generation = ++ProbeGen;
    later.row = 3;
    CHECK_FALSE(ProbeResultMayEnterCache(old));
    CHECK_FALSE(ProbeResultMayEnterCache(background));
    CHECK(ProbeResultMayEnterCache(later));
    CHECK(BgProbedKinds.empty());
    CHECK(ProbeCache.empty());
}

TEST_CASE("a file stamp of the older local form is the same file; another size is a changed file") {
    InventoryFixture f;
    f.Lister({L"alpha"});
    f.Probe(L"alpha", L"1.0");
    UpdateInventory(0);
    TakeChangeLog();
    std::wstring stamp = FileStamp(f / L"p\\alpha.wlx");
    std::wstring size = stamp.substr(stamp.find(L'|'));
    InvSections[InventorySectionName(0, f / L"p\\alpha.wlx")][L"File"] = StampToLocalText(stamp) + size;
    UpdateInventory(0);
    CHECK(TakeChangeLog().empty());
    CHECK(EntryGet(f.Record(L"alpha"), L"File") == stamp);
    InvSections[InventorySectionName(0, f / L"p\\alpha.wlx")][L"File"] = StampToLocalText(stamp) + L"|1";
    UpdateInventory(0);
    CHECK(TakeChangeLog().size() == 1);
    CHECK(InventorySectionName(2, L"C:\\A[1]\\Z.WCX") == L"P|c:\\a_1_\\z.wcx");
}

TEST_CASE("a plugin path that changes only the case of a non-ASCII letter stays the same plugin") {
    InventoryFixture f;
    f.Lister({L"über"});
    f.Probe(L"über", L"1.0");
    UpdateInventory(0);
    CHECK(TakeChangeLog() == Lines{L"Initial inventory Lister – plugins: 1"});
    f.Lister({L"ÜBER"});
    f.Probe(L"ÜBER", L"1.0");
    UpdateInventory(0);
    CHECK(TakeChangeLog().empty());

    // An inventory written before, whose section names lowered only A-Z, reads the same.
    std::wstring section = InventorySectionName(0, f / L"p\\über.wlx");
    std::wstring older = StrLower(f / L"p\\") + L"über.wlx";
    REQUIRE(section.find(L"Über.wlx") != std::wstring::npos);
    std::wstring text = ReadTextFileAuto(InventoryIniPath(), 1 << 20);
    text.replace(text.find(section), section.size(), L"L|" + older);
    WriteIniText(InventoryIniPath(), text, true);
    LoadInventory();
    CHECK(InvSections.count(section) == 1);
    UpdateInventory(0);
    CHECK(TakeChangeLog().empty());
}

TEST_CASE("a change is logged once the inventory file holds it, never before and never twice") {
    InventoryFixture f;
    f.Lister({L"alpha"});
    f.Probe(L"alpha", L"1.0");
    UpdateInventory(0);
    TakeChangeLog();
    const std::string stored = ReadFileBytes(InventoryIniPath());
    auto failedUpdate = [&] {
        // Another program has the file open without sharing its deletion: it cannot be replaced.
        FileHandle other(CreateFileW(InventoryIniPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
        REQUIRE(other.Valid());
        UpdateInventory(0);
    };
    f.Lister({L"alpha", L"beta"});
    f.Probe(L"beta", L"2.0");
    failedUpdate();
    CHECK(ReadFileBytes(InventoryIniPath()) == stored);
    CHECK_FALSE(FileExists(InventoryIniPath() + L".tmp"));
    CHECK(TakeChangeLog().empty());
    SUBCASE("the next update writes it, though it finds nothing new, and logs it then") {
        UpdateInventory(0);
        CHECK(TakeChangeLog() == Lines{L"Lister beta newly recorded (2.0)"});
        CHECK(ReadFileBytes(InventoryIniPath()) != stored);
        UpdateInventory(0);
        CHECK(TakeChangeLog().empty());
    }
    SUBCASE("the next start finds it anew in the file as it was") {
        LoadInventory();
        UpdateInventory(0);
        CHECK(TakeChangeLog() == Lines{L"Lister beta newly recorded (2.0)"});
    }
    SUBCASE("lines the change log does not take wait for the next update") {
        {
            ChangeLogHeld held;
            REQUIRE(held.Holds());
            UpdateInventory(0);
        }
        CHECK(ReadFileBytes(InventoryIniPath()) != stored);
        CHECK(TakeChangeLog().empty());
        UpdateInventory(0);
        CHECK(TakeChangeLog() == Lines{L"Lister beta newly recorded (2.0)"});
    }
}

namespace {

DWORD WINAPI ReadInventoryOnWorker(LPVOID file) {
    *static_cast<InventoryFile*>(file) = ReadInventoryFile();
    return 0;
}

}  // namespace

TEST_CASE("a worker's read of the inventory looks at the file only while the window does not replace it") {
    InventoryFixture f;
    f.Lister({L"alpha"});
    f.Probe(L"alpha", L"1.0");
    UpdateInventory(0);
    InventoryFile read;
    KernelHandle thread;
    {
        IniWriteScope replacing;
        // While it is replaced the file cannot be opened: a read that looked now would take it for unreadable.
        FileHandle busy(CreateFileW(InventoryIniPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        REQUIRE(busy.Valid());
        thread.Reset(CreateThread(nullptr, 0, ReadInventoryOnWorker, &read, 0, nullptr));
        REQUIRE(thread);
        REQUIRE(EventuallyHolds([] { return IniReadsWaiting() == 1; }));
    }
    WaitForSingleObject(thread.Get(), INFINITE);
    CHECK(read.unreadable == 0);
    CHECK(read.sections.size() == 1);
}
