// The data folder is chosen once per process, so each suite runs as a process of its own.
#include <doctest/doctest.h>
#include <windows.h>

#include <algorithm>
#include <regex>
#include <thread>

#include "foundation/data_folder.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/logs.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "support/test_support.h"

namespace {

// A folder named like the probe file makes the program folder refuse it, as a read-only one would.
struct BlockedAppDir {
    std::wstring path = PathJoin(AppDir(), L"Kestrovane.~wt");
    BlockedAppDir() { CreateDirectoryW(path.c_str(), nullptr); }
    ~BlockedAppDir() { RemoveDirectoryW(path.c_str()); }
};

}  // namespace

TEST_SUITE("data-folder-portable") {
    TEST_CASE("a writable program folder is the data folder") {
        RemoveDirectoryW(PathJoin(AppDir(), L"Kestrovane.~wt").c_str());  // left by an interrupted run
        std::wstring appData = FreshTempDir(L"appdata_portable");
        ScopedEnv env(L"APPDATA", appData.c_str());
        CHECK(DataFolder() == AppDir());
        CHECK_FALSE(FileExists(PathJoin(AppDir(), L"Kestrovane.~wt")));
        CHECK(GetFileAttributesW(PathJoin(appData, L"Kestrovane").c_str()) == INVALID_FILE_ATTRIBUTES);
        RemoveTree(appData);
    }
}

TEST_SUITE("data-folder-no-appdata") {
    TEST_CASE("without APPDATA a refused program folder stays the data folder") {
        BlockedAppDir blocked;
        ScopedEnv env(L"APPDATA", nullptr);
        CHECK(DataFolder() == AppDir());
    }
}

TEST_SUITE("data-folder-appdata") {
    TEST_CASE("a refused program folder moves the data folder under APPDATA, for good") {
        std::wstring appData = FreshTempDir(L"appdata");
        {
            BlockedAppDir blocked;
            ScopedEnv env(L"APPDATA", appData.c_str());
            CHECK(DataFolder() == PathJoin(appData, L"Kestrovane"));
        }
        CHECK(DataFolder() == PathJoin(appData, L"Kestrovane"));
        CHECK((GetFileAttributesW(BackupsFolder().c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0);
    }

    TEST_CASE("own INI files: created as UTF-16, existing ones left alone") {
        // name, bytes before (null: missing), bytes after
        const std::tuple<const wchar_t*, const char*, std::string> cases[] = {
            {L"new.ini", nullptr, "\xFF\xFE"}, {L"utf8.ini", "\xEF\xBB\xBF[S]", "\xEF\xBB\xBF[S]"}, {L"empty.ini", "", ""}};
        for (const auto& [name, before, after] : cases) {
            std::wstring path = PathJoin(DataFolder(), name);
            if (before) WriteFileBytes(path, before);
            CHECK(IniEnsureUtf16(path));
            CHECK(ReadFileBytes(path) == after);
        }
        const std::wstring ini = SettingsIniPath();
        CHECK(SetPreviewSkip(L"Foo", true));
        CHECK(ReadFileBytes(ini).starts_with("\xFF\xFE"));
        CHECK(ReadIniSection(ini, L"PreviewSkip") == IniPairs{{L"Foo", L"1"}});
        CHECK(SetPreviewSkip(L"Foo", false));
        CHECK(ReadIniSection(ini, L"PreviewSkip").empty());
    }

    TEST_CASE("writes that cannot happen say so and leave no file behind") {
        std::wstring folder = PathJoin(DataFolder(), L"folder.ini"), lost = PathJoin(DataFolder(), L"gone\\own.ini");
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const std::wstring& path : {folder, lost}) {
            CAPTURE(StrToUtf8(path));
            CHECK_FALSE(IniEnsureUtf16(path));
            CHECK_FALSE(WriteOwnIniValue(path, L"S", L"k", L"v"));
            CHECK_FALSE(SaveSettings(path));
        }
        CHECK(GetFileAttributesW(lost.c_str()) == INVALID_FILE_ATTRIBUTES);
        RemoveDirectoryW(folder.c_str());
    }

    TEST_CASE("the change log: a UTF-8 mark first, whole CR LF lines, columns kept") {
        CHECK(AppendChangeLog({}));
        CHECK_FALSE(FileExists(ChangeLogPath()));
        CHECK((AppendChangeLog({L"eins \u00e4", L"zwei"}) && AppendChangeLog({L"drei"})));
        CHECK(ReadFileBytes(ChangeLogPath()) == "\xEF\xBB\xBF" "eins \xC3\xA4\r\nzwei\r\ndrei\r\n");

        SettingsValues[L"General/Language"] = L"eng";
        InitLanguage(std::nullopt);
        std::wstring stamp = L"2024-05-06 07:08";
        CHECK(ChangeLogLine(stamp, 2, L"Abcd", L"installed") == stamp + L"  Packer      Abcd" + std::wstring(18, L' ') + L" installed");
        CHECK(ChangeLogLine(stamp, 4, std::wstring(30, L'n'), L"t") == stamp + L"  Inventory   " + std::wstring(30, L'n') + L" t");
    }

    TEST_CASE("debug log: whole lines from many threads") {
        std::wstring log = PathJoin(DataFolder(), L"Kestrovane.debug.log");
        DebugLogOn = true;
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([t] {
                for (int i = 0; i < 50; ++i) DebugLog(L"thread " + std::to_wstring(t) + L" " + std::wstring(200, L'x'));
            });
        for (auto& th : threads) th.join();
        DebugLogOn = false;
        std::string bytes = ReadFileBytes(log);
        std::regex line(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}  thread \d x{200}\r\n)");
        CHECK(std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), line), std::sregex_iterator()) == 200);
        CHECK(std::count(bytes.begin(), bytes.end(), '\n') == 200);
    }
}
