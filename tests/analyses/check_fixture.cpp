#include "check_fixture.h"

#include <windows.h>

#include "../hostcfg/hostcfg_test_util.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"
#include "probe/pe.h"
#include "views/view_texts.h"

namespace {

std::string OwnFakePlugin() {
    return ReadFileBytes(BuildPath(sizeof(void*) == 8 ? L"fakes\\plugins\\lister.wlx64" : L"fakes\\plugins\\lister.wlx"));
}

std::string PluginBytes(uint16_t machine) {
    if (machine == 0) return "not a program";
    std::string own = OwnFakePlugin();
    auto bytes = std::span<const uint8_t>((const uint8_t*)own.data(), own.size());
    if (PeMachineOfBytes(bytes) == machine) return own;
    return BuildPeImage(PeImageSpec{machine, machine != PeMachineX86, {"ListLoad"}});
}

}  // namespace

CheckFixture::CheckFixture(const wchar_t* name)
    : dir(FreshTempDir(name)), commanderPath(L"COMMANDER_PATH", dir.c_str()) {
    UseEnglish();
    CreateDirectoryW((dir + L"\\p").c_str(), nullptr);
    CreateDirectoryW((dir + L"\\files").c_str(), nullptr);
}

CheckFixture::~CheckFixture() {
    WincmdIniPath.clear();
    RemoveTree(dir);
}

void CheckFixture::Ini(const std::wstring& text) {
    WincmdIniPath = dir + L"\\wincmd.ini";
    WriteIniText(WincmdIniPath, text, true);
}

void CheckFixture::Plugin(const std::wstring& file, uint16_t machine) {
    WriteFileBytes(dir + L"\\p\\" + file, PluginBytes(machine));
}

std::wstring CheckFixture::File(const std::wstring& name, const std::string& bytes) {
    std::wstring path = dir + L"\\files\\" + name;
    WriteFileBytes(path, bytes);
    return path;
}

std::vector<LvRow> CheckFixture::Check(const std::wstring& file, bool tc32) {
    PluginSection lister = LoadPluginSection(KindLister);
    return LvComputeRows(lister.entries, DetFileFacts(file), tc32);
}

void UseEnglish() {
    SettingsValues[L"General/Language"] = L"eng";
    InitLanguage();
}

std::wstring RowsText(const std::vector<LvRow>& rows) {
    static const wchar_t* marks[] = {L"→", L"✓", L"✓ 4", L"–"};
    std::wstring out;
    for (const auto& r : rows) {
        out += marks[r.state];
        out += L" ";
        out += r.number < 0 ? r.caption : EntryNumberText(r.number) + L" " + r.name;
        out += L": " + r.reason + L"\n";
    }
    return out;
}
