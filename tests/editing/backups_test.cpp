// Backups are kept per file: 30 at most, never mixed with those of another file;
// a restore puts one back into the file wincmd.ini really is.
#include "editing/backups.h"
#include "editing/restore_backup.h"
#include "editing/save_request.h"
#include "foundation/texts.h"
#include "editing_test_util.h"

namespace {

void EmptyBackups() {
    RemoveTree(BackupsFolder());
    ClearOwnSection(L"Backups");
}

size_t CountOf(const std::wstring& source) { return BackupsOf(source).size(); }

// Another program deletes the backup the restore is about to read.
struct BackupVanishes : FaultyIo {
    std::wstring doomed;
    std::wstring Backup(const std::wstring& file, const std::wstring& suffix) override {
        std::wstring made = FaultyIo::Backup(file, suffix);
        DeleteFileW(doomed.c_str());
        return made;
    }
};

// The name still leads to the file, and is no file of its own.
bool StillLinked(const std::wstring& link, const std::wstring& file) {
    return StrIEquals(FinalPath(link), FinalPath(file));
}

std::wstring StampedBackup(int second, const wchar_t* suffix) {
    wchar_t name[64];
    swprintf(name, 64, L"\\wincmd_20200101-0000%02d%ls.ini", second, suffix);
    return BackupsFolder() + name;
}

}  // namespace

TEST_CASE("backups are pruned per file and never mixed with a file of the same stem") {
    EmptyBackups();
    std::wstring a = FreshTempDir(L"bk_a"), b = FreshTempDir(L"bk_b");
    std::wstring mine = a + L"\\wincmd.ini", twin = b + L"\\wincmd.ini", second = a + L"\\wincmd_2nd.ini";
    for (const auto& f : {mine, twin, second}) WriteFileBytes(f, "[Configuration]\r\n");
    // Made before sources were recorded: counts for every wincmd.ini.
    WriteFileBytes(BackupsFolder() + L"\\WINCMD_20200101-000000_PRE.INI", "");
    WriteFileBytes(BackupsFolder() + L"\\wincmd_2020.ini", "");  // no backup name
    for (int i = 0; i < 31; ++i) REQUIRE_FALSE(IniBackup(mine, L"").empty());
    for (int i = 0; i < 3; ++i) IniBackup(twin, L"");
    IniBackup(second, L"_pre");
    std::vector<BackupFile> own = BackupsOf(mine);
    CHECK(own.size() == 30);
    CHECK(own.front().stamp > L"20200101-000000");  // the oldest went first
    CHECK(std::is_sorted(own.begin(), own.end(), [](auto& x, auto& y) { return x.stamp < y.stamp; }));
    CHECK(CountOf(twin) == 3);
    CHECK(CountOf(second) == 1);
    CHECK(BackupsOf(second)[0].pre);
    CHECK(FileExists(BackupsFolder() + L"\\wincmd_2020.ini"));
    RemoveTree(a);
    RemoveTree(b);
    EmptyBackups();
}

TEST_CASE("a stem the INI syntax would misread keeps its backups with its own file") {
    EmptyBackups();
    std::wstring a = FreshTempDir(L"bk_syntax_a"), b = FreshTempDir(L"bk_syntax_b");
    for (const wchar_t* stem : {L"a=b", L";x", L"[x]", L" lead"}) {
        CAPTURE(StrToUtf8(stem));
        std::wstring mine = a + L"\\" + stem + L".ini", twin = b + L"\\" + stem + L".ini";
        WriteFileBytes(mine, "[Configuration]\r\n");
        WriteFileBytes(twin, "[Configuration]\r\n");
        REQUIRE_FALSE(IniBackup(mine, L"").empty());
        for (int i = 0; i < 2; ++i) REQUIRE_FALSE(IniBackup(twin, L"").empty());
        CHECK(CountOf(mine) == 1);
        CHECK(CountOf(twin) == 2);
        // Clean-up offers only the twin's older backup; each file keeps its newest.
        std::vector<std::wstring> superseded = SupersededBackups();
        CHECK(superseded == std::vector<std::wstring>{BackupsOf(twin).front().path});
        ForgetBackup(BackupsOf(mine).front());
        CHECK(CountOf(mine) == 0);
        CHECK(CountOf(twin) == 2);
        for (const BackupFile& backup : BackupsOf(twin)) ForgetBackup(backup);
        CHECK(ReadIniSection(SettingsIniPath(), L"Backups").empty());  // no record left behind
    }
    // A record an earlier version wrote for a plain name still keeps its backup apart.
    std::wstring mine = a + L"\\wincmd.ini";
    WriteFileBytes(mine, "[Configuration]\r\n");
    WriteFileBytes(BackupsFolder() + L"\\wincmd_20200101-000001.ini", "");
    WritePrivateProfileStringW(L"Backups", L"wincmd_20200101-000001.ini", (b + L"\\wincmd.ini").c_str(),
                               SettingsIniPath().c_str());
    CHECK(CountOf(mine) == 0);
    CHECK(CountOf(b + L"\\wincmd.ini") == 1);
    RemoveTree(a);
    RemoveTree(b);
    EmptyBackups();
}

TEST_CASE("the backup just made survives pruning, whatever stamps the others carry") {
    EmptyBackups();
    std::wstring dir = FreshTempDir(L"bk_future"), ini = dir + L"\\wincmd.ini";
    WriteFileBytes(ini, "[ListerPlugins]\r\n1=C:\\a.wlx\r\n");
    // A clock set back, or backups brought from another machine.
    MakeDirs(BackupsFolder());
    for (int i = 10; i < 40; ++i)
        WriteFileBytes(BackupsFolder() + L"\\wincmd_20990101-0000" + std::to_wstring(i) + L".ini", "");
    std::wstring made = IniBackup(ini, L"");
    REQUIRE_FALSE(made.empty());
    CHECK(ReadFileBytes(made) == ReadFileBytes(ini));
    CHECK(CountOf(ini) == 30);
    CHECK_FALSE(FileExists(BackupsFolder() + L"\\wincmd_20990101-000010.ini"));
    RemoveTree(dir);
    EmptyBackups();
}

TEST_CASE("a file is written only when it is no UTF-8 file and could be backed up") {
    EmptyBackups();
    std::wstring dir = FreshTempDir(L"bk_check"), ini = dir + L"\\wincmd.ini";
    std::wstring errors, backup;
    SaveRun run;
    WriteFileBytes(ini, "\xEF\xBB\xBF[ListerPlugins]\r\n");
    CHECK_FALSE(IniPrepareWriteOnce(run, ini));
    CHECK_FALSE(IniPrepareWrite(errors, ini, SystemSaveIo(), backup));
    CHECK((errors.find(ini) != std::wstring::npos && run.errors.find(ini) != std::wstring::npos));
    CHECK(CountOf(ini) == 0);
    CHECK_FALSE(IniPrepareWriteOnce(run, ini));  // refused for the whole run, and said once
    CHECK(run.errors == Tr("err_utf8") + L" " + ini + L"\r\n");
    WriteFileBytes(ini, "[ListerPlugins]\r\n");
    run = SaveRun{};
    CHECK((IniPrepareWriteOnce(run, ini) && IniPrepareWriteOnce(run, ini)));
    CHECK((run.errors.empty() && CountOf(ini) == 1));
    CHECK(IniPrepareWrite(errors, dir + L"\\missing.ini", SystemSaveIo(), backup));
    CHECK_FALSE(IniPrepareWriteOnce(run, dir + L"\\missing.ini"));
    RemoveTree(dir);
    EmptyBackups();
}

TEST_CASE("a restore never prunes the backup it restores, and says so when the backup is gone") {
    EmptyBackups();
    SaveFixture f(L"bk_restores", L"[ListerPlugins]\r\n1=C:\\v1.wlx\r\n");
    std::string v1 = ReadFileBytes(f.tc.ini), v2 = "[ListerPlugins]\r\n1=C:\\v2.wlx\r\n";
    MakeDirs(BackupsFolder());
    // One save, then 29 restores of it: each left its "_pre" copy, all newer than the save's backup.
    std::wstring written = StampedBackup(0, L"");
    WriteFileBytes(written, v1);
    for (int i = 1; i < 30; ++i) WriteFileBytes(StampedBackup(i, L"_pre"), v2);
    WriteFileBytes(f.tc.ini, v2);
    REQUIRE(NewestWriteBackup(f.tc.ini) == written);
    RestoreBackup(SaveFixture::Host, nullptr);
    CHECK(SaveFixture::Shown.size() == 1);  // the question only
    CHECK(ReadFileBytes(f.tc.ini) == v1);
    CHECK(FileExists(written));
    CHECK(CountOf(f.tc.ini) == 30);
    CHECK_FALSE(FileExists(StampedBackup(1, L"_pre")));

    WriteFileBytes(f.tc.ini, v2);
    SaveFixture::Shown.clear();
    BackupVanishes io;
    io.doomed = written;
    RestoreBackup(SaveFixture::Host, nullptr, io);
    std::wstring pre = BackupsOf(f.tc.ini).back().path;
    REQUIRE(SaveFixture::Shown.size() == 2);
    CHECK(SaveFixture::Shown[1] == Tr("restore_gone") + L"\n" + written + L"\n\n" + Tr("restore_pre_kept") + L"\n" + pre);
    CHECK(ReadFileBytes(f.tc.ini) == v2);
    EmptyBackups();
}

TEST_CASE("a restore writes the file a linked wincmd.ini names, in place where it has other names, and keeps its attributes") {
    EmptyBackups();
    SaveFixture f(L"bk_links", L"[ListerPlugins]\r\n1=C:\\v1.wlx\r\n");
    std::string v1 = ReadFileBytes(f.tc.ini), v2 = "[ListerPlugins]\r\n1=C:\\v2.wlx\r\n";
    std::wstring real = f.tc / L"real.ini", twin = f.tc / L"twin.ini";
    REQUIRE(MoveFileW(f.tc.ini.c_str(), real.c_str()));
    REQUIRE(MakeFileLink(f.tc.ini, real));
    REQUIRE(CreateHardLinkW(twin.c_str(), real.c_str(), nullptr));
    REQUIRE_FALSE(IniBackup(f.tc.ini, L"").empty());
    WriteFileBytes(real, v2);
    SetFileAttributesW(real.c_str(), FILE_ATTRIBUTE_HIDDEN);
    bool hides = (GetFileAttributesW(real.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0;  // where the file system keeps it
    RestoreBackup(SaveFixture::Host, nullptr);
    CHECK(StillLinked(f.tc.ini, real));
    CHECK(ReadFileBytes(real) == v1);
    CHECK(ReadFileBytes(twin) == v1);
    CHECK(hides == ((GetFileAttributesW(real.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0));

    // Alone, the file is replaced in one step, through its link all the same.
    REQUIRE(DeleteFileW(twin.c_str()));
    WriteFileBytes(real, v2);
    RestoreBackup(SaveFixture::Host, nullptr);
    CHECK(StillLinked(f.tc.ini, real));
    CHECK(ReadFileBytes(real) == v1);
    CHECK(hides == ((GetFileAttributesW(real.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0));
    CHECK_FALSE(FileExists(real + L".kvnew"));
    SetFileAttributesW(real.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A plain file keeps what it was given.
    std::wstring plain = f.tc / L"plain.ini", copy = f.tc / L"copy.ini";
    WriteFileBytes(plain, v2);
    WriteFileBytes(copy, v1);
    SetFileAttributesW(plain.c_str(), FILE_ATTRIBUTE_HIDDEN);
    CHECK(SystemSaveIo().ReplaceWithCopy(copy, plain));
    CHECK(ReadFileBytes(plain) == v1);
    CHECK(hides == ((GetFileAttributesW(plain.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0));
    EmptyBackups();
}
