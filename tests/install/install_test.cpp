// The parent's side of the /unpack child and the install temporary folder.
#include <doctest/doctest.h>
#include <windows.h>

#include <string>

#include "foundation/data_folder.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "install/install_temp.h"
#include "install/unpack.h"
#include "support/test_support.h"

TEST_CASE("the child's error line becomes the user's message, with detail parts in their placeholders") {
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"ERR notc\t",
         L"TC folder not found. Start TC once (Kestrovane remembers the folder) or start Kestrovane from TC."},
        {"ERR nodll\tC:\\TC\\UNRAR64.DLL", L"Not found: C:\\TC\\UNRAR64.DLL"},
        {"ERR noload\t193\tC:\\TC\\UNRAR64.DLL", L"C:\\TC\\UNRAR64.DLL cannot be loaded (Windows error 193)."},
        {"ERR noobj\t0x80004005\tC:\\TC\\TC7Z64.DLL",
         L"C:\\TC\\TC7Z64.DLL does not provide a 7z archive object (code 0x80004005)."},
        {"ERR nofn\tC:\\TC\\TC7Z64.DLL", L"C:\\TC\\TC7Z64.DLL: expected functions are missing \u2013 another version?"},
        {"ERR unknown\tC:\\a.txt", L"This is not a ZIP, RAR or 7z archive."},
        {"ERR zip64\tC:\\a.zip", L"ZIP64 archives are not supported."},
        {"ERR big\tC:\\a.zip", L"The archive is too big or has too many entries."},
        {"ERR crypt\tdoc\\x.txt", L"Encrypted entries are not unpacked: doc\\x.txt"},
        {"ERR unsafe\t../\xC3\xA4.txt", L"Unsafe path in the archive, refused: ../\u00e4.txt"},
        {"ERR link\tl", L"Links in the archive are not unpacked: l"},
        {"ERR method\t7z\tx\\y.dll", L"Pack method 7z is not supported (only stored and deflate): x\\y.dll"},
        {"ERR crc\ta.dll", L"Checksum wrong \u2013 archive damaged: a.dll"},
        {"ERR write\ta.dll", L"Could not write: a.dll"},
        {"ERR open\tC:\\a.7z", L"Archive damaged or unreadable: C:\\a.7z"},
        {"ERR bad\ta.dll", L"Archive damaged or unreadable: a.dll"},
        {"ERR", L"Archive damaged or unreadable: "},
    };
    SettingsValues[L"General/Language"] = L"eng";
    InitLanguage(std::nullopt);
    for (const auto& [line, text] : cases) {
        CAPTURE(std::string(line));
        CHECK(StrToUtf8(ArchiveErrorText(line)) == StrToUtf8(text));
    }
}

TEST_CASE("archive types by their first bytes") {
    std::wstring dir = FreshTempDir(L"sniff");
    const std::pair<std::string, int> cases[] = {
        {"PK\x03\x04rest", ArcZip},
        {"PK\x05\x06", ArcZip},
        {"PK\x03\x06", ArcZip},
        {"PK\x05\x04", ArcZip},
        {"PK\x01\x02", ArcUnknown},
        {"PK\x03", ArcUnknown},
        {std::string("Rar!\x1a\x07\x01\x00", 8), ArcRar},
        {std::string("Rar!\x1a\x07\x00", 7), ArcRar},
        {"Rar!\x1a", ArcUnknown},
        {"7z\xbc\xaf\x27\x1c", Arc7z},
        {"7z\xbc\xaf\x27", ArcUnknown},
    };
    for (const auto& [bytes, type] : cases) {
        std::wstring file = PathJoin(dir, L"a");
        WriteFileBytes(file, bytes);
        CHECK(ArcSniffType(file) == type);
    }
    CHECK(ArcSniffType(PathJoin(dir, L"missing")) == ArcUnknown);
    CHECK(ArcSniffType(dir) == ArcUnknown);
}

TEST_CASE("the install temporary folder deletes only inside itself") {
    std::wstring temp = FreshTempDir(L"insttemp");
    ScopedEnv env(L"TEMP", temp.c_str());
    std::wstring base = InstallTempFolder();
    CHECK(base == PathJoin(temp, L"Kestrovane_install"));
    std::wstring sub = InstTempSubfolder();
    CHECK(PathDir(sub) == base);
    std::wstring name = sub.substr(base.size() + 1);
    CHECK(name.size() >= 17);
    CHECK(name.size() <= 21);
    CHECK(name[8] == L'-');
    CHECK(name[15] == L'_');

    std::wstring victim = PathJoin(temp, L"victim");
    MakeDirs(victim);
    WriteFileBytes(PathJoin(victim, L"keep.txt"), "keep");
    std::wstring deep = sub;
    for (int level = 0; level < 14; ++level) deep = PathJoin(deep, L"d");
    REQUIRE(MakeDirs(deep));
    WriteFileBytes(PathJoin(deep, L"f.dll"), "x");
    WriteFileBytes(PathJoin(sub, L"plugin.wlx64"), "x");

    for (const std::wstring& refused : {base, base + L"\\", base + L"\\.", victim, base + L"\\x\\..\\..\\victim",
                                        base + L"\\..\\victim", base + L"x", std::wstring()}) {
        InstTempClean(refused);
        CHECK(FileExists(PathJoin(victim, L"keep.txt")));
        CHECK(FileExists(PathJoin(sub, L"plugin.wlx64")));
    }
    InstTempClean(StrUpper(sub) + L"\\");
    CHECK(GetFileAttributesW(sub.c_str()) == INVALID_FILE_ATTRIBUTES);
    CHECK(FileExists(PathJoin(victim, L"keep.txt")));
}

TEST_CASE("without TEMP the install temporary folder lies in the data folder") {
    ScopedEnv env(L"TEMP", nullptr);
    CHECK(InstallTempFolder() == PathJoin(DataFolder(), L"Kestrovane_install"));
}

TEST_CASE("the install temporary folder's clean-up never follows a link") {
    std::wstring temp = FreshTempDir(L"insttemp_links");
    std::vector<std::wstring> links;
    auto link = [&](const std::wstring& at, const std::wstring& target) {
        links.push_back(at);
        return MakeFolderLink(at, target);
    };
    std::wstring victim = PathJoin(temp, L"victim"), keep = PathJoin(victim, L"keep.txt");
    auto victimThere = [&] {
        MakeDirs(victim);
        WriteFileBytes(keep, "keep");
    };
    {
        ScopedEnv env(L"TEMP", temp.c_str());
        victimThere();
        std::wstring inside = InstTempSubfolder();
        REQUIRE(MakeDirs(inside));
        WriteFileBytes(PathJoin(inside, L"plugin.wlx64"), "x");
        REQUIRE(link(PathJoin(inside, L"link"), victim));
        InstTempClean(inside);
        CHECK_FALSE(FileExists(PathJoin(inside, L"plugin.wlx64")));
        CHECK(FileExists(keep));

        victimThere();
        std::wstring linked = PathJoin(InstallTempFolder(), L"20240101-000000_1");
        REQUIRE(link(linked, victim));
        InstTempClean(linked);
        CHECK(FileExists(keep));
    }
    // The temporary folder itself a link: what lies behind it is not its own.
    victimThere();
    std::wstring otherTemp = PathJoin(temp, L"other");
    REQUIRE(MakeDirs(otherTemp));
    REQUIRE(link(PathJoin(otherTemp, L"Kestrovane_install"), temp));
    ScopedEnv env(L"TEMP", otherTemp.c_str());
    InstTempClean(PathJoin(InstallTempFolder(), L"victim"));
    CHECK(FileExists(keep));
    for (const std::wstring& at : links) RemoveFolderLink(at);
    RemoveTree(temp);
}

TEST_CASE("a folder is the install temporary folder or inside it however it is spelled") {
    std::wstring temp = FreshTempDir(L"insttemp_spell");
    ScopedEnv env(L"TEMP", temp.c_str());
    std::wstring base = InstallTempFolder();
    for (const std::wstring& inside :
         {base, base + L"\\", StrUpper(base) + L"\\Plugin", base + L"\\x\\..\\Plugin", temp + L"\\..\\" +
          PathName(temp) + L"\\Kestrovane_install", temp + L"/Kestrovane_install/a/b", base + L"\\.\\new"})
        CHECK_MESSAGE(LiesInInstallTemp(inside), inside);
    for (const std::wstring& outside :
         {temp, base + L"x", base + L"\\..", base + L"\\..\\Plugin", PathJoin(temp, L"Kestrovane"), std::wstring()})
        CHECK_MESSAGE(!LiesInInstallTemp(outside), outside);

    // Through a link to the temporary folder, and by its short name.
    REQUIRE(MakeDirs(base));
    std::wstring elsewhere = FreshTempDir(L"insttemp_elsewhere"), link = PathJoin(elsewhere, L"via");
    REQUIRE(MakeFolderLink(link, base));
    CHECK(LiesInInstallTemp(PathJoin(link, L"Plugin")));
    CHECK_FALSE(LiesInInstallTemp(PathJoin(elsewhere, L"Plugin")));
    RemoveFolderLink(link);
    wchar_t shortName[MAX_PATH] = {};
    if (GetShortPathNameW(base.c_str(), shortName, MAX_PATH) && base != shortName)
        CHECK(LiesInInstallTemp(std::wstring(shortName) + L"\\Plugin"));
    RemoveTree(temp);
}

TEST_CASE("folders past the system's path limit fail at once, nearer ones are made level by level") {
    std::wstring dir = FreshTempDir(L"makedirs_deep");
    std::wstring deep = dir;
    for (int level = 0; level < 16000; ++level) deep += L"\\a";
    CHECK_FALSE(MakeDirs(deep));
    CHECK(GetFileAttributesW(PathJoin(dir, L"a").c_str()) == INVALID_FILE_ATTRIBUTES);
    // Within the path length limit every missing level is made.
    std::wstring some = dir + L"\\b\\c\\d";
    CHECK(MakeDirs(some + L"\\"));
    DWORD attrs = GetFileAttributesW(some.c_str());
    CHECK(attrs != INVALID_FILE_ATTRIBUTES);
    CHECK((attrs & FILE_ATTRIBUTE_DIRECTORY) != 0);
    RemoveTree(dir);
}
