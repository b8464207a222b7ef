#include "editing_test_util.h"

#include "foundation/ini.h"
#include "foundation/settings.h"
#include "foundation/texts.h"

std::vector<std::wstring> SaveFixture::Shown;

namespace {

int WINAPI Capture(HWND, LPCWSTR text, LPCWSTR, UINT) {
    SaveFixture::Shown.push_back(text);
    return IDOK;
}

}  // namespace

void ClearOwnSection(const wchar_t* section) {
    WritePrivateProfileStringW(section, nullptr, nullptr, SettingsIniPath().c_str());
}

std::wstring Section(const std::wstring& file, const wchar_t* section) {
    std::wstring out;
    for (const auto& [k, v] : ReadIniSection(file, section)) out += k + L"=" + v + L"\n";
    return out;
}

SaveFixture::SaveFixture(const wchar_t* name, const std::wstring& ini) : tc(name) {
    WriteIniText(tc.ini, ini, false);
    SettingsValues[L"General/Language"] = L"eng";
    InitLanguage(std::nullopt);
    SaveMessageBox = Capture;
    Shown.clear();
    DiscardPending();
    ClearOwnSection(L"Disabled");
}

SaveFixture::~SaveFixture() {
    DiscardPending();
    ClearOwnSection(L"Disabled");
    SaveMessageBox = MessageBoxW;
}

void SaveFixture::Save() {
    SaveReq.confirmed = 1;
    SaveReq.doneText.clear();
    SaveChanges(nullptr);
}

PlugEntry SaveFixture::Entry(int kind, int number) {
    for (const PlugEntry& e : LoadPluginSection(kind).entries)
        if (e.number == number) return e;
    FAIL("no entry " << number);
    return {};
}

std::wstring SaveFixture::Lines(int kind) { return Section(tc.ini, PlugSectionName(kind)); }
