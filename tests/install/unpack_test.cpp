// The /unpack child against TC's real archive libraries, on archives made by the
// real tools (and patched where no tool writes the fault): every refusal gives its
// exact line and exit code and writes nothing outside the target; valid archives
// unpack byte for byte.
#include <doctest/doctest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/encoding.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "install/unpack.h"
#include "install/unpack_child.h"
#include "probe/child_run.h"
#include "support/test_support.h"

namespace {

// Started as "--kv-unpack-zip <archive> <target>", the test program runs the zip
// reader alone, without looking for TC: the library lookup meets exactly the
// COMMANDER_PATH it was given.
void UnpackTestChild() {
    std::vector<std::wstring> args = ProgramArgs();
    if (args.size() >= 4 && args[1] == L"--kv-unpack-zip") ExitProcess(UnpackZip(args[2], args[3]));
}
const int unpackTestChild = (UnpackTestChild(), 0);

std::wstring Archive(const std::wstring& name) { return BuildPath(L"tests\\install\\archives\\" + name); }
std::wstring ProgramExe() { return BuildPath(L"bin\\Kestrovane.exe"); }

// A TC folder as TC's own: its program and the three archive libraries.
std::wstring MakeTcFolder(const std::wstring& name, bool withLibraries = true) {
    std::wstring tc = FreshTempDir(name);
    CopyFileW(BuildPath(L"fakes\\tc\\TOTALCMD64.exe").c_str(), PathJoin(tc, L"TOTALCMD64.EXE").c_str(), FALSE);
    if (withLibraries)
        for (const wchar_t* dll : {L"LIBDEFLATE64.DLL", L"UNRAR64.DLL", L"TC7Z64.DLL"})
            CopyFileW(BuildPath(std::wstring(L"archive-libs\\") + dll).c_str(), PathJoin(tc, dll).c_str(), FALSE);
    return tc;
}

const std::wstring& TcFolder() {
    static const std::wstring tc = MakeTcFolder(L"unpack_tc");
    return tc;
}

ChildRun Unpack(const std::wstring& archive, const std::wstring& target, const std::wstring& tc = TcFolder(),
                const std::wstring& exe = ProgramExe(), const wchar_t* mode = L"/unpack") {
    ScopedEnv path(L"COMMANDER_PATH", tc.empty() ? nullptr : tc.c_str());
    ChildRun run;
    RunChildCapture(run, {mode, archive, target}, L"", 120000, exe);
    // Every case expects the child's answer; a start that failed must not pass for a refusal.
    CHECK_MESSAGE(run.started == 1, StrToUtf8(run.failedCall) << " failed, error " << run.startError);
    return run;
}

std::vector<std::wstring> Names(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    FindHandle list(FindFirstFileW(PathJoin(folder, L"*").c_str(), &found));
    if (list) do {
            if (wcscmp(found.cFileName, L".") && wcscmp(found.cFileName, L"..")) names.push_back(found.cFileName);
        } while (FindNextFileW(list.Get(), &found));
    return names;
}

// Every file and folder of a tree, with the bytes of the files, as one text.
std::string Listing(const std::wstring& folder, const std::wstring& prefix = L"") {
    std::string text;
    for (const std::wstring& name : Names(folder)) {
        std::wstring full = PathJoin(folder, name), rel = prefix + name;
        if (GetFileAttributesW(full.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            text += StrToUtf8(rel) + "\\\n" + Listing(full, rel + L"\\");
        else
            text += StrToUtf8(rel) + " = " + ReadFileBytes(full) + "\n";
    }
    return text;
}

size_t CountFiles(const std::wstring& folder) {
    size_t n = 0;
    for (const std::wstring& name : Names(folder)) {
        std::wstring full = PathJoin(folder, name);
        n += (GetFileAttributesW(full.c_str()) & FILE_ATTRIBUTE_DIRECTORY) ? CountFiles(full) : 1;
    }
    return n;
}

// What the parent shows for the child's line, in English.
std::string Message(const std::string& output) {
    static const bool english = (SettingsValues[L"General/Language"] = L"eng", InitLanguage(std::nullopt), true);
    (void)english;
    return StrToUtf8(ArchiveErrorText(output.substr(0, output.find('\n'))));
}

std::string ErrLine(const char* word, const std::wstring& detail) {
    return std::string("ERR ") + word + "\t" + StrToUtf8(detail) + "\n";
}

struct Refusal {
    const wchar_t* archive;
    const char* word;
    const wchar_t* detail;  // null: the archive's path
    int exitCode;
    const wchar_t* message;  // what the parent shows
};

}  // namespace

TEST_CASE("valid zip, rar and 7z archives unpack byte for byte as the tools packed them") {
    std::string tree = Listing(Archive(L"tree"));
    REQUIRE(tree.find("cache\\\n") != std::string::npos);
    for (const wchar_t* name : {L"valid.zip", L"valid.rar", L"valid.7z"}) {
        CAPTURE(std::wstring(name));
        std::wstring target = PathJoin(FreshTempDir(L"unpack_valid"), L"new\\t");
        ChildRun run = Unpack(Archive(name), target);
        CHECK(run.output == "OK 5\n");
        CHECK(run.exitCode == 0);
        CHECK(Listing(target) == tree);
    }
}

TEST_CASE("names: UTF-8 and OEM-coded zip names, Unicode rar and 7z names, ./ pieces and a bare slash") {
    std::wstring dir = FreshTempDir(L"unpack_names");
    ChildRun run = Unpack(Archive(L"names.zip"), PathJoin(dir, L"zip"));
    CHECK(run.output == "OK 3\n");
    CHECK(ReadFileBytes(PathJoin(dir, L"zip\\\u00dcbersicht\\na\u00efve \u2013 \u2603.txt")) == "unicode");
    CHECK(ReadFileBytes(PathJoin(dir, L"zip\\\u00c4oem.txt")) == "oem");  // 8E in the OEM code pages 437 and 850
    CHECK(ReadFileBytes(PathJoin(dir, L"zip\\dot\\start.txt")) == "dot");
    for (const wchar_t* name : {L"names.rar", L"names.7z"}) {
        std::wstring target = PathJoin(dir, name);
        CHECK(Unpack(Archive(name), target).output == "OK 2\n");
        CHECK(ReadFileBytes(PathJoin(target, L"\u00dcbersicht\\na\u00efve \u2013 \u2603.txt")) == "unicode");
    }
}

TEST_CASE("hostile and damaged archives: the exact line, exit code and message, nothing outside the target") {
    const Refusal cases[] = {
        {L"zip_dotdot.zip", "unsafe", L"../evil.txt", 6, L"Unsafe path in the archive, refused: ../evil.txt"},
        {L"zip_dotdot_back.zip", "unsafe", L"a\\..\\..\\evil.txt", 6, nullptr},
        {L"zip_absolute.zip", "unsafe", L"/evil.txt", 6, nullptr},
        {L"zip_drive.zip", "unsafe", L"C:evil.txt", 6, nullptr},
        {L"zip_unc.zip", "unsafe", L"\\\\server\\share\\evil.txt", 6, nullptr},
        {L"zip_device.zip", "unsafe", L"docs/CON.txt", 6, nullptr},
        {L"zip_device_plain.zip", "unsafe", L"aux", 6, nullptr},
        {L"zip_superscript.zip", "unsafe", L"x/COM\u00b9.log", 6, nullptr},
        {L"zip_dotfolder.zip", "unsafe", L"a/./..", 6, nullptr},
        // A name cannot split the answer line or its fields.
        {L"zip_newline.zip", "unsafe", L"a?b?c.txt", 6, L"Unsafe path in the archive, refused: a?b?c.txt"},
        {L"zip_control.zip", "unsafe", L"bad?name.txt", 6, nullptr},
        {L"zip_link.zip", "link", L"link", 6, L"Links in the archive are not unpacked: link"},
        {L"zip_link_tool.zip", "link", L"real_link", 6, nullptr},
        {L"zip_crypt.zip", "crypt", L"pluginst.inf", 6, L"Encrypted entries are not unpacked: pluginst.inf"},
        {L"zip_aes.zip", "crypt", L"aes.bin", 6, nullptr},
        {L"zip_bzip2.zip", "method", L"12\tpacked.bz", 6,
         L"Pack method 12 is not supported (only stored and deflate): packed.bz"},
        {L"zip_bomb.zip", "big", nullptr, 6, L"The archive is too big or has too many entries."},
        {L"zip_lying_small.zip", "bad", L"short.bin", 5, L"Archive damaged or unreadable: short.bin"},
        {L"zip_crc.zip", "crc", L"second.txt", 5, L"Checksum wrong \u2013 archive damaged: second.txt"},
        {L"zip_truncated.zip", "bad", nullptr, 5, nullptr},
        {L"zip_broken_directory.zip", "bad", nullptr, 5, nullptr},
        {L"zip_comment_far.zip", "bad", nullptr, 5, nullptr},
        {L"zip_many.zip", "bad", nullptr, 5, nullptr},
        {L"zip_zip64.zip", "zip64", nullptr, 5, L"ZIP64 archives are not supported."},
        {L"rar_dotdot.rar", "unsafe", L"..\\evil.tx", 6, nullptr},
        {L"rar_absolute.rar", "unsafe", L"\\evil.txt_", 6, nullptr},
        {L"rar_device.rar", "unsafe", L"aux.", 6, nullptr},
        {L"rar_newline.rar", "unsafe", L"a?b.txt", 6, nullptr},
        {L"rar_link.rar", "link", L"link", 6, nullptr},
        {L"rar_crypt.rar", "crypt", L"pluginst.inf", 6, nullptr},
        {L"rar_crypt_headers.rar", "crypt", nullptr, 5, nullptr},
        {L"rar_crc.rar", "crc", L"crc.txt", 5, nullptr},
        {L"rar_truncated.rar", "crc", L"lang\\de\\texts.lng", 5, nullptr},
        {L"rar_big.rar", "big", nullptr, 6, nullptr},
        {L"7z_dotdot.7z", "unsafe", L"..\\evil.tx", 6, nullptr},
        {L"7z_absolute.7z", "unsafe", L"C:\\evil.tx", 6, nullptr},
        {L"7z_device.7z", "unsafe", L"aux.", 6, nullptr},
        {L"7z_noname.7z", "unsafe", L"?", 6, nullptr},
        {L"7z_link.7z", "link", L"link", 6, nullptr},
        {L"7z_crypt.7z", "crypt", L"pluginst.inf", 6, nullptr},
        {L"7z_crypt_headers.7z", "crypt", nullptr, 5, nullptr},
        {L"7z_crc.7z", "crc", L"crc.txt", 5, nullptr},
        {L"7z_method.7z", "method", L"7z\tok.txt", 6,
         L"Pack method 7z is not supported (only stored and deflate): ok.txt"},
        {L"7z_truncated.7z", "bad", nullptr, 5, nullptr},
        {L"7z_big.7z", "big", nullptr, 6, nullptr},
        {L"7z_many.7z", "big", nullptr, 6, nullptr},
        {L"not_archive.txt", "unknown", nullptr, 2, L"This is not a ZIP, RAR or 7z archive."},
        {L"tiny.bin", "unknown", nullptr, 2, nullptr},
        {L"missing.zip", "unknown", nullptr, 2, nullptr},
    };
    for (const Refusal& c : cases) {
        CAPTURE(std::wstring(c.archive));
        std::wstring dir = FreshTempDir(L"unpack_refused"), target = PathJoin(dir, L"t");
        std::wstring archive = Archive(c.archive);
        ChildRun run = Unpack(archive, target);
        CHECK(run.output == ErrLine(c.word, c.detail ? c.detail : archive));
        CHECK(run.exitCode == static_cast<uint32_t>(c.exitCode));
        CHECK(Names(dir) == std::vector<std::wstring>{L"t"});
        if (c.message) CHECK(Message(run.output) == StrToUtf8(c.message));
    }
}

TEST_CASE("a refusal names the archive entry as it is, also when the name looks like a placeholder") {
    CHECK(ArchiveErrorText("ERR method\t12\ta{n}b.txt") ==
          L"Pack method 12 is not supported (only stored and deflate): a{n}b.txt");
    CHECK(ArchiveErrorText("ERR method\t{f}{f}\t{n}{n}") ==
          L"Pack method {f}{f} is not supported (only stored and deflate): {n}{n}");
    CHECK(ArchiveErrorText("ERR crc\t{f}") == FillVar(Tr("ar_crc"), L"f", L"{f}"));
}

TEST_CASE("limits: 10000 entries unpack, 10001 do not; rar stops at the 10001st header") {
    std::wstring dir = FreshTempDir(L"unpack_limits");
    ChildRun run = Unpack(Archive(L"zip_limit.zip"), PathJoin(dir, L"zip"));
    CHECK(run.output == "OK 10000\n");
    CHECK(CountFiles(PathJoin(dir, L"zip")) == 10000);
    // 100 folders and 9900 files are 10000 headers.
    run = Unpack(Archive(L"rar_limit.rar"), PathJoin(dir, L"rar"));
    CHECK(run.output == "OK 9900\n");
    run = Unpack(Archive(L"rar_many.rar"), PathJoin(dir, L"rar_many"));
    CHECK(run.output == "ERR big\t" + StrToUtf8(Archive(L"rar_many.rar")) + "\n");
    CHECK(run.exitCode == 6);
    // rar stores a folder after its files: the 10001st header is the last folder's, all files came before.
    CHECK(CountFiles(PathJoin(dir, L"rar_many")) == 9901);
}

TEST_CASE("empty archives and archives of folders only give OK 0 and make the folders") {
    std::wstring dir = FreshTempDir(L"unpack_empty");
    for (const wchar_t* name : {L"zip_empty.zip", L"7z_empty.7z"})
        CHECK(Unpack(Archive(name), PathJoin(dir, name)).output == "OK 0\n");
    for (const wchar_t* name : {L"zip_folders.zip", L"rar_folders.rar", L"7z_folders.7z"}) {
        CHECK(Unpack(Archive(name), PathJoin(dir, name)).output == "OK 0\n");
        CHECK(Listing(PathJoin(dir, name)) == "docs\\\ndocs\\deep\\\n");
    }
    CHECK(Unpack(Archive(L"zip_comment.zip"), PathJoin(dir, L"comment")).output == "OK 1\n");
}

TEST_CASE("TC's folder and libraries: missing, unloadable, without the functions or the 7z object") {
    std::wstring dir = FreshTempDir(L"unpack_tc_faults");
    std::wstring zip = Archive(L"valid.zip"), target = PathJoin(dir, L"t");

    std::wstring bare = MakeTcFolder(L"unpack_tc_bare", false);
    ChildRun run = Unpack(zip, target, bare);
    CHECK(run.output == ErrLine("nodll", PathJoin(bare, L"LIBDEFLATE64.DLL")));
    CHECK(run.exitCode == 3);
    CHECK(Message(run.output) == StrToUtf8(L"Not found: " + PathJoin(bare, L"LIBDEFLATE64.DLL")));

    WriteFileBytes(PathJoin(bare, L"LIBDEFLATE64.DLL"), "not a library");
    run = Unpack(zip, target, bare);
    std::string prefix = "ERR noload\t";
    REQUIRE(run.output.compare(0, prefix.size(), prefix) == 0);
    size_t tab = run.output.find('\t', prefix.size());
    REQUIRE(tab != std::string::npos);
    std::string number = run.output.substr(prefix.size(), tab - prefix.size());
    CHECK(number.find_first_not_of("0123456789") == std::string::npos);
    CHECK(run.output.substr(tab + 1) == StrToUtf8(PathJoin(bare, L"LIBDEFLATE64.DLL")) + "\n");
    CHECK(Message(run.output) == StrToUtf8(PathJoin(bare, L"LIBDEFLATE64.DLL") + L" cannot be loaded (Windows error " +
                                           Utf8ToWide(number) + L")."));

    // Real libraries of the wrong kind under the expected names.
    std::wstring swapped = MakeTcFolder(L"unpack_tc_swapped");
    CopyFileW(PathJoin(swapped, L"UNRAR64.DLL").c_str(), PathJoin(swapped, L"LIBDEFLATE64.DLL").c_str(), FALSE);
    CopyFileW(BuildPath(L"tests\\install\\fake7z.dll").c_str(), PathJoin(swapped, L"TC7Z64.DLL").c_str(), FALSE);
    CopyFileW(PathJoin(TcFolder(), L"LIBDEFLATE64.DLL").c_str(), PathJoin(swapped, L"UNRAR64.DLL").c_str(), FALSE);
    CHECK(Unpack(zip, target, swapped).output == ErrLine("nofn", PathJoin(swapped, L"LIBDEFLATE64.DLL")));
    CHECK(Unpack(Archive(L"valid.rar"), target, swapped).output == ErrLine("nofn", PathJoin(swapped, L"UNRAR64.DLL")));
    run = Unpack(Archive(L"valid.7z"), target, swapped);
    CHECK(run.output == "ERR noobj\t0x80004005\t" + StrToUtf8(PathJoin(swapped, L"TC7Z64.DLL")) + "\n");
    CHECK(run.exitCode == 3);
    CHECK(Message(run.output) ==
          StrToUtf8(PathJoin(swapped, L"TC7Z64.DLL") + L" does not provide a 7z archive object (code 0x80004005)."));

    // No TC folder at all; the reader runs without the discovery, which could meet another test's TC.
    run = Unpack(zip, target, L"", BuildPath(L"tests\\install\\test_unpack.exe"), L"--kv-unpack-zip");
    CHECK(run.output == "ERR notc\t\n");
    CHECK(run.exitCode == 3);
}

TEST_CASE("a target that cannot be made is reported before the archive is looked at") {
    std::wstring dir = FreshTempDir(L"unpack_target");
    WriteFileBytes(PathJoin(dir, L"file"), "x");
    std::wstring target = PathJoin(dir, L"file\\t");
    ChildRun run = Unpack(Archive(L"missing.zip"), target);
    CHECK(run.output == ErrLine("write", target));
    CHECK(run.exitCode == 7);
}

TEST_CASE("an entry nested past any path length gives the write error, not a crash read as damage") {
    std::wstring rel;
    for (int level = 0; level < 16000; ++level) rel += L"a\\";
    rel += L"f.txt";
    ChildRun run = Unpack(Archive(L"zip_deep.zip"), PathJoin(FreshTempDir(L"unpack_deep"), L"t"));
    // Compared as flags: the lines are too long to read in a report.
    bool writeLine = run.output == ErrLine("write", rel);
    CHECK_MESSAGE(writeLine, run.output.substr(0, 60));
    CHECK(run.exitCode == 7);
    // The message shows the name's start and end, not 32,000 characters.
    bool writeMessage = Message(run.output) ==
                        StrToUtf8(L"Could not write: " + rel.substr(0, 120) + L"\u2026" + rel.substr(rel.size() - 120));
    CHECK(writeMessage);
}

TEST_CASE("the child keeps the TC folder it was given even while another TC runs") {
    std::wstring other = MakeTcFolder(L"unpack_other_tc", false);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = Quote(PathJoin(other, L"TOTALCMD64.EXE"));
    REQUIRE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, other.c_str(), &si, &pi));
    KernelHandle process(pi.hProcess), thread(pi.hThread);
    // Without its window the case would pass with no other TC running.
    bool shown = false;
    for (int i = 0; i < 600 && !(shown = FindWindowW(L"TTOTAL_CMD", nullptr) != nullptr); ++i) Sleep(50);
    REQUIRE(shown);
    ChildRun run = Unpack(Archive(L"valid.zip"), PathJoin(FreshTempDir(L"unpack_given_tc"), L"t"));
    TerminateProcess(pi.hProcess, 0);
    CHECK(run.output == "OK 5\n");
}
