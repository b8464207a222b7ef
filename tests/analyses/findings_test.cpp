#include <windows.h>

#include "../hostcfg/hostcfg_test_util.h"
#include "analyses/findings.h"
#include "foundation/data_folder.h"
#include "foundation/env.h"
#include "foundation/ini.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "probe/pe.h"

namespace {

// A TC folder whose wincmd.ini (UTF-16) is in use, with plugin files and probe results.
struct FindingsFixture : TcIniDir {
    ScopedEnv commanderPath{L"COMMANDER_PATH", dir.c_str()};

    explicit FindingsFixture(const std::wstring& text) : TcIniDir(L"findings") {
        SettingsValues[L"General/Language"] = L"eng";
        InitLanguage();
        ProbeCache.clear();
        AckSet.clear();
        ShowAcked = 0;
        FieldUsageIndex.built = false;
        InvalidateDiskScan();
        WriteIniText(ini, text, true);
    }
    // A 64-bit plugin file (32-bit with machine x86) at a path below the folder.
    void Plugin(const std::wstring& rel, uint16_t machine = PeMachineX64) {
        std::wstring path = *this / rel;
        for (size_t sep = path.find(L'\\', dir.size() + 1); sep != std::wstring::npos; sep = path.find(L'\\', sep + 1))
            CreateDirectoryW(path.substr(0, sep).c_str(), nullptr);
        WriteFileBytes(path, BuildPeImage(PeImageSpec{machine, machine != PeMachineX86, {"ListLoad"}}));
    }
    void Probe(int kind, const std::wstring& rel, int status, const std::wstring& answer = L"", int mask = -1,
               const std::wstring& error = L"") {
        ProbeResult r;
        r.status = status;
        r.answer = answer;
        r.kindMask = mask;
        r.errorText = error;
        ProbeCache[MakeKindKey(kind, *this / rel)] = r;
    }
};

// One line per finding: severity/fix, the key (kind, place, finding, extra) and the list texts.
std::wstring Summary() {
    std::wstring out;
    std::wstring root = StrLower(EnvGet(L"COMMANDER_PATH"));
    for (const auto& f : Findings) {
        std::wstring key = f.ackKey;
        for (size_t at; (at = key.find(root)) != std::wstring::npos;) key.replace(at, root.size(), L"~");
        out += std::to_wstring(f.severity) + L"/" + std::to_wstring(f.fix) + (f.acked ? L" acked " : L" ") + key +
               L"  [" + f.name + L"] " + f.text + L"\n";
    }
    return out;
}

}  // namespace

TEST_CASE("findings of the Lister, Content and Packer sections, each with its severity, fix and key") {
    auto detectOfLength = [](size_t n) { return L"EXT=\"" + std::wstring(n - 6, L'A') + L"\""; };
    std::wstring tooLong = detectOfLength(1999), longest = detectOfLength(1998);
    FindingsFixture f(
        L"[Lister]\r\nModeByfileType=1\r\nNoPluginFileTypes=*.cr\r\n"
        L"[ListerModes]\r\n0exts=*.md\r\n0fields=ghost.wlx crash.wlx\r\n2exts=*.log\r\n2fields=3\r\n"
        L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\p\\gone.wlx\r\n1_detect=\"" + tooLong + L"\"\r\n"
        L"2=%COMMANDER_PATH%\\p\\long.wlx\r\n2_detect=\"" + tooLong + L"\"\r\n"
        L"3=%COMMANDER_PATH%\\p\\old32.wlx\r\n3_detect=\"EXT=\"OLD\"\"\r\n"
        L"4=%COMMANDER_PATH%\\p\\crash.wlx\r\n4_detect=\"EXT=\"CR\"\"\r\n"
        L"5=%COMMANDER_PATH%\\p\\init.wlx\r\n5_detect=\"EXT=\"MD\" | EXT=\"PNG\"\"\r\n"
        L"6=%COMMANDER_PATH%\\p\\more.wlx\r\n6_detect=\"EXT=\"A\" | EXT=\"B\"\"\r\n"
        L"6=%COMMANDER_PATH%\\p\\shadow.wlx\r\n"
        L"7=%COMMANDER_PATH%\\p\\neg.wlx\r\n7_detect=\"!(EXT=\"A\" | EXT=\"B\")\"\r\n"
        L"8=%COMMANDER_PATH%\\p\\noexp.wlx\r\n"
        L"9=%COMMANDER_PATH%\\p\\asks.wlx\r\n"
        L"10=%COMMANDER_PATH%\\p\\wcx\\odd.wlx\r\n10_detect=\"EXT=\"ODD\"\"\r\n"
        L"11=%COMMANDER_PATH%\\p\\MORE.wlx\r\n11_detect=\"EXT=JPG\"\r\n"
        L"12=%COMMANDER_PATH%\\p\\fit.wlx\r\n12_detect=\"" + longest + L"\"\r\n"
        L"[ContentPlugins]\r\n1=%COMMANDER_PATH%\\p\\fields.wdx\r\n"
        L"[RenameTemplates]\r\n1=[=ghostfields.Title] [=fields.Size]\r\n"
        L"[PackerPlugins]\r\nRedirectSection=pk.ini\r\nleftover=1,%COMMANDER_PATH%\\p\\x.wcx\r\n");
    WriteIniText(f / L"pk.ini", L"[PackerPlugins]\r\nzip=279,%COMMANDER_PATH%\\p\\pk.wcx\r\n"
                                L"7z=283,%COMMANDER_PATH%\\p\\pk.wcx\r\n", true);
    for (const wchar_t* p : {L"long", L"crash", L"init", L"more", L"neg", L"noexp", L"asks", L"wcx\\odd", L"fit"})
        f.Plugin(std::wstring(L"p\\") + p + L".wlx64");
    f.Plugin(L"p\\old32.wlx", PeMachineX86);
    f.Plugin(L"p\\fields.wdx64");
    f.Plugin(L"p\\pk.wcx64");
    f.Probe(0, L"p\\long.wlx", ProbeOk, tooLong, 1);
    f.Probe(0, L"p\\fit.wlx", ProbeOk, longest, 1);
    f.Probe(0, L"p\\old32.wlx", Probe32Bit);
    f.Probe(0, L"p\\crash.wlx", ProbeError, L"", 1, L"LOADFAIL 126");
    f.Probe(0, L"p\\init.wlx", ProbeError, L"", 1, L"LOADFAIL 1114");
    f.Probe(0, L"p\\more.wlx", ProbeOk, L"EXT=\"B\" | EXT=\"C\"", 1);
    f.Probe(0, L"p\\neg.wlx", ProbeOk, L"EXT=\"B\" | EXT=\"C\"", 1);
    f.Probe(0, L"p\\noexp.wlx", ProbeNoExport, L"", 1);
    f.Probe(0, L"p\\asks.wlx", ProbeOk, L"EXT=\"X\"", 1);
    f.Probe(0, L"p\\wcx\\odd.wlx", ProbeOk, L"EXT=\"ODD\"", 1);
    f.Probe(1, L"p\\fields.wdx", ProbeOk, L"", 2);
    f.Probe(2, L"p\\pk.wcx", ProbeOk, L"283", 4);
    BuildFindings();
    CHECK(Summary() ==
          L"1/5 l|listermodes|modegap|1  [[ListerModes]] [ListerModes]: entry 1 is empty – TC stops reading there, "
          L"1 rule(s) after it do not work\n"
          L"1/0 l|listermodes|ghost.wlx|modeplugin|*.md  [ghost.wlx] rule points to the wrong plugin: *.md → ghost.wlx\n"
          L"1/1 l|~\\p\\gone.wlx|missing  [gone] plugin file missing\n"
          L"1/1 l|~\\p\\long.wlx|toolong  [long] detect string too long (2001 characters) – TC cuts it\n"
          L"1/0 l|~\\p\\crash.wlx|err  [crash] plugin does not answer: LOADFAIL 126\n"
          L"1/1 l|~\\p\\more.wlx|unquoted  [MORE] EXT=JPG has no quotes – TC reports a detect string error; "
          L"correct is EXT=\"JPG\"\n"
          L"1/0 l|~\\p\\more.wlx|dupkey|6  [more] 6 appears more than once\n"
          L"1/0 c|usage|ghostfields|unknownfield  [ghostfields] fields of a missing plugin: ghostfields\n"
          L"1/4 p|wincmd.ini|leftover|stray  [leftover] leftover is left over in wincmd.ini\n"
          L"2/3 l|~\\p\\more.wlx|more| +c  [more] plugin can do more: +C\n"
          L"2/3 l|~\\p\\more.wlx|less| −a  [more] assigned, but not reported by the plugin: −A\n"
          L"2/2 p|~\\p\\pk.wcx|caps|zip:279>283  [pk] zip: number 279, plugin reports 283\n"
          L"3/0 l|~\\p\\old32.wlx|32  [old32] 32-bit file only\n"
          L"3/0 l|~\\p\\crash.wlx|over_block|cr  [crash] blocked by TC: CR\n"
          L"3/0 l|~\\p\\init.wlx|over_mode|md → crash  [init] rule in TC: MD → crash\n"
          L"3/1 l|~\\p\\init.wlx|over_internal|png  [init] TC shows it itself: PNG\n"
          L"3/1 l|~\\p\\neg.wlx|except  [neg] wants every file except the excluded extensions – Lister asks this "
          L"plugin for all others\n"
          L"3/0 l|~\\p\\noexp.wlx|noini  [noexp] no assignment\n"
          L"3/3 l|~\\p\\asks.wlx|noini  [asks] no assignment\n"
          L"3/0 l|~\\p\\wcx\\odd.wlx|folder  [odd] Folder wcx does not match the plugin type (Lister)\n"
          L"3/1 l|~\\p\\more.wlx|dup|11  [MORE] the same file is also registered as #6\n"
          L"3/3 c|~\\p\\fields.wdx|noini  [fields] no assignment\n");
    auto find = [](const std::wstring& name, int severity) {
        return *std::find_if(Findings.begin(), Findings.end(),
                             [&](const Finding& x) { return x.name == name && x.severity == severity; });
    };
    CHECK(find(L"noexp", 3).advice == Tr("fda_noini_l0"));
    CHECK(find(L"asks", 3).advice == Tr("fda_noini_l"));
    CHECK(find(L"fields", 3).advice == Tr("fda_noini"));
    CHECK(find(L"pk", 2).display == L"zip");
    CHECK(find(L"pk", 2).explanation.find(L"\r\n\tPlugin: 283  create, modify, delete") != std::wstring::npos);
    CHECK(find(L"leftover", 1).iniValue == L"1,%COMMANDER_PATH%\\p\\x.wcx");
    CHECK(find(L"ghostfields", 1).explanation.ends_with(L"same name).\r\n\trename template [=ghostfields.Title] [=fields.Size]: Title"));
    CHECK(FindingsPartial == 1);  // MORE.wlx is the same file as more.wlx, yet has no result of its own
}
