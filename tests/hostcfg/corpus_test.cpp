#include <doctest/doctest.h>

#include <windows.h>

#include <map>

#include "foundation/encoding.h"
#include "foundation/text.h"
#include "hostcfg/field_usage.h"
#include "hostcfg/lister_settings.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"
#include "hostcfg_test_util.h"
#include "support/test_support.h"

namespace {

// Entries per section, counted by hand from each file: Lister and Content
// numbers with a path, Packer libraries, File-system names. -1: the section is
// redirected to a file that does not exist.
struct CorpusCase {
    const wchar_t* file;
    int lister, content, packer, fs;
    // Files of the same configuration and where its RedirectSection lines put them.
    std::vector<std::pair<const wchar_t*, const wchar_t*>> companions;
};

const CorpusCase Cases[] = {
    {L"001-Equiphract-configs.ini", 0, 0, 0, 0, {}},
    {L"003-IlyaVassyutovich-myrcs.ini", 0, 1, 0, 2, {}},
    {L"005-Must77-dotfile.ini", 0, 0, 0, 0, {}},
    {L"007-YThibos-configs.ini", 0, 0, 0, 0, {}},
    {L"009-a10nik-configs.ini", 0, 0, 0, 0, {}},
    {L"011-arch1en-Configs.ini", 0, 0, 0, 0, {}},
    {L"013-azmikamis-dotfiles.ini", 0, 0, 0, 0, {}},
    {L"015-cviorel-tc.ini", 1, 0, 0, 0, {}},
    {L"017-duzun-TCM.ini", 16, 3, 15, 13, {}},
    {L"019-hhktony-dottotalcmd.ini", 2, 0, 1, 0,
     {{L"019-hhktony-dottotalcmd.Lister.ini", L"User\\Lister.ini"},
      {L"019-hhktony-dottotalcmd.Packer.ini", L"User\\Packer.ini"}}},
    {L"021-illeandrei-AutoHotKey.ini", 0, 0, 0, 0, {}},
    {L"023-knowlix-config.ini", 0, 0, 0, 0, {}},
    {L"025-ladevan-dotfiles.ini", 2, 0, 3, 2, {}},
    {L"027-marjacob-tcmd.ini", 0, 0, 0, 2, {{L"027-marjacob-tcmd.plugins.ini", L"plugins.ini"}}},
    {L"029-milanoid-my-config-files.ini", 0, 0, 0, 0, {}},
    {L"031-old-ma-AppSettings.ini", 0, 0, 2, 2, {}},
    {L"033-priseup-wincmd.ini", 0, 0, 0, 0, {}},
    {L"035-r82-1.ini", 0, 0, 0, 1, {}},
    {L"037-samrain-Total-Commander-config.ini", 0, 0, 1, 0, {}},
    {L"039-stamilselvan-TotalCommanderSettings.ini", 0, 0, 0, 0, {}},
    {L"041-syhan-DotFile.ini", 0, 0, 0, 0, {}},
    {L"043-tillenius-notes.ini", 0, 0, 0, 0, {}},
    {L"045-vuasia-usfa.ini", 0, 0, 0, 7, {}},
    {L"047-wulmer-totalcmd.ini", 1, 0, 1, 2, {}},
    {L"049-zhangxianyi-misc.ini", 0, 0, 0, 2, {}},
    {L"051-DengZuoheng-scripts.ini", 0, 0, 1, 2, {}},
    {L"053-ihnatz-dotfiles.ini", 2, 8, 13, 1, {}},
    {L"055-me10zyl-TCconf.ini", 0, 0, 0, 2, {}},
    {L"057-adminjakubsamek-wp-install-script.ini", 0, 0, 0, 0, {}},
    {L"059-johnnovak-configs.ini", 0, 0, 0, 0, {}},
    {L"061-Mpdreamz-my-boxstarter.ini", 0, 0, 0, 0, {}},
    {L"063-albertdev-dotfiles.ini", 0, 0, -1, -1, {}},
    {L"065-alshain-dotfiles-windows.ini", 0, 0, 0, 1, {}},
    {L"067-igorepst-windowsConfig.ini", 2, 2, 1, 2, {}},
    {L"069-liu0hy-configure.ini", 0, 0, 0, 0, {}},
    {L"071-rexlee8776-save-it.ini", 0, 0, 0, 0, {}},
    {L"073-ztepsic-dotfiles-windows.ini", 0, 0, 0, 0, {}},
    {L"075-waitingsong-blog.ini", 4, 0, 7, 5, {}},
    {L"077-Pathduck-settings.ini", 1, 1, 1, 2, {}},
    {L"079-seasongzhang-ConfigFiles.ini", 6, 4, 5, 7, {}},
    {L"081-vitalya-dev-Configs.ini", 0, 0, 0, 0, {}},
    {L"083-dmitriyK1-configs.ini", 17, 11, 4, 14, {}},
    {L"085-zelor-my_grok.ini", 17, 24, 12, 6, {}},
    {L"087-Haruki-dotfiles.ini", 0, 0, 0, 0, {}},
    {L"089-dtarczynski-dotfiles.ini", 0, 0, 0, 0, {}},
    {L"091-taxusyew-config.ini", 0, 0, 0, 0, {}},
    {L"093-Kochise-win_portable.ini", 2, 2, 0, 6, {}},
};

std::wstring CorpusDir() {
    wchar_t buf[1024];
    DWORD n = GetEnvironmentVariableW(L"KV_TEST_SOURCE", buf, 1024);
    std::wstring dir = L"Z:" + std::wstring(buf, n < 1024 ? n : 0) + L"/../shared/corpus/wincmd";
    for (auto& c : dir)
        if (c == L'/') c = L'\\';
    return dir;
}

std::vector<std::wstring> CorpusFiles(const std::wstring& dir) {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((dir + L"\\*.ini").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return files;
    do files.push_back(d.cFileName);
    while (FindNextFileW(h, &d));
    FindClose(h);
    return files;
}

// The corpus holds UTF-8 text; TC's own files are ANSI or UTF-16 with a mark.
void CopyAs(const std::wstring& from, const std::wstring& to, bool utf16) {
    std::string bytes = ReadFileBytes(from);
    WriteFileBytes(to, utf16 ? "\xFF\xFE" + Utf16Bytes(Utf8ToWide(bytes)) : bytes);
}

}  // namespace

TEST_CASE("every real configuration of the corpus loads with the entries it holds") {
    std::wstring corpus = CorpusDir();
    std::vector<std::wstring> files = CorpusFiles(corpus);
    REQUIRE(!files.empty());
    std::map<std::wstring, const CorpusCase*> byFile;
    for (const auto& c : Cases) {
        byFile[c.file] = &c;
        for (const auto& comp : c.companions) byFile[comp.first] = &c;
    }
    for (const auto& f : files) {
        CAPTURE(f);
        CHECK(byFile.count(f) == 1);
    }

    std::wstring dir = FreshTempDir(L"corpus");
    ScopedEnv commander(L"COMMANDER_PATH", dir.c_str());
    ScopedEnv local(L"LocalAppData", (dir + L"\\nowhere").c_str());
    CreateDirectoryW((dir + L"\\User").c_str(), nullptr);
    WincmdIniPath = dir + L"\\wincmd.ini";
    for (bool utf16 : {false, true}) {
        for (const auto& c : Cases) {
            CAPTURE(c.file);
            CAPTURE(utf16);
            CopyAs(corpus + L"\\" + c.file, WincmdIniPath, utf16);
            for (const auto& [from, to] : c.companions) CopyAs(corpus + L"\\" + from, dir + L"\\" + to, utf16);
            const int expected[] = {c.lister, c.content, c.packer, c.fs};
            for (int kind = 0; kind < 4; ++kind) {
                CAPTURE(kind);
                PluginSection s = LoadPluginSection(kind);
                CHECK((int)s.entries.size() == (expected[kind] < 0 ? 0 : expected[kind]));
                CHECK(s.missing == (expected[kind] < 0));
                for (const auto& e : s.entries) CHECK(!e.path.empty());
            }
            CHECK(TcListerSettings.loaded == 1);
            BuildFieldUsage();
            for (const auto& comp : c.companions) DeleteFileW((dir + L"\\" + comp.second).c_str());
        }
    }
    WincmdIniPath.clear();
    RemoveTree(dir);
}
