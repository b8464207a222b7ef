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

// Every line the run's changes of the Lister or Content section would write into
// the file, checked: true, after an error line for each that cannot be written.
bool NumberedLinesRefused(SaveRun& run, int kind, const std::wstring& file);
// The same for the Packer and File-system lines and activations of the run.
bool PlugLinesRefused(SaveRun& run);

// Writes a kept entry to the Disabled section and reads it back; its key, or ""
// when the line did not read back the same.
std::wstring WriteKeptVerified(const KeptEntry& entry);
// The file that holds a kind's section; "" when none, or when it is missing.
std::wstring SectionFile(int kind);
// The same, appending one err_write line when there is none.
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
// Why the file, as the profile functions write it, cannot hold a character of
// the text, naming it; "" when it holds the text.
std::wstring CharRefusal(const std::wstring& file, const std::wstring& text);
// Why a line cannot stand in the file as the profile functions write it: the
// check above, then every character as the file stores it. "" when it can.
std::wstring LineRefusal(int kind, const std::wstring& file, const std::wstring& key, const std::wstring& value);
// The error line of a refused line, naming the section, the change and why.
std::wstring RefusedLineText(const std::wstring& section, const std::wstring& label, const std::wstring& why);
// True, after an error line for each line that cannot be written into the file,
// when any of them cannot: the change they belong to is then not written at all,
// and stays pending unless the run withdraws what it does not write.
bool RefusesLines(SaveRun& run, int kind, const std::wstring& label, const IniPairs& lines, const std::wstring& file);

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
    WriteProgress* progress = nullptr;  // of a save: told of each write
    std::optional<bool> holdsAll{};     // the file stores every character: read at the first that needs it

    bool Set(const std::wstring& key, const std::optional<std::wstring>& value,
             const std::optional<std::wstring>& before);
    // The last guard before a write: the line passes the check of every line,
    // and the file holds each of its characters.
    bool Writable(const std::wstring& key, const std::optional<std::wstring>& value);
    // True when every write was taken back.
    bool Undo();
};
// Both files read whole, and equal; a file that cannot be read equals none.
bool SameBytes(const std::wstring& a, const std::wstring& b);
// The file takes the bytes of its backup (copy), read back the same; false when
// there is no copy or it could not.
bool PutBack(SaveIo& io, const std::wstring& copy, const std::wstring& file);
// The kept line of a deactivation, written through io and read back: its key; or
// "" with the Disabled section as before (previous: what the line's key held).
std::wstring WriteKeptOrNone(SaveIo& io, const KeptEntry& entry, const std::optional<KeptEntry>& previous);
// Takes the entry's lines out of the kept line of its key (a Packer library's
// line may hold others, deactivated in the same run: they stay); the line goes
// when nothing is left of it.
void TakeOutOfKept(const KeptEntry& entry);
// A change of that file's section, counting count.
LandedChange Landing(const std::wstring& file, const std::wstring& section, int kind, int count);
// Counts the change when the run ends, unless its file is put back from its
// backup before.
void Land(SaveRun& run, LandedChange change);
// Counts and logs the landed changes that stand; their activated entries leave
// the Disabled section.
void SettleLanded(SaveRun& run);
// The Lister or Content changes stay pending, with the kind's activations.
void KeepKindPending(SaveRun& run, int kind);
// Equal as the profile functions read them, whatever the order of the keys.
bool SameLines(const IniPairs& a, const IniPairs& b);
// Equal as the profile functions read them, line by line in order.
bool SameLinesInOrder(const IniPairs& a, const IniPairs& b);
// The line under a failed change's err_write line. When the section does not read
// as it did before the change (asBefore), or the rest of the file not as its
// backup, outside the sections of the run's standing changes, the file's bytes
// come back from this run's backup, and what the run saved to the file before is
// taken back and stays pending. True when the file holds nothing of the change.
bool SettleFailed(SaveRun& run, const std::wstring& file, const std::wstring& section, bool asBefore);
// Undoes a failed section's writes, reads the section back (now) and settles.
// inOrder: the section reads as before only with its lines in their order, as
// where TC lists them in it; an undo that moved a line leaves the file otherwise.
bool TakeBack(SaveRun& run, SectionWrites& w, const IniPairs& before, std::optional<IniPairs>& now, bool inOrder);
// The lines as the writes that still stand left them: what the file holds when
// the writes reported truly, whatever a read now would give.
IniPairs AfterStanding(IniPairs lines, const SectionWrites& w);
