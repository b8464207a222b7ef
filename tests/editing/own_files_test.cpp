// Restoring the last backup, cleaning up the program's own files and opening
// another wincmd.ini: each keeps apart two files of the same name in two folders.
#include "editing/backups.h"
#include "editing/cleanup.h"
#include "editing/open_ini.h"
#include "editing/restore_backup.h"
#include "editing/tc_control.h"
#include "editing_test_util.h"
#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/texts.h"

namespace {

void EmptyBackups() {
    RemoveTree(BackupsFolder());
    ClearOwnSection(L"Backups");
}

std::string Content(const std::wstring& path) { return ReadFileBytes(path); }

std::wstring NameOf(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

}  // namespace

TEST_CASE("restore takes the newest write backup of this very file, and not when its own copy fails") {
    EmptyBackups();
    SaveFixture f(L"restore_a", L"[ListerPlugins]\r\n1=C:\\v1.wlx\r\n");
    std::wstring other = FreshTempDir(L"restore_b") + L"\\wincmd.ini";
    WriteFileBytes(other, "[ListerPlugins]\r\n1=C:\\other.wlx\r\n");
    std::string v1 = Content(f.tc.ini);
    REQUIRE_FALSE(IniBackup(f.tc.ini, L"").empty());
    WriteFileBytes(f.tc.ini, "[ListerPlugins]\r\n1=C:\\v2.wlx\r\n");
    REQUIRE_FALSE(IniBackup(other, L"").empty());  // newer, same stem, another file

    RestoreBackup(SaveFixture::Host, nullptr);
    CHECK(Content(f.tc.ini) == v1);
    CHECK(Content(other) == "[ListerPlugins]\r\n1=C:\\other.wlx\r\n");
    std::vector<BackupFile> mine = BackupsOf(f.tc.ini);
    REQUIRE(mine.size() == 2);
    CHECK(mine[0].pre != mine[1].pre);

    // A second restore takes the same write backup again, never the "_pre" copy.
    WriteFileBytes(f.tc.ini, "[ListerPlugins]\r\n1=C:\\v3.wlx\r\n");
    SaveFixture::Shown.clear();
    {
        // Held open without sharing: the copy of the current file cannot be made.
        FileHandle lock(CreateFileW(f.tc.ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        REQUIRE(lock.Valid());
        RestoreBackup(SaveFixture::Host, nullptr);
    }
    REQUIRE(SaveFixture::Shown.size() == 2);
    CHECK(SaveFixture::Shown[1] == Tr("err_backup") + L" " + f.tc.ini);
    CHECK(Content(f.tc.ini) == "[ListerPlugins]\r\n1=C:\\v3.wlx\r\n");
    CHECK(BackupsOf(f.tc.ini).size() == 2);

    // Clean-up: per file the newest write backup stays, whatever "_pre" copies are newer.
    REQUIRE_FALSE(IniBackup(f.tc.ini, L"").empty());
    std::vector<BackupFile> now = BackupsOf(f.tc.ini);
    REQUIRE(now.size() == 3);
    CleanupGroups groups = GatherCleanupGroups();
    std::vector<std::wstring> offered;
    for (const std::wstring& p : groups[0].paths) offered.push_back(NameOf(p));
    std::sort(offered.begin(), offered.end());
    std::vector<std::wstring> older;
    for (const BackupFile& b : now)
        if (b.path != NewestWriteBackup(f.tc.ini)) older.push_back(b.name);
    std::sort(older.begin(), older.end());
    CHECK(older.size() == 2);
    CHECK(offered == older);
    CHECK(groups[0].chosen);
    CHECK_FALSE(groups[1].chosen);

    // Where the files would be deleted for good, a refusal leaves everything there.
    f.Host.recycleBin = false;
    SaveFixture::Answer = IDNO;
    SaveFixture::Shown.clear();
    DeleteFileW(ChangeLogPath().c_str());
    groups[3].chosen = 0;
    CHECK_FALSE(CleanupRun(SaveFixture::Host, nullptr, groups));
    CHECK(FileExists(now[0].path));
    CHECK(FileExists(now[1].path));
    CHECK_FALSE(FileExists(ChangeLogPath()));
    REQUIRE(SaveFixture::Shown.size() == 1);
    CHECK(SaveFixture::Shown[0].find(now[0].path) != std::wstring::npos);

    // A clean-up the change log cannot take is made all the same, and says so.
    SaveFixture::Answer = IDYES;
    SaveFixture::Shown.clear();
    {
        ChangeLogHeld held;
        REQUIRE(held.Holds());
        CHECK(CleanupRun(SaveFixture::Host, nullptr, groups));
    }
    CHECK_FALSE(FileExists(now[0].path));
    REQUIRE_FALSE(SaveFixture::Shown.empty());
    CHECK(SaveFixture::Shown.back().ends_with(L"\n\n" + ChangeLogHeld::Note()));
    RemoveTree(PathDir(other));
    EmptyBackups();
}

TEST_CASE("a backup whose record cannot be written is none: the file stays unwritten, no file of its stem is offered it") {
    EmptyBackups();
    SaveFixture f(L"record_a", L"[FileSystemPlugins]\r\nOne=C:\\p\\1.wfx\r\n");
    std::wstring other = FreshTempDir(L"record_b") + L"\\wincmd.ini";
    WriteFileBytes(other, "[ListerPlugins]\r\n1=C:\\other.wlx\r\n");
    std::string before = Content(f.tc.ini);
    GetPlugState(3, L"One", L"C:\\p\\1.wfx", L"One").curKey = L"Two";
    WriteSettingsIniValue(L"Backups", L"kv_probe", nullptr);  // the program's INI is there
    {
        // Held open without shared writing: the profile functions cannot write it.
        FileHandle reader(CreateFileW(SettingsIniPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      0, nullptr));
        REQUIRE(reader.Valid());
        f.Save();
    }
    CHECK(Content(f.tc.ini) == before);
    REQUIRE(SaveFixture::Shown.size() == 1);
    CHECK(SaveFixture::Shown[0].find(Tr("err_backup") + L" " + f.tc.ini) != std::wstring::npos);
    CHECK(CountPendingChanges() == 1);
    CHECK(NewestWriteBackup(other).empty());
    CHECK(NewestWriteBackup(f.tc.ini).empty());
    RemoveTree(PathDir(other));
    EmptyBackups();
}

TEST_CASE("a restore that cannot replace the file leaves it whole and names the copy made before") {
    EmptyBackups();
    SaveFixture f(L"restore_fail", L"[ListerPlugins]\r\n1=C:\\v1.wlx\r\n");
    std::string v1 = Content(f.tc.ini), v2 = "[ListerPlugins]\r\n1=C:\\v2.wlx\r\n";
    REQUIRE_FALSE(IniBackup(f.tc.ini, L"").empty());
    WriteFileBytes(f.tc.ini, v2);
    FaultyIo io;
    io.onlyKind = "replace";
    io.failAt = 0;
    RestoreBackup(SaveFixture::Host, nullptr, io);
    CHECK(Content(f.tc.ini) == v2);
    std::vector<BackupFile> mine = BackupsOf(f.tc.ini);
    auto pre = std::find_if(mine.begin(), mine.end(), [](const BackupFile& b) { return b.pre; });
    REQUIRE(pre != mine.end());
    CHECK(Content(pre->path) == v2);
    REQUIRE(SaveFixture::Shown.size() == 2);
    CHECK(SaveFixture::Shown[1] == Tr("err_write") + L"\n" + f.tc.ini + L"\n\n" + Tr("restore_pre_kept") + L"\n" + pre->path);
    RestoreBackup(SaveFixture::Host, nullptr);
    CHECK(Content(f.tc.ini) == v1);
    WIN32_FIND_DATAW found;
    FindHandle left(FindFirstFileW((f.tc.dir + L"\\*.kvnew").c_str(), &found));
    CHECK_FALSE(left.Valid());  // nothing of the replace beside the file
    EmptyBackups();
}

TEST_CASE("another wincmd.ini is opened only after the pending changes may go, and TC keeps its own") {
    SaveFixture f(L"openini", L"[ListerPlugins]\r\n1=C:\\mine.wlx\r\n");
    std::wstring other = f.tc / L"other.ini";
    WriteFileBytes(other, "[ListerPlugins]\r\n1=C:\\other.wlx\r\n2=C:\\more.wlx\r\n");
    PendingEditFor(f.Entry(0, 1)).deleted = 1;
    SaveFixture::Answer = IDNO;
    CHECK_FALSE(OpenIniFile(SaveFixture::Host, nullptr, other));
    CHECK(WincmdIniPath == f.tc.ini);
    CHECK(CountPendingChanges() == 1);
    SaveFixture::Answer = IDYES;
    TcOwnIniPath.clear();
    CHECK(OpenIniFile(SaveFixture::Host, nullptr, other));
    CHECK(WincmdIniPath == other);
    CHECK(TcOwnIniPath == f.tc.ini);
    CHECK(CountPendingChanges() == 0);
    CHECK(LoadPluginSection(0).entries.size() == 2);
    PendingEditFor(f.Entry(0, 2)).deleted = 1;
    f.Save();
    CHECK(Section(other, L"ListerPlugins") == L"1=C:\\other.wlx\n");
    CHECK(Section(f.tc.ini, L"ListerPlugins") == L"1=C:\\mine.wlx\n");
    TcOwnIniPath.clear();
}
