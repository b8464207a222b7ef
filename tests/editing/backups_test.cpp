// Backups are kept per file: 30 at most, never mixed with those of another file;
// a restore puts one back into the file wincmd.ini really is.
#include "editing/backups.h"
#include "editing/restore_backup.h"
#include "editing/save_request.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
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

bool Hidden(const std::wstring& file) {
    DWORD attrs = GetFileAttributesW(file.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_HIDDEN);
}

std::wstring StampedBackup(int second, const wchar_t* suffix) {
    wchar_t name[64];
    swprintf(name, 64, L"\\wincmd_20200101-0000%02d%ls.ini", second, suffix);
    return BackupsFolder() + name;
}

// The first copy reports success but lands none of its bytes, or the first half
// of them; every later step is real.
struct FalseCopy : FaultyIo {
    bool half = false;
    bool done = false;
    bool ReplaceWithCopy(const std::wstring& source, const std::wstring& target) override {
        if (done) return FaultyIo::ReplaceWithCopy(source, target);
        done = true;
        std::string bytes = ReadFileBytes(source);
        if (half) WriteFileBytes(target, bytes.substr(0, bytes.size() / 2));
        return true;
    }
};

bool ChangeLogNames(const std::wstring& what) {
    return Utf8ToWide(ReadFileBytes(ChangeLogPath())).find(what) != std::wstring::npos;
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
    // A file system that keeps no such attribute could not show it lost.
    REQUIRE(Hidden(real));
    RestoreBackup(SaveFixture::Host, nullptr);
    CHECK(StillLinked(f.tc.ini, real));
    CHECK(ReadFileBytes(real) == v1);
    CHECK(ReadFileBytes(twin) == v1);
    CHECK(Hidden(real));

    // Alone, the file is replaced in one step, through its link all the same.
    REQUIRE(DeleteFileW(twin.c_str()));
    WriteFileBytes(real, v2);
    RestoreBackup(SaveFixture::Host, nullptr);
    CHECK(StillLinked(f.tc.ini, real));
    CHECK(ReadFileBytes(real) == v1);
    CHECK(Hidden(real));
    CHECK_FALSE(FileExists(real + L".kvnew"));
    SetFileAttributesW(real.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A plain file keeps what it was given.
    std::wstring plain = f.tc / L"plain.ini", copy = f.tc / L"copy.ini";
    WriteFileBytes(plain, v2);
    WriteFileBytes(copy, v1);
    SetFileAttributesW(plain.c_str(), FILE_ATTRIBUTE_HIDDEN);
    REQUIRE(Hidden(plain));
    CHECK(SystemSaveIo().ReplaceWithCopy(copy, plain));
    CHECK(ReadFileBytes(plain) == v1);
    CHECK(Hidden(plain));
    EmptyBackups();
}

TEST_CASE("a file of several names is written in place only with its source read whole") {
    std::wstring dir = FreshTempDir(L"bk_inplace"), real = dir + L"\\real.ini", twin = dir + L"\\twin.ini",
                 copy = dir + L"\\copy.ini";
    const std::string v1 = "[ListerPlugins]\r\n1=C:\\v1.wlx\r\n", v2 = "[ListerPlugins]\r\n1=C:\\v2.wlx\r\n";
    WriteFileBytes(real, v2);
    WriteFileBytes(copy, v1);
    REQUIRE(CreateHardLinkW(twin.c_str(), real.c_str(), nullptr));
    // Another program holds the source open with leave to delete it, as a scanner
    // or a sync tool may: an open that does not share deleting fails, which the
    // in-place write took for an empty source.
    HANDLE holder = CreateFileW(copy.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(holder != INVALID_HANDLE_VALUE);
    bool replaced = SystemSaveIo().ReplaceWithCopy(copy, real);
    CloseHandle(holder);
    CHECK(replaced);
    CHECK(ReadFileBytes(real) == v1);
    CHECK(ReadFileBytes(twin) == v1);
    RemoveTree(dir);
}

TEST_CASE("a restore writes only a backup read whole and whole in itself, and logs it only once the file holds it") {
    EmptyBackups();
    SaveFixture f(L"bk_whole", L"[ListerPlugins]\r\n1=C:\\v1.wlx\r\n");
    const std::string v1 = ReadFileBytes(f.tc.ini), v2 = "[ListerPlugins]\r\n1=C:\\v2.wlx\r\n";
    MakeDirs(BackupsFolder());
    const std::wstring backup = StampedBackup(0, L"");
    WriteFileBytes(f.tc.ini, v2);
    DeleteFileW(ChangeLogPath().c_str());

    SUBCASE("a backup that is not whole is refused before anything is asked") {
        std::string bad;
        bool held = false;  // by another program that shares nothing: it cannot be read
        SUBCASE("empty") {}
        SUBCASE("filled with zeros at its end") { bad = v1.substr(0, 20) + std::string(12, '\0'); }
        SUBCASE("UTF-16 cut within a character") { bad = "\xFF\xFE" + Utf16Bytes(L"[ListerPlugins]\r\n1=C:\\v1.wlx") + "x"; }
        SUBCASE("no section") { bad = "1=C:\\v1.wlx\r\n"; }
        SUBCASE("unreadable") {
            bad = v1;
            held = true;
        }
        WriteFileBytes(backup, bad);
        HANDLE holder = held ? CreateFileW(backup.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
        RestoreBackup(SaveFixture::Host, nullptr);
        if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
        const char* why = held ? "restore_unreadable" : "restore_damaged";
        CHECK(SaveFixture::Shown == std::vector<std::wstring>{Tr(why) + L"\n" + backup});
        CHECK(ReadFileBytes(f.tc.ini) == v2);
        CHECK(BackupsOf(f.tc.ini).size() == 1);  // no "_pre" copy either
    }
    SUBCASE("a copy that reports success but leaves the file as it was is said to have failed") {
        WriteFileBytes(backup, v1);
        FalseCopy io;
        RestoreBackup(SaveFixture::Host, nullptr, io);
        std::wstring pre = BackupsOf(f.tc.ini).back().path;
        REQUIRE(SaveFixture::Shown.size() == 2);
        CHECK(SaveFixture::Shown[1] == Tr("err_write") + L"\n" + f.tc.ini + L"\n\n" + Tr("restore_pre_kept") + L"\n" + pre);
        CHECK(ReadFileBytes(f.tc.ini) == v2);
    }
    SUBCASE("a copy that lands cut is put back from the file's own copy") {
        WriteFileBytes(backup, v1);
        FalseCopy io;
        io.half = true;
        RestoreBackup(SaveFixture::Host, nullptr, io);
        REQUIRE(SaveFixture::Shown.size() == 2);
        CHECK(SaveFixture::Shown[1] == Tr("restore_mismatch") + L"\n" + f.tc.ini + L"\n\n" + Tr("restore_put_back"));
        CHECK(ReadFileBytes(f.tc.ini) == v2);
    }
    SUBCASE("a restore the change log cannot take is made all the same, and says so") {
        WriteFileBytes(backup, v1);
        {
            ChangeLogHeld held;
            REQUIRE(held.Holds());
            RestoreBackup(SaveFixture::Host, nullptr);
        }
        CHECK(ReadFileBytes(f.tc.ini) == v1);
        REQUIRE(SaveFixture::Shown.size() == 2);  // the question, then the note
        CHECK(SaveFixture::Shown[1] == ChangeLogHeld::Note());
    }
    CHECK_FALSE(ChangeLogNames(L"wincmd_20200101-000000.ini"));
    EmptyBackups();
}

TEST_CASE("a link whose file cannot be found is never replaced by a file of its own") {
    std::wstring dir = FreshTempDir(L"bk_lost"), ini = dir + L"\\wincmd.ini", copy = dir + L"\\copy.ini";
    const std::string v1 = "[ListerPlugins]\r\n1=C:\\v1.wlx\r\n", v2 = "[ListerPlugins]\r\n1=C:\\v2.wlx\r\n";
    WriteFileBytes(ini, v2);
    WriteFileBytes(copy, v1);
    // Wine shows no link to a missing file at all: a plain file stands in for the
    // link, with what Windows tells of one.
    CHECK_FALSE(ReplaceFileWithCopy(copy, ini, PathLink{true, L""}));
    CHECK(ReadFileBytes(ini) == v2);
    // A plain file whose final path cannot be named, as on a volume without a letter: written.
    CHECK(ReplaceFileWithCopy(copy, ini, PathLink{false, L""}));
    CHECK(ReadFileBytes(ini) == v1);
    RemoveTree(dir);
}
