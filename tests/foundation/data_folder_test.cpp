// Each suite here needs a process of its own: the data folder is chosen once per process.
#include <doctest/doctest.h>
#include <windows.h>

#include <atomic>
#include <regex>
#include <thread>

#include "foundation/data_folder.h"
#include "foundation/encoding.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/logs.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "foundation/timestamps.h"
#include "support/test_support.h"
#include "views/view_state.h"

namespace {

// A folder named like the probe file makes the program folder refuse it, as a
// read-only folder would.
struct BlockedAppDir {
    std::wstring path = PathJoin(AppDir(), L"Kestrovane.~wt");
    BlockedAppDir() { CreateDirectoryW(path.c_str(), nullptr); }
    ~BlockedAppDir() { RemoveDirectoryW(path.c_str()); }
};

std::wstring OwnIni(const wchar_t* section, const wchar_t* key) {
    wchar_t buf[64];
    DWORD n = GetPrivateProfileStringW(section, key, L"<none>", buf, 64, SettingsIniPath().c_str());
    return std::wstring(buf, n);
}

size_t Count(const std::string& s, const std::string& part) {
    size_t n = 0;
    for (size_t p = s.find(part); p != std::string::npos; p = s.find(part, p + 1)) ++n;
    return n;
}

}  // namespace

TEST_SUITE("data-folder-portable") {
    TEST_CASE("a writable program folder is the data folder") {
        // A stale blocker from an interrupted run would hide the point of this test.
        RemoveDirectoryW(PathJoin(AppDir(), L"Kestrovane.~wt").c_str());
        std::wstring appData = FreshTempDir(L"appdata_portable");
        ScopedEnv env(L"APPDATA", appData.c_str());
        CHECK(DataFolder() == AppDir());
        CHECK_FALSE(FileExists(PathJoin(AppDir(), L"Kestrovane.~wt")));
        CHECK(GetFileAttributesW(PathJoin(appData, L"Kestrovane").c_str()) == INVALID_FILE_ATTRIBUTES);
        CHECK(SettingsIniPath() == AppDir() + L"\\Kestrovane.ini");
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
    TEST_CASE("a refused program folder moves the data folder under APPDATA") {
        std::wstring appData = FreshTempDir(L"appdata");
        {
            BlockedAppDir blocked;
            ScopedEnv env(L"APPDATA", appData.c_str());
            CHECK(DataFolder() == PathJoin(appData, L"Kestrovane"));
        }
        DWORD attrs = GetFileAttributesW(DataFolder().c_str());
        CHECK((attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)));
        // Fixed for the life of the process, even when the program folder is writable again.
        CHECK(DataFolder() == PathJoin(appData, L"Kestrovane"));
        CHECK(ChangeLogPath() == PathJoin(appData, L"Kestrovane\\Kestrovane.log"));
        CHECK(BackupsFolder() == PathJoin(DataFolder(), L"Backups"));
        CHECK((GetFileAttributesW(BackupsFolder().c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0);
    }

    TEST_CASE("own INI files are created as UTF-16 and kept as they are") {
        std::wstring missing = PathJoin(DataFolder(), L"new.ini");
        IniEnsureUtf16(missing);
        CHECK(ReadFileBytes(missing) == "\xFF\xFE");
        std::wstring utf8 = PathJoin(DataFolder(), L"utf8.ini");
        WriteFileBytes(utf8, "\xEF\xBB\xBF[S]\r\n");
        IniEnsureUtf16(utf8);
        CHECK(ReadFileBytes(utf8) == "\xEF\xBB\xBF[S]\r\n");
        std::wstring empty = PathJoin(DataFolder(), L"empty.ini");
        WriteFileBytes(empty, "");
        IniEnsureUtf16(empty);
        CHECK(ReadFileBytes(empty).empty());
        IniEnsureUtf16(DataFolder());  // a folder: nothing happens, nothing breaks

        SetPreviewSkip(L"Foo Plugin", true);
        CHECK(ReadFileBytes(SettingsIniPath()).substr(0, 2) == "\xFF\xFE");
        CHECK(OwnIni(L"PreviewSkip", L"Foo Plugin") == L"1");
        SetPreviewSkip(L"Foo Plugin", false);
        CHECK(OwnIni(L"PreviewSkip", L"Foo Plugin") == L"<none>");

        PreviewSplitRatio = 0.3337;
        TabIsPreview = 0;
        SavePreviewSplit();
        CHECK(OwnIni(L"Window", L"PreviewSplit") == L"<none>");
        TabIsPreview = 1;
        SavePreviewSplit();
        CHECK(OwnIni(L"Window", L"PreviewSplit") == L"333");
        TabIsPreview = 0;
    }

    TEST_CASE("the TC folder is remembered without trailing separators and only when it changed") {
        std::wstring tc = BuildPath(L"fakes\\tc");
        {
            ScopedEnv env(L"COMMANDER_PATH", (tc + L"\\/").c_str());
            RememberTcDir();
        }
        CHECK(OwnIni(L"Remember", L"TcDir") == tc);
        CHECK(RememberedTcDir() == tc);
        {
            ScopedEnv env(L"COMMANDER_PATH", StrUpper(tc).c_str());
            RememberTcDir();
        }
        CHECK(OwnIni(L"Remember", L"TcDir") == tc);
        {
            ScopedEnv env(L"COMMANDER_PATH", DataFolder().c_str());  // holds no TC
            RememberTcDir();
        }
        CHECK(OwnIni(L"Remember", L"TcDir") == tc);
        WritePrivateProfileStringW(L"Remember", L"TcDir", DataFolder().c_str(), SettingsIniPath().c_str());
        CHECK(RememberedTcDir() == L"");
    }

    TEST_CASE("the change log starts with a UTF-8 mark and gets whole CR LF lines") {
        std::wstring log = ChangeLogPath();
        DeleteFileW(log.c_str());
        AppendChangeLog({});
        CHECK_FALSE(FileExists(log));
        AppendChangeLog({L"eins \u00e4", L"zwei"});
        AppendChangeLog({L"drei"});
        CHECK(ReadFileBytes(log) == "\xEF\xBB\xBF" "eins \xC3\xA4\r\nzwei\r\ndrei\r\n");
    }

    TEST_CASE("debug log: nothing while off, whole lines from many threads") {
        std::wstring log = PathJoin(DataFolder(), L"Kestrovane.debug.log");
        DeleteFileW(log.c_str());
        DebugLogOn = false;
        DebugLog(L"hidden");
        CHECK_FALSE(FileExists(log));

        DebugLogOn = true;
        const int kThreads = 4, kLines = 50;
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([t] {
                for (int i = 0; i < kLines; ++i) DebugLog(L"thread " + std::to_wstring(t) + L" line " + std::wstring(200, L'x'));
            });
        for (auto& th : threads) th.join();
        DebugLogOn = false;

        std::string bytes = ReadFileBytes(log);
        CHECK(bytes.compare(0, 3, "\xEF\xBB\xBF") != 0);
        std::regex line(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}  thread \d line x{200}\r\n)");
        size_t whole = 0;
        for (std::sregex_iterator it(bytes.begin(), bytes.end(), line), end; it != end; ++it) ++whole;
        CHECK(whole == kThreads * kLines);
        CHECK(Count(bytes, "\r\n") == kThreads * kLines);
    }

    TEST_CASE("change-log lines keep their columns") {
        SettingsValues[L"General/Language"] = L"eng";
        InitLanguage();
        std::wstring stamp = L"2024-05-06 07:08";
        CHECK(ChangeLogLine(stamp, 2, L"Abcd", L"installed") ==
              stamp + L"  Packer      Abcd" + std::wstring(18, L' ') + L" installed");
        std::wstring longName(30, L'n');
        CHECK(ChangeLogLine(stamp, 4, longName, L"t") == stamp + L"  Inventory   " + longName + L" t");
        CHECK(ChangeLogLine(stamp, 9, L"x", L"t").substr(16, 15) == L"  Preview     x");
        CHECK(ChangeLogLine(stamp, -1, L"x", L"t").substr(16, 15) == L"  Lister      x");
    }
}
