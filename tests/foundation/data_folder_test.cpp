// The data folder is chosen once per process, so each suite runs as a process of its own.
#include <doctest/doctest.h>
#include <windows.h>

#include <algorithm>
#include <regex>
#include <thread>

#include "foundation/data_folder.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/logs.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "support/test_support.h"
#include "views/view_state.h"

namespace {

// A folder named like the probe file makes the program folder refuse it, as a read-only one would.
struct BlockedAppDir {
    std::wstring path = PathJoin(AppDir(), L"Kestrovane.~wt");
    BlockedAppDir() { CreateDirectoryW(path.c_str(), nullptr); }
    ~BlockedAppDir() { RemoveDirectoryW(path.c_str()); }
};

std::wstring OwnIni(const wchar_t* section, const wchar_t* key) {
    wchar_t buf[600];
    DWORD n = GetPrivateProfileStringW(section, key, L"-", buf, 600, SettingsIniPath().c_str());
    return std::wstring(buf, n);
}

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
        const struct {
            const wchar_t* name;
            const char* before;  // null: missing
            std::string after;
        } cases[] = {{L"new.ini", nullptr, "\xFF\xFE"}, {L"utf8.ini", "\xEF\xBB\xBF[S]", "\xEF\xBB\xBF[S]"},
                     {L"empty.ini", "", ""}};
        for (const auto& c : cases) {
            std::wstring path = PathJoin(DataFolder(), c.name);
            if (c.before) WriteFileBytes(path, c.before);
            IniEnsureUtf16(path);
            CHECK(ReadFileBytes(path) == c.after);
        }
        SetPreviewSkip(L"Foo", true);
        CHECK(ReadFileBytes(SettingsIniPath()).substr(0, 2) == "\xFF\xFE");
        CHECK(OwnIni(L"PreviewSkip", L"Foo") == L"1");
        SetPreviewSkip(L"Foo", false);
        CHECK(OwnIni(L"PreviewSkip", L"Foo") == L"-");
        PreviewSplitRatio = 0.3337;
        SavePreviewSplit();  // not on the preview tab: nothing
        CHECK(OwnIni(L"Window", L"PreviewSplit") == L"-");
        TabIsPreview = 1;
        SavePreviewSplit();
        CHECK(OwnIni(L"Window", L"PreviewSplit") == L"333");
    }

    TEST_CASE("the TC folder is remembered without trailing separators, once per folder") {
        std::wstring tc = BuildPath(L"fakes\\tc");
        for (const std::wstring& given : {tc + L"\\/", StrUpper(tc), DataFolder()}) {
            ScopedEnv env(L"COMMANDER_PATH", given.c_str());
            RememberTcDir();
            CHECK(OwnIni(L"Remember", L"TcDir") == tc);
        }
        CHECK(RememberedTcDir() == tc);
        WritePrivateProfileStringW(L"Remember", L"TcDir", DataFolder().c_str(), SettingsIniPath().c_str());
        CHECK(RememberedTcDir() == L"");
    }

    TEST_CASE("the change log: a UTF-8 mark first, whole CR LF lines, columns kept") {
        AppendChangeLog({});
        CHECK_FALSE(FileExists(ChangeLogPath()));
        AppendChangeLog({L"eins \u00e4", L"zwei"});
        AppendChangeLog({L"drei"});
        CHECK(ReadFileBytes(ChangeLogPath()) == "\xEF\xBB\xBF" "eins \xC3\xA4\r\nzwei\r\ndrei\r\n");

        SettingsValues[L"General/Language"] = L"eng";
        InitLanguage();
        std::wstring stamp = L"2024-05-06 07:08";
        CHECK(ChangeLogLine(stamp, 2, L"Abcd", L"installed") == stamp + L"  Packer      Abcd" + std::wstring(18, L' ') + L" installed");
        CHECK(ChangeLogLine(stamp, 4, std::wstring(30, L'n'), L"t") == stamp + L"  Inventory   " + std::wstring(30, L'n') + L" t");
        CHECK(ChangeLogLine(stamp, 9, L"x", L"t").substr(16, 15) == L"  Preview     x");
        CHECK(ChangeLogLine(stamp, -1, L"x", L"t").substr(16, 15) == L"  Lister      x");
    }

    TEST_CASE("debug log: nothing while off, whole lines from many threads") {
        std::wstring log = PathJoin(DataFolder(), L"Kestrovane.debug.log");
        DebugLog(L"hidden");
        CHECK_FALSE(FileExists(log));
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
        auto whole = std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), line), std::sregex_iterator());
        CHECK(whole == 200);
        CHECK(std::count(bytes.begin(), bytes.end(), '\n') == 200);
    }
}
