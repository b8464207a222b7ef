// What installing one package would do: which plugin file, kind and builds, the
// pluginst.inf data, the target folder, an existing entry and the plugin's answer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "hostcfg/plug_entry.h"
#include "install/package_text.h"
#include "probe_record/probe_result.h"

struct InstFile {
    std::wstring path;
    uint16_t machine = 0;  // COFF machine, 0 when no PE file
};

struct InstInfo {
    std::wstring folder;       // the package folder: where the chosen file lies
    std::wstring archiveName;  // the archive it came from, set by the install command
    std::wstring infPath;
    InfData inf;               // its [plugininstall] lines
    std::wstring pluginFile;   // name of the file to install
    std::wstring pluginName;   // stem of its 32-bit-style name
    std::wstring fileVersion;
    uint32_t kind = UINT32_MAX;
    std::vector<InstFile> files;
    uint8_t has32 = 0;
    uint8_t has64 = 0;
    std::wstring target;
    uint8_t targetIsSource = 0;
    std::wstring error;  // stops the install; the fields after its step stay empty
    ProbeResult probe;
    std::vector<PlugEntry> entries;  // the kind's section as wincmd.ini holds it
    int existing = -1;               // index in entries of this plugin's entry
    int newNumber = 0;
};

// "wlx", "wdx", "wcx", "wfx": the folder and file-type word of a plugin kind 0..3.
const wchar_t* InstAreaWord(uint32_t kind);
// Never throws; a package that cannot be installed has its message in error.
InstInfo InstAnalyze(const std::wstring& chosen);
// Where a new plugin of the kind goes: the folder most registered plugins share, else
// TC's plugins folder for the kind; "" when neither is known.
std::wstring InstPluginArea(const std::vector<PlugEntry>& entries, uint32_t kind);
