// Plugin files without loading them: keys, PE headers and exports, 32/64-bit files, scans.
#include <cstring>

#include "hostcfg/file_presence.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg_test_util.h"
#include "probe_record/pe.h"

namespace {

// Reads the bytes placed at the very end of a readable page followed by one
// that cannot be read, so any read past the data faults the test.
PeInfo Read(const std::string& bytes, uint16_t* machine = nullptr) {
    size_t pages = bytes.size() / 4096 + 2;
    auto* base = (uint8_t*)VirtualAlloc(nullptr, pages * 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    DWORD old;
    VirtualProtect(base + (pages - 1) * 4096, 4096, PAGE_NOACCESS, &old);
    uint8_t* data = base + (pages - 1) * 4096 - bytes.size();
    memcpy(data, bytes.data(), bytes.size());
    PeInfo info;
    ReadPeExportsFromBytes(info, {data, bytes.size()});
    if (machine) *machine = PeMachineOfBytes({data, bytes.size()});
    VirtualFree(base, 0, MEM_RELEASE);
    return info;
}

std::string Dll(uint16_t machine) { return BuildPeImage({machine, machine != PeMachineX86, {}, 0, 0}); }

}  // namespace

TEST_CASE("plugin keys and kinds from names") {
    CHECK((PlugKeyName(L"Foo.wlx64") == L"foo.wlx" && PlugKeyName(L".wlx64") == L".wlx64"));
    CHECK(PlugKey(L"C:\\Plugins\\Foo.wlx64") == PlugKey(L"c:\\other\\foo.wlx"));
    std::wstring word;
    CHECK((PluginKindOfPathParts(L"C:\\TC\\plugins\\wdx64\\x\\x.wdx", word) == 2 && word == L"wdx64"));
    CHECK((PluginKindOfPathParts(L"\\foo.wdx", word) == 0 && PluginKindOfPathParts(L"wlx/foo.wdx", word) == 1));
    CHECK(PluginKindMaskOf({"OpenArchiveW", "FsInit", "listload"}) == 12);  // exact names only
}

TEST_CASE("PE headers and export names read from bytes") {
    PeImageSpec spec;
    spec.exports = {"ListLoadW", "ContentGetValue", "DllMain"};
    uint16_t machine = 0;
    for (uint16_t m : {PeMachineX64, PeMachineX86, PeMachineArm64}) {  // reported as written, never guessed
        spec.machine = m;
        spec.pe32Plus = m != PeMachineX86;
        PeInfo info = Read(BuildPeImage(spec), &machine);
        CHECK((info.valid == 1 && info.machine == m && machine == m && info.timestamp == 0x5F000000u));
        CHECK(info.exports == std::vector<std::string>{"ContentGetValue", "DllMain", "ListLoadW"});
        CHECK(PluginKindMaskOf(info.exports) == 3);
    }
    CHECK((Read("1=C:\\p\\x.wlx\r\n", &machine).valid == 0 && machine == 0));

    // Truncated and hostile images stay inside the data.
    std::string image = BuildPeImage(spec);
    for (size_t len = 0; len <= image.size(); ++len) CHECK((len >= 0x80 + 24 || Read(image.substr(0, len)).valid == 0));
    for (uint32_t lfanew : {0xFFFFFFFFu, 0xFFFFFFF0u, (uint32_t)image.size() - 2}) {
        PutU32(image, 60, lfanew);
        CHECK((Read(image, &machine).valid == 0 && machine == 0));
    }
    spec.nameCount = 0xFFFFFFFF;
    CHECK(Read(BuildPeImage(spec)).exports.size() == 3);
    spec.nameTableRva = 0x80000000u;
    CHECK(Read(BuildPeImage(spec)).exports.empty());
    image = BuildPeImage(PeImageSpec{.exports = {"FsInit"}});
    PutU32(image, 0x80 + 24 + 240 + 20, 0xFFFFFF00);  // section data far beyond the end
    CHECK(Read(image).exports.empty());
    CHECK(Read(BuildPeImage({.exports = {std::string(300, 'L')}})).exports == std::vector{std::string(200, 'L')});
}

TEST_CASE("plugin files on disk") {
    std::wstring dir = FreshTempDir(L"plugfiles");
    auto put = [&](const std::wstring& rel, const std::string& bytes) {
        std::wstring path = dir + L"\\" + rel;
        MakeDirs(PathDir(path));
        WriteFileBytes(path, bytes);
        return path;
    };
    SUBCASE("PE files, and 32-bit and 64-bit files found by their machine") {
        std::wstring x = put(L"x.wlx", Dll(PeMachineX86)), arm = put(L"arm.wlx", Dll(PeMachineArm64));
        put(L"x.wlx64", Dll(PeMachineX64));
        put(L"y64.wlx", Dll(PeMachineX64));
        PeInfo info;
        ReadPeExports(info, put(L"e.wlx", BuildPeImage({.exports = {"A", "B"}})));
        CHECK((PeMachine(arm) == PeMachineArm64 && info.exports.size() == 2));
        ReadPeExports(info, put(L"e.wlx", ""));
        CHECK((PeMachine(dir + L"\\e.wlx") == 0 && info.valid == 0 && PeMachine(dir) == 0));
        bool any = false;
        CHECK((Find64BitPluginFile(x, any) == x + L"64" && Find64BitPluginFile(dir + L"\\y.wlx", any) == dir + L"\\y64.wlx"));
        CHECK((Find32BitPluginFile(x + L"64") == x && Find32BitPluginFile(x) == x));
        for (const auto& other : {arm, put(L"text.wlx", "1=x.wlx")})  // neither x64 nor i386
            CHECK((Find64BitPluginFile(other, any).empty() && any && Find32BitPluginFile(other).empty()));
        CHECK((Find64BitPluginFile(dir + L"\\none.wlx", any).empty() && !any));
    }
    SUBCASE("a plugin in a folder named for another kind, unless its twin of that kind is there") {
        std::wstring foo = put(L"wlx\\Foo\\foo.wdx", "x");
        CHECK((PluginKindOfPath(foo, 0) == 1 && PluginKindOfPath(foo, 1) == 0));
        put(L"wlx\\Foo\\foo.wlx64", "x");
        CHECK((PluginKindOfPath(foo, 0) == 0 && PluginKindOfPath(dir + L"\\wcx\\noext", 2) == 4));
    }
    SUBCASE("scans stay within depth and budget and skip nothing they should count") {
        for (const wchar_t* f : {L"a\\a.wlx64", L"a\\a.wlx", L"a\\b\\c.wcx", L"a\\b\\d\\deep.wfx", L"a\\p.ini"}) put(f, "x");
        put(L"a\\readme.txt", "xyz");
        DiskPlugins.clear();
        int64_t budget = 1000;
        ScanDiskPlugins(dir, 2, budget);
        CHECK((DiskPlugins.size() == 2 && DiskPlugins[FoldCase(dir) + L"\\a\\a.wlx"] == dir + L"\\a\\a.wlx"));
        uint64_t count = 0, total = 0;
        std::vector<std::wstring> plugins, inis, names;
        ScanPluginFilesSized(dir + L"\\a", 1, count, total, plugins, inis);
        CHECK((count == 5 && total == 7 && plugins.size() == 3 && inis == std::vector<std::wstring>{L"p.ini"}));
        ScanFilesByPattern(dir + L"\\a", L"", 3, FoldCase(dir + L"\\a\\b\\d"), names, budget = 100);
        CHECK((names.size() == 5 && std::count(names.begin(), names.end(), L"b\\c.wcx") == 1));
        names.clear();
        ScanFilesByPattern(dir + L"\\a", L"", 3, L"", names, budget = 2);
        CHECK((budget < 0 && names.size() <= 2));
    }
    RemoveTree(dir);
}

TEST_CASE("one fill's view of plugin files agrees with the disk") {
    std::wstring dir = FreshTempDir(L"presence");
    CreateDirectoryW((dir + L"\\Lister").c_str(), nullptr);
    CreateDirectoryW((dir + L"\\Lister\\Both").c_str(), nullptr);
    CreateDirectoryW((dir + L"\\Lister\\Only64").c_str(), nullptr);
    WriteFileBytes(dir + L"\\Lister\\Both\\Both.wlx", "a");
    WriteFileBytes(dir + L"\\Lister\\Both\\Both.wlx64", "bb");
    WriteFileBytes(dir + L"\\Lister\\Only64\\only64.WLX64", "c");
    CreateDirectoryW((dir + L"\\Lister\\Folder.wlx").c_str(), nullptr);
    CreateDirectoryW((dir + L"\\Lister\\ÜBER").c_str(), nullptr);
    WriteFileBytes(dir + L"\\Lister\\ÜBER\\Жук.wlx", "d");
    FilePresence presence;
    struct Case {
        std::wstring path;
        uint8_t bits;
    };
    const Case cases[] = {
        {dir + L"\\lister\\BOTH\\both.wlx", 3},       // letter case does not matter
        {dir + L"\\lister\\über\\жук.WLX", 1},        // in any alphabet
        {dir + L"\\Lister\\Only64\\Only64.wlx", 2},
        {dir + L"\\Lister\\Gone\\Gone.wlx", 0},       // a folder that is not there
        {dir + L"\\Missing\\Deeper\\x.wlx", 0},
        {dir + L"\\Lister\\Folder.wlx", 0},           // a folder is no plugin file
        {dir + L"\\Lister\\.\\Both\\Both.wlx", 3},    // forms that Windows rewrites
        {dir + L"\\Lister\\Both\\..\\Both\\Both.wlx", 3},
    };
    for (const auto& c : cases) {
        CAPTURE(c.path);
        PluginFileSeen seen = SeePluginFiles(presence, c.path);
        CHECK(seen.bits == c.bits);
        CHECK(((seen.bits & 1) != 0) == FileExists(c.path));
        CHECK(((seen.bits & 2) != 0) == FileExists(c.path + L"64"));
    }
    // A folder that may be passed through but not listed (Wine lets root list any
    // folder, so its refused listing is laid into the record as the listing leaves it).
    FilePresence refused;
    refused.folders[FoldCase(dir + L"\\Lister")] = std::nullopt;
    CHECK(SeePluginFiles(refused, dir + L"\\Lister\\Both\\Both.wlx").bits == 3);
    // A listing read to its end answers for the ASCII names it lacks, which every
    // file system folds alike; a lacked name with other letters, which a volume may
    // fold by a table of its own, is asked of the disk. The listing laid in here
    // lacks everything, so only what the disk was asked for is found.
    FilePresence listed;
    listed.folders[FoldCase(dir + L"\\Lister")].emplace();
    CHECK((SeePluginFiles(listed, dir + L"\\Lister\\ÜBER\\Жук.wlx").bits == 1 &&
           SeePluginFiles(listed, dir + L"\\Lister\\Both\\Both.wlx").bits == 0 &&
           SeePluginFiles(listed, dir + L"\\Lister\\Gone\\Gone.wlx").bits == 0));
    FilePresence ahead;
    ahead.folders[FoldCase(dir + L"\\Lister")].emplace();
    SeeFoldersAhead(ahead, {dir + L"\\Lister\\über\\Жук.wlx", dir + L"\\Lister\\Both\\Both.wlx",
                            dir + L"\\Lister\\Gone\\Gone.wlx", dir + L"\\Lister\\Göne\\x.wlx"});
    CHECK(ahead.folderSeen == std::unordered_map<std::wstring, bool>{{FoldCase(dir + L"\\Lister\\über"), true},
                                                                     {FoldCase(dir + L"\\Lister\\Both"), false},
                                                                     {FoldCase(dir + L"\\Lister\\Gone"), false},
                                                                     {FoldCase(dir + L"\\Lister\\Göne"), false}});
    CHECK(SeePluginFiles(ahead, dir + L"\\Lister\\ÜBER\\Жук.wlx").bits == 1);
    // A file that changes gets another stamp.
    auto before = FileSeen(presence, dir + L"\\Lister\\Both\\Both.wlx");
    WriteFileBytes(dir + L"\\Lister\\Both\\Both.wlx", "longer");
    FilePresence next;
    CHECK(FileSeen(next, dir + L"\\Lister\\Both\\Both.wlx") != before);
    RemoveTree(dir);
}
