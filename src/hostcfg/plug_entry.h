// The four plugin sections of wincmd.ini read into PlugEntry records: the one
// model of a configured plugin that every tab, check and save works on.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "dsx/detect_spec.h"
#include "hostcfg/file_presence.h"
#include "hostcfg/lister_settings.h"
#include "probe_record/probe_result.h"

enum PlugKind : int { KindLister = 0, KindContent = 1, KindPacker = 2, KindFileSystem = 3 };

// "ListerPlugins", "ContentPlugins", "PackerPlugins", "FileSystemPlugins"; "" otherwise.
const wchar_t* PlugSectionName(int kind);

// The number and the rest of a ListerPlugins or ContentPlugins key as TC reads it
// ("12_detect": 12 and "_detect"): plain decimal digits, no sign, blank or leading
// zero, so "01" beside "1" is no entry's key. False for any other key.
bool EntryKeyNumber(const std::wstring& key, long& number, std::wstring& rest);

struct PlugEntry {
    uint32_t kind = 0;
    int number = 0;                // Lister/Content: INI number; Packer/FS: 1-based place
    std::vector<int> packerFlags;  // Packer: flags per extension line, parallel to iniDetect
    // Packer: the path of each extension line as written; lines of one library
    // may spell it differently, and a rewrite must compare against its own line.
    std::vector<std::wstring> packerPaths;
    std::wstring path;             // as configured, trimmed
    std::wstring expandedPath;
    // expandedPath as one spelling of its file (LongFullPath; for a missing file only
    // NormalFullPath); "" for an entry made without a load.
    std::wstring longPath;
    std::wstring name;             // FileStem(path); File system: the key as written
    std::wstring detectText;       // Lister/Content: unquoted n_detect; Packer: "zip=279 | jar=279"
    uint8_t hasDetect = 0;
    uint8_t fileExists = 0;        // expandedPath or expandedPath + "64" is a file
    PluginFileSeen files;          // what the load saw of the plugin's files
    DetectSpec iniDetect;
    int probeStatus = ProbePending;
    std::wstring probeAnswer;
    std::wstring probeVersion;
    int kindMask = -1;
    std::wstring probeError;
    uint8_t probeNotStarted = 0;   // the probe's child could not be started: the plugin was not asked
    uint8_t is32Bit = 0;
    DetectSpec pluginDetect;       // what the plugin itself reports, compiled
};

// The shown tab's entries; list rows hold indexes into it.
extern std::vector<PlugEntry> TabEntries;

// What tells an entry of the shown tab from every other. An index taken before a
// dialog, a menu or a message loop may name another entry afterwards: the rows may
// have been refilled meanwhile. The mark finds the entry again.
struct EntryMark {
    uint32_t kind = 0;
    int number = 0;
    std::wstring path, name;
};
EntryMark MarkOf(const PlugEntry& entry);
// The index of the marked entry in TabEntries; -1 when it is gone.
int FindTabEntry(const EntryMark& mark);

struct PluginSection {
    std::vector<PlugEntry> entries;  // in TC's order
    std::wstring iniUsed;            // the file the section was read from
    uint8_t missing = 0;             // a redirected section whose file does not exist
    std::vector<std::wstring> leftOverKeys;   // keys left in wincmd.ini beside a redirect
    std::vector<std::wstring> duplicateKeys;  // keys given more than once
    ListerSettings lister;           // Lister: TC's Lister settings and the keys of these entries
};

struct TcIniFiles;

// Reads a kind's section of the wincmd.ini in use and changes no state, so a
// worker's job may be prepared from it while the window shows another. Each file
// is read once, in one pass.
PluginSection LoadPluginSection(int kind);
// The same from the files of one read of the configuration, for several kinds.
PluginSection LoadPluginSection(TcIniFiles& files, int kind);
// LoadPluginSection in two steps, for a worker: the files and the disk first, of
// the wincmd.ini its job names, then, on the window's thread, the probe answers
// cached so far (the window changes them).
PluginSection ReadPluginSection(const std::wstring& wincmdIni, int kind);
void ApplyCachedProbes(std::vector<PlugEntry>& entries);
// The raw text of a kind's plugin section (for Lister also [Lister] and [ListerModes]),
// each headed by the file that holds it; "" without a wincmd.ini or for an unknown kind.
std::wstring PluginSectionText(int kind);
// The same of the wincmd.ini given, for a worker.
std::wstring PluginSectionText(const std::wstring& wincmdIni, int kind);

// Copies a probe result into the entry and compiles the plugin's own detect string
// when it may be used.
void ApplyProbeResult(PlugEntry& entry, const ProbeResult& result);
// The plugin's answer may be taken into the entry (ProbeAnswerUsable).
bool PluginDetectUsable(const PlugEntry& entry);

// The entry's plugin is on disk, but not as the file the 32-bit TC loads (only
// x.wlx64 for x.wlx or x.wlx64, which the 64-bit TC alone takes).
bool LacksFileOf32BitTc(const PlugEntry& entry);

// The version cell of a probed, existing plugin; " " for an empty version.
std::wstring PlugEntryExtraText(const PlugEntry& entry);
// A Packer entry's extension line value as wincmd.ini holds it: the line's flags, a
// comma and the line's own path.
std::wstring PackerLineAsWritten(const PlugEntry& entry, size_t line);
// A load failure with Windows error 1114 (a DLL's initialisation failed); never a
// probe whose child did not start, whatever number its error names.
bool ProbeIsLoadFail1114(int status, const std::wstring& errorText, uint8_t notStarted);

// Indexes of the entry's extension items whose text equals name without case;
// every index for an empty name.
std::vector<size_t> FindEntryByName(const PlugEntry& entry, const std::wstring& name);
