#include "probe/probe_child.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "probe/child_plugin.h"
#include "probe/child_run.h"

namespace {

using GetTextFn = void(__stdcall*)(char* buffer, int maxLen);
using SetDefaultParamsFn = void(__stdcall*)(PluginDefaultParams* params);
using GetPackerCapsFn = int(__stdcall*)();

constexpr int AnswerBytes = 8192;

struct KindCalls {
    uint32_t versionLow;
    const char* iniFile;
    const char* setParams;  // null: the kind gets no default parameters
};

KindCalls CallsFor(const std::wstring& letter) {
    if (letter == L"C") return {12, "\\contplug.ini", "ContentSetDefaultParams"};
    if (letter == L"P") return {21, "\\pkplugin.ini", "PackSetDefaultParams"};
    if (letter == L"F") return {13, "\\lsplugin.ini", nullptr};
    return {13, "\\lsplugin.ini", "ListSetDefaultParams"};
}

std::string ProbeIniFolder() {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "Kestrovane_probe";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void HandDefaultParams(HMODULE plugin, const KindCalls& calls) {
    if (!calls.setParams) return;
    auto setParams = PluginExport<SetDefaultParamsFn>(plugin, calls.setParams);
    if (!setParams) return;
    PluginDefaultParams params = MakePluginDefaultParams(calls.versionLow, ProbeIniFolder() + calls.iniFile);
    setParams(&params);
}

// Asks the kind's question; false when the plugin lacks its export.
bool AskPlugin(HMODULE plugin, const std::wstring& letter, std::vector<char>& answer) {
    if (letter == L"P") {
        auto caps = PluginExport<GetPackerCapsFn>(plugin, "GetPackerCaps");
        if (!caps) return false;
        std::snprintf(answer.data(), answer.size(), "%d", caps());
        return true;
    }
    const char* name = letter == L"C"   ? "ContentGetDetectString"
                       : letter == L"F" ? "FsGetDefRootName"
                                        : "ListGetDetectString";
    auto ask = PluginExport<GetTextFn>(plugin, name);
    if (!ask) return false;
    ask(answer.data(), letter == L"F" ? MAX_PATH : AnswerBytes - 1);
    return true;
}

}  // namespace

int RunProbe(const std::wstring& dll, const std::wstring& letter) {
    HMODULE plugin = ChildLoadPlugin(dll);
    if (!plugin) return 2;
    HandDefaultParams(plugin, CallsFor(letter));
    std::vector<char> answer(AnswerBytes, 0);
    if (!AskPlugin(plugin, letter, answer)) {
        StdoutWrite("NOEXPORT\n", 9);
        ChildEndNow(0);
    }
    answer.back() = 0;
    StdoutWrite("OK\n" + std::string(answer.data()));
    ChildEndNow(0);
}
