// The findings: everything wrong or worth a look in the plugin configuration as
// a whole, each with an explanation, advice, the fix the program offers and a key
// under which the user can mark it as checked.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "analyses/acknowledged.h"

struct PlugEntry;

enum FindingSeverity : int { SeverityError = 1, SeverityDifference = 2, SeverityNote = 3 };
enum FixKind : int { FixNone = 0, FixEdit = 1, FixCaps = 2, FixDetect = 3, FixStray = 4, FixModeGap = 5 };

struct Finding {
    int tab = 0;                 // the plugin kind of the entry, section or file concerned
    int severity = SeverityNote;
    int fix = FixNone;
    int number = -1;             // the entry's number; -1 when no entry is concerned
    std::wstring name;           // the list's plugin column
    std::wstring display;        // extension (caps), INI key (stray), section (orphan), FS name
    std::wstring text;
    std::wstring explanation;
    std::wstring advice;
    uint8_t iniLine = 0;         // a line of an INI file, not a plugin entry
    std::wstring iniValue;       // that line's value in wincmd.ini (stray)
    uint8_t otherIni = 0;        // the line stands in a plugin's own INI file (orphan)
    std::wstring iniFile;
    std::wstring ackKey;
    uint8_t acked = 0;
    std::wstring diskFile;       // a plugin file that no entry names
};

// Rebuilt whole by each BuildFindings; other parts address a finding by index.
extern std::vector<Finding> Findings;
// The index of the finding a copy was taken of, after a rebuild may have moved it
// (a probe job that ended while a menu or a dialog was open); -1 when it is gone,
// or no longer offers the fix it had.
int FindFinding(const Finding& copy);
// Some existing plugin file had no probe result yet: the list completes itself later.
extern uint8_t FindingsPartial;
// Acknowledged findings left out of the last run.
extern int HiddenAckedCount;
// Show acknowledged findings too.
extern uint8_t ShowAcked;

void BuildFindings();

// letter|a|b[|c], folded (FoldCase), with '"', ';', '=', '[' and ']' made '_' so the key
// is a safe INI key.
std::wstring BuildPipeRecord(int kind, const std::wstring& a, const std::wstring& b, const std::wstring& c);
bool IsFindingAcked(const std::wstring& key);
// The key that marks every notinst finding of files directly in the folder.
std::wstring NotInstalledFolderKey(const std::wstring& folder);
// The alphanumeric characters, folded: "Image View 2" gives imageview2.
std::wstring NameMatchKey(const std::wstring& text);
// A section of a plugin's own INI belongs to a plugin of that name (both keys
// from NameMatchKey): the name itself, whatever its length; a part of it or more
// only for names of at least 3 characters.
bool SectionMatchesName(const std::wstring& sectionKey, const std::wstring& nameKey);

// The entry, line or section the finding concerns already carries a pending change.
bool FindingPending(const Finding& finding);

// The index of the finding's entry among the entries of its tab; -1 when none
// (an INI line, a file on disk, or an entry removed since the analysis).
int FindingEntryIndex(const Finding& finding, const std::vector<PlugEntry>& entries);

// Marks or unmarks a finding as checked, in AckSet and in the program's INI; false
// when the INI could not be written.
bool SetAcknowledged(const std::wstring& key, bool on);

// Plugin files lying in TC's plugins folder and the folders of registered
// plugins (with long names) that no registered file (PlugFileKey) names: folded
// path -> path. The scan is reused for 15 seconds while the folders stay the same.
std::map<std::wstring, std::wstring> CollectDiskPlugins(const std::vector<std::wstring>& registeredFiles,
                                                        const std::vector<std::wstring>& registeredFolders);
// Begins the scan that the next CollectDiskPlugins will make, when it will make
// one, with TC's plugins folder: the folder that comes first and that no section
// decides, scanned on a thread of its own while the caller reads the sections.
// CollectDiskPlugins waits for it and goes on from there.
void BeginDiskScan();
// Makes the next CollectDiskPlugins scan the disk again.
void InvalidateDiskScan();
