// A scratch TC for the install tests: its folder is COMMANDER_PATH and its
// wincmd.ini the one in use; packages are built from fake plugins beside it.
#pragma once
#include <string>

#include "probe_test_support.h"

struct InstallScene {
    std::wstring dir;      // the scratch root
    std::wstring tc;       // TC's folder, COMMANDER_PATH
    std::wstring ini;      // wincmd.ini in use
    std::wstring package;  // an empty package folder
    ScopedEnv commanderPath;
    explicit InstallScene(const wchar_t* name);
    ~InstallScene();
    // Writes wincmd.ini (UTF-16 with a mark) with the text's lines.
    void WriteIni(const std::wstring& text) const;
};

// A file that only claims the machine in its PE header.
void WritePeStub(const std::wstring& path, uint16_t machine);
