#include "check_fixture.h"

#include <windows.h>

#include "foundation/settings.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"
#include "probe/pe.h"
#include "views/view_texts.h"

namespace {

// The build's own fake Lister plugin stands for its architecture, a bare image
// for the other one.
std::string PluginBytes(uint16_t machine) {
    std::string own = ReadFileBytes(BuildPath(sizeof(void*) == 8 ? L"fakes\\plugins\\lister.wlx64"
                                                                 : L"fakes\\plugins\\lister.wlx"));
    if (PeMachineOfBytes({(const uint8_t*)own.data(), own.size()}) == machine) return own;
    return BuildPeImage(PeImageSpec{machine, machine != PeMachineX86, {"ListLoad"}});
}

}  // namespace

CheckFixture::CheckFixture(const wchar_t* name, const std::wstring& ini,
                           const std::vector<std::pair<std::wstring, uint16_t>>& plugins)
    : dir(FreshTempDir(name)), commanderPath(L"COMMANDER_PATH", dir.c_str()) {
    UseEnglish();
    CreateDirectoryW((dir + L"\\p").c_str(), nullptr);
    for (const auto& [file, machine] : plugins)
        if (machine) WriteFileBytes(dir + L"\\p\\" + file, PluginBytes(machine));
    WincmdIniPath = dir + L"\\wincmd.ini";
    WriteIniText(WincmdIniPath, ini, true);
}

CheckFixture::~CheckFixture() {
    WincmdIniPath.clear();
    RemoveTree(dir);
}

std::wstring CheckFixture::File(const std::wstring& name, const std::string& bytes) {
    WriteFileBytes(dir + L"\\" + name, bytes);
    return dir + L"\\" + name;
}

std::vector<LvRow> CheckFixture::Check(const std::wstring& name, const std::string& bytes, bool tc32) {
    PluginSection lister = LoadPluginSection(KindLister);
    return LvComputeRows(lister.entries, DetFileFacts(File(name, bytes)), tc32);
}

void UseEnglish() {
    SettingsValues[L"General/Language"] = L"eng";
    InitLanguage();
}

std::wstring RowsText(const std::vector<LvRow>& rows) {
    static const wchar_t* marks[] = {L"→ ", L"✓ ", L"✓ 4 ", L"– "};
    std::wstring out;
    for (const auto& r : rows)
        out += marks[r.state] + (r.number < 0 ? r.caption : EntryNumberText(r.number) + L" " + r.name) + L": " +
               r.reason + L"\n";
    return out;
}
