// Copying a package into its target: backups of replaced files, the change log,
// the limits of the package tree, and the rollback of a copy that fails halfway.
#include <doctest/doctest.h>

#include "foundation/data_folder.h"
#include "foundation/texts.h"
#include "hostcfg/plugin_files.h"
#include "install/file_copy.h"
#include "install_fixture.h"

namespace {

InstInfo CopyJob(const InstallScene& scene) {
    InstInfo info;
    info.folder = scene.package;
    info.target = scene.tc + L"\\plugins\\wlx\\pkg";
    info.pluginName = L"pkg";
    info.kind = 0;
    return info;
}

std::wstring NewestBackup(const std::wstring& name) {
    std::wstring found;
    ForEachDirItem(PathJoin(BackupsFolder(), L"Plugins"), [&](const DirItem& item) {
        if (item.name.rfind(name + L"_", 0) == 0 && item.name > found) found = item.name;
        return true;
    });
    return found.empty() ? L"" : PathJoin(PathJoin(BackupsFolder(), L"Plugins"), found);
}

}  // namespace

TEST_CASE("an update backs up the files it replaces under their relative paths") {
    InstallScene scene(L"copy_update");
    InstInfo info = CopyJob(scene);
    CreateDirectoryW((scene.package + L"\\lang").c_str(), nullptr);
    WriteFileBytes(scene.package + L"\\pkg.wlx", "new plugin");
    WriteFileBytes(scene.package + L"\\lang\\de.lng", "new lang");
    REQUIRE(MakeDirs(info.target + L"\\lang"));
    WriteFileBytes(info.target + L"\\lang\\de.lng", "old lang");

    std::wstring error;
    REQUIRE(InstCopyFiles(info, {}, error));
    CHECK(ReadFileBytes(info.target + L"\\pkg.wlx") == "new plugin");
    CHECK(ReadFileBytes(info.target + L"\\lang\\de.lng") == "new lang");
    std::wstring backup = NewestBackup(L"pkg");
    REQUIRE_FALSE(backup.empty());
    CHECK(ReadFileBytes(backup + L"\\lang\\de.lng") == "old lang");
    CHECK_FALSE(FileExists(backup + L"\\pkg.wlx"));
    std::string log = ReadFileBytes(ChangeLogPath());
    CHECK(log.find("2 files copied to") != std::string::npos);
    CHECK(log.find("replaced files backed up in") != std::string::npos);

    // A copy the change log cannot take is made all the same; the install says so.
    CHECK(error.empty());
    WriteFileBytes(scene.package + L"\\pkg.wlx", "newer plugin");
    {
        ChangeLogHeld held;
        REQUIRE(held.Holds());
        REQUIRE(InstCopyFiles(info, {}, error));
    }
    CHECK(ReadFileBytes(info.target + L"\\pkg.wlx") == "newer plugin");
    CHECK(error == ChangeLogHeld::Note());
}

TEST_CASE("a copy that fails halfway puts the target back as it was") {
    InstallScene scene(L"copy_fail");
    InstInfo info = CopyJob(scene);
    WriteFileBytes(scene.package + L"\\a.wlx", "new a");
    WriteFileBytes(scene.package + L"\\b.ini", "new b");
    WriteFileBytes(scene.package + L"\\c.txt", "new c");
    CreateDirectoryW((scene.package + L"\\sub").c_str(), nullptr);
    WriteFileBytes(scene.package + L"\\sub\\d.txt", "new d");
    REQUIRE(MakeDirs(info.target));
    WriteFileBytes(info.target + L"\\a.wlx", "old a");
    WriteFileBytes(info.target + L"\\c.txt", "old c");
    // The one file that cannot be replaced, as while TC holds it open, is listed last.
    std::vector<std::wstring> order;
    ForEachDirItem(scene.package, [&](const DirItem& item) { return order.push_back(item.name), true; });
    std::wstring locked = info.target + L"\\" + (order.back() == L"sub" ? L"sub\\d.txt" : order.back());
    MakeDirs(PathDir(locked));
    WriteFileBytes(locked, "locked");
    HANDLE held = CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);

    std::wstring error;
    CHECK_FALSE(InstCopyFiles(info, {}, error));
    CHECK(error.find(FillVar(Tr("in_failed"), L"p", L"pkg")) == 0);
    CHECK_MESSAGE(error.find(L"Could not copy") != std::wstring::npos, error);
    CHECK(error.find(L"Could not restore") == std::wstring::npos);
    CHECK(ReadFileBytes(info.target + L"\\a.wlx") == "old a");
    CHECK(ReadFileBytes(info.target + L"\\c.txt") == "old c");
    CloseHandle(held);
    CHECK(ReadFileBytes(locked) == "locked");
    for (const wchar_t* added : {L"\\b.ini", L"\\sub\\d.txt"})
        if (info.target + added != locked) CHECK_FALSE(FileExists(info.target + added));
}

TEST_CASE("a package tree is copied within its limits, and never into itself") {
    InstallScene scene(L"copy_limits");
    InstInfo info = CopyJob(scene);
    info.target = scene.package + L"\\deploy";
    std::wstring deep = scene.package;
    for (int level = 1; level <= 5; ++level) {
        deep += L"\\d" + std::to_wstring(level);
        CreateDirectoryW(deep.c_str(), nullptr);
        WriteFileBytes(deep + L"\\f.txt", "x");
    }
    std::wstring error;
    REQUIRE(InstCopyFiles(info, {}, error));
    CHECK(FileExists(info.target + L"\\d1\\d2\\d3\\d4\\f.txt"));
    CHECK_FALSE(FileExists(info.target + L"\\d1\\d2\\d3\\d4\\d5\\f.txt"));
    REQUIRE(InstCopyFiles(info, {}, error));
    CHECK_FALSE(FileExists(info.target + L"\\deploy\\d1\\f.txt"));

    for (int i = 0; i < 2000; ++i) WriteFileBytes(scene.package + L"\\d1\\n" + std::to_wstring(i), "");
    info.target = scene.tc + L"\\plugins\\big";
    CHECK_FALSE(InstCopyFiles(info, {}, error));
    CHECK(error.find(FillVar(Tr("in_err_big"), L"d", scene.package)) != std::wstring::npos);
    CHECK(GetFileAttributesW(info.target.c_str()) == INVALID_FILE_ATTRIBUTES);
}

TEST_CASE("into a general folder an update copies only the plugin's own files, and asks before replacing") {
    InstallScene scene(L"copy_general");
    InstInfo info = CopyJob(scene);
    info.target = scene.tc + L"\\plugins\\wlx";
    info.files = {{scene.package + L"\\pkg.wlx", 0x14c}, {scene.package + L"\\pkg.wlx64", 0x8664}};
    for (const wchar_t* name : {L"pkg.wlx", L"pkg.wlx64", L"pkg.ini", L"pkg.chm", L"readme.txt", L"pluginst.inf"})
        WriteFileBytes(scene.package + L"\\" + name, "new");
    CreateDirectoryW((scene.package + L"\\lang").c_str(), nullptr);
    WriteFileBytes(scene.package + L"\\lang\\pkg.lng", "new");
    REQUIRE(MakeDirs(info.target));
    for (const wchar_t* name : {L"pkg.wlx", L"pkg.ini", L"readme.txt"}) WriteFileBytes(info.target + L"\\" + name, "old");

    CHECK(SharedFilesToReplace(info) == std::vector<std::wstring>{L"pkg.ini"});
    std::wstring error;
    REQUIRE(InstCopyFiles(info, {L"pkg.ini"}, error));
    CHECK(ReadFileBytes(info.target + L"\\pkg.wlx") == "new");
    CHECK(ReadFileBytes(info.target + L"\\pkg.wlx64") == "new");
    CHECK(ReadFileBytes(info.target + L"\\pkg.chm") == "new");
    CHECK(ReadFileBytes(info.target + L"\\pkg.ini") == "old");
    CHECK(ReadFileBytes(info.target + L"\\readme.txt") == "old");
    CHECK_FALSE(FileExists(info.target + L"\\pluginst.inf"));
    CHECK_FALSE(FileExists(info.target + L"\\lang\\pkg.lng"));
    REQUIRE(InstCopyFiles(info, {}, error));
    CHECK(ReadFileBytes(info.target + L"\\pkg.ini") == "new");

    // TC's own folder, spelled with a dot, is as general as its plugins folders.
    info.target = scene.tc + L"\\plugins\\..";
    CHECK(SharedFilesToReplace(info).empty());
    REQUIRE(InstCopyFiles(info, {}, error));
    CHECK_FALSE(FileExists(scene.tc + L"\\readme.txt"));
    CHECK(FileExists(scene.tc + L"\\pkg.wlx64"));
}
