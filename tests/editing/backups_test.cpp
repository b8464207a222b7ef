// Backups are kept per file: 30 at most, never mixed with those of another file.
#include "editing/backups.h"
#include "editing/save_request.h"
#include "foundation/texts.h"
#include "editing_test_util.h"

namespace {

void EmptyBackups() {
    RemoveTree(BackupsFolder());
    ClearOwnSection(L"Backups");
}

size_t CountOf(const std::wstring& source) { return BackupsOf(source).size(); }

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
    std::wstring errors;
    SaveRun run;
    WriteFileBytes(ini, "\xEF\xBB\xBF[ListerPlugins]\r\n");
    CHECK_FALSE(IniPrepareWriteOnce(run, ini));
    CHECK_FALSE(IniPrepareWrite(errors, ini));
    CHECK((errors.find(ini) != std::wstring::npos && run.errors.find(ini) != std::wstring::npos));
    CHECK(CountOf(ini) == 0);
    CHECK_FALSE(IniPrepareWriteOnce(run, ini));  // refused for the whole run, and said once
    CHECK(run.errors == Tr("err_utf8") + L" " + ini + L"\r\n");
    WriteFileBytes(ini, "[ListerPlugins]\r\n");
    run = SaveRun{};
    CHECK((IniPrepareWriteOnce(run, ini) && IniPrepareWriteOnce(run, ini)));
    CHECK((run.errors.empty() && CountOf(ini) == 1));
    CHECK(IniPrepareWrite(errors, dir + L"\\missing.ini"));
    CHECK_FALSE(IniPrepareWriteOnce(run, dir + L"\\missing.ini"));
    RemoveTree(dir);
    EmptyBackups();
}
