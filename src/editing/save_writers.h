// The stages of a save that write wincmd.ini's plugin sections, key by key, each
// checked against what the file holds now and read back afterwards.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "editing/save_request.h"

// Lister (0) or Content (1): edits, a new order and activations, with the numbers
// closed up. A section that cannot be verified is taken back as far as it can be.
void SaveNumberedSection(SaveRun& run, int kind);
// Packer and File-system lines, stray lines and whole-section deletions.
void SavePlugLines(SaveRun& run);
// Re-activated and new Packer and File-system entries.
void SaveLineActivations(SaveRun& run);

// Writes a kept entry to the Disabled section and reads it back; its key, or ""
// when the line did not read back the same.
std::wstring WriteKeptVerified(const KeptEntry& entry);
// The file that holds a kind's section; "" when none, or when it is missing
// (then one err_write line was appended).
std::wstring SectionFileOrError(SaveRun& run, int kind);
// True, after one error line naming the key (once per section and run), when a
// key of the section stands twice: TC reads the first, a write by key would hit
// the first and leave the second, so nothing of the section may be written.
// Comment lines do not count.
bool SectionRepeatsKey(SaveRun& run, const std::wstring& file, const std::wstring& section, const IniPairs& lines);

// Why a line cannot be written into the kind's section as it stands; nullptr when
// it can. Every key and value of the save passes it before anything of its change
// is written; a Packer line also needs an extension as its key and its number
// before the comma.
const char* LineProblem(int kind, const std::wstring& key, const std::wstring& value);
// The error line of a line refused by that check, naming the section, the change and why.
std::wstring RefusedLineText(const std::wstring& section, const std::wstring& label, const char* why);
// True, after an error line for each line that cannot be written, when any of
// them cannot: the change they belong to is then not written at all and stays pending.
bool RefusesLines(SaveRun& run, int kind, const std::wstring& label, const IniPairs& lines);

// The writes of one section, each with the value its key had before, so that a
// failed section can be taken back last write first: every state the file then
// passes through is one it passed through on the way, where no entry was lost.
struct SectionWrites {
    struct Step {
        std::wstring key;                    // as written
        std::optional<std::wstring> before;  // nothing: the key was not there
        std::optional<std::wstring> after;   // nothing: deleted
        bool done = false;                   // the write reported success
    };
    SaveIo& io;
    std::wstring file, section;
    std::vector<Step> steps;
    size_t standing = 0;  // the leading steps still in effect after Undo

    bool Set(const std::wstring& key, const std::optional<std::wstring>& value,
             const std::optional<std::wstring>& before);
    // True when every write was taken back.
    bool Undo();
};
// The lines as the writes that still stand left them: what the file holds when
// the writes reported truly, whatever a read now would give.
IniPairs AfterStanding(IniPairs lines, const SectionWrites& w);
