// The Lister-check scenario that the check's tests and its list's tests share.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "../hostcfg/hostcfg_test_util.h"
#include "analyses/lister_check.h"
#include "foundation/labels.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "probe_record/pe.h"

// A TC folder with this wincmd.ini (UTF-16) in use and plugin files p\<name> of these machines.
struct CheckFixture : TcIniDir {
    ScopedEnv commanderPath{L"COMMANDER_PATH", dir.c_str()};

    CheckFixture(const std::wstring& text, const std::vector<std::pair<std::wstring, uint16_t>>& plugins)
        : TcIniDir(L"lvcheck") {
        SettingsValues[L"General/Language"] = L"eng";
        InitLanguage(std::nullopt);
        CreateDirectoryW((*this / L"p").c_str(), nullptr);
        for (const auto& [file, m] : plugins)
            WriteFileBytes(*this / (L"p\\" + file), BuildPeImage(PeImageSpec{m, m != PeMachineX86, {"ListLoad"}}));
        WriteIniText(ini, text, true);
    }
    std::wstring File(const std::wstring& name, const std::string& bytes) {
        WriteFileBytes(*this / name, bytes);
        return *this / name;
    }
    // Checks the file as a 64-bit or 32-bit TC would, on the Lister section as it is now.
    std::vector<LvRow> Check(const std::wstring& name, const std::string& bytes = "x", bool tc32 = false) {
        return LvComputeRows(LoadPluginSection(KindLister), DetFileFacts(File(name, bytes)), tc32);
    }
};

// One line per row: the mark, "#n name" or the caption, ": " and the reason.
inline std::wstring RowsText(const std::vector<LvRow>& rows) {
    static const wchar_t* marks[] = {L"→ ", L"✓ ", L"✓ 4 ", L"– "};
    std::wstring out;
    for (const auto& r : rows)
        out += marks[r.state] + (r.number < 0 ? r.caption : EntryNumberText(r.number) + L" " + r.name) + L": " +
               r.reason + L"\n";
    return out;
}

// The captions of the information rows, then each plugin's state, '*' when a view mode names it.
inline std::wstring Summary(const std::vector<LvRow>& rows) {
    std::wstring out;
    for (const auto& r : rows)
        out += r.state == LvInfo ? r.caption + L"; " : std::to_wstring(r.state) + (r.modeRule ? L"*" : L"");
    return out;
}

// Entries out of number order, a gap in the view-mode rules, both forms of
// [Lister] type lists, and a plugin for every branch of the classification.
struct Scenario : CheckFixture {
    Scenario()
        : CheckFixture(
              L"[Lister]\r\nNoPluginFileTypes=*.blk, *.both\r\nNoMediaFileTypes=both;nomm\r\n"
              L"MediaAdditionalTypes=*.webm|*.png\r\n"
              L"[ListerModes]\r\n0exts=*.md\r\n0fields=every.wlx64 text.wlx\r\n1exts=*.log\r\n1fields=ghost.wlx\r\n"
              L"2exts=*.cfg\r\n2fields=4i\r\n4exts=*.txt\r\n4fields=sized.wlx\r\n"
              L"[ListerPlugins]\r\n8=%COMMANDER_PATH%\\p\\sized.wlx\r\n"
              L"8_detect=\"EXT!=\"LOG\" & EXT=\"TXT\" & SIZE>100 & FINDI(\"HELLO\") & [0]=77\"\r\n"
              L"1=%COMMANDER_PATH%\\p\\text.wlx\r\n1_detect=\"EXT=\"TXT\" | EXT=\"MD\" | EXT=\"LOG\"\"\r\n"
              L"2=%COMMANDER_PATH%\\p\\missing.wlx\r\n2_detect=\"EXT=\"TXT\"\"\r\n"
              L"3=%COMMANDER_PATH%\\p\\old32.wlx\r\n3_detect=\"EXT!=\"DOC\"\"\r\n"
              L"4=%COMMANDER_PATH%\\p\\every.wlx\r\n"
              L"5=%COMMANDER_PATH%\\p\\forced.wlx\r\n5_detect=\"FORCE & EXT=\"TXT\"\"\r\n"
              L"6=%COMMANDER_PATH%\\p\\media.wlx\r\n6_detect=\"MULTIMEDIA & (EXT=\"JPG\" | EXT=\"WEBM\")\"\r\n"
              L"7=%COMMANDER_PATH%\\p\\broken.wlx\r\n7_detect=\"EXT=\"TXT\" &\"\r\n",
              {{L"text.wlx64", PeMachineX64}, {L"every.wlx64", PeMachineX64}, {L"forced.wlx64", PeMachineX64},
               {L"media.wlx64", PeMachineX64}, {L"broken.wlx64", PeMachineX64}, {L"sized.wlx64", PeMachineX64},
               {L"old32.wlx", PeMachineX86}}) {}
};

const std::string kTextHead = "Mxx hello " + std::string(190, 'x');  // 200 bytes

const wchar_t kTxtRows[] =
    L"→ Order: nothing set for this type – TC asks the plugins in this order\n"
    L"→ Key 4 cycle: text → every → forced → broken → sized → text – starts at the first match, skips plugins "
    L"that refuse the file\n"
    L"✓ #1 text: EXT=\"TXT\"\n"
    L"– #2 missing: plugin file missing\n"
    L"– #3 old32: 32-bit only – 64-bit TC cannot load it\n"
    L"✓ #4 every: no detect string – takes every file\n"
    L"✓ 4 #5 forced: only with key 4 (FORCE)\n"
    L"– #6 media: other extensions\n"
    L"✓ #7 broken: spelling error in the detect string – unclear what TC does\n"
    L"✓ #8 sized: EXT=\"TXT\"  ·  SIZE>100  ·  FINDI(\"HELLO\")  …\n";
