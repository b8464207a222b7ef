#include "install_fixture.h"

#include "hostcfg/tc_discovery.h"

namespace {

std::wstring SceneRoot(const wchar_t* name) { return FreshTempDir(name); }

}  // namespace

InstallScene::InstallScene(const wchar_t* name)
    : dir(SceneRoot(name)), tc(dir + L"\\tc"), ini(tc + L"\\wincmd.ini"), package(dir + L"\\package"),
      commanderPath(L"COMMANDER_PATH", (dir + L"\\tc").c_str()) {
    UseTestSettings();
    // Plugins are asked for real here, on a machine that may be busy: no answer is
    // to be lost to the short limit of the probe tests.
    SettingsValues[L"Probe/Timeout"] = L"30";
    ApplyDiagSettings();
    CreateDirectoryW(tc.c_str(), nullptr);
    CreateDirectoryW(package.c_str(), nullptr);
    WriteIni(L"[Configuration]\r\n");
    WincmdIniPath = ini;
}

InstallScene::~InstallScene() {
    WincmdIniPath.clear();
    RemoveTree(dir);
}

void InstallScene::WriteIni(const std::wstring& text) const {
    WriteFileBytes(ini, "\xFF\xFE" + Utf16Bytes(text));
}

void WritePeStub(const std::wstring& path, uint16_t machine) { WriteFileBytes(path, PeHeaderBytes(machine)); }
