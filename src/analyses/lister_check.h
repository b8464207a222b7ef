// The Lister check: which Lister plugins TC opens a file with on F3, which only
// on key 4, in TC's order, and in plain words why the others do not take it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "dsx/eval.h"
#include "hostcfg/plug_entry.h"

enum LvState : int { LvInfo = 0, LvF3 = 1, LvKey4 = 2, LvNoMatch = 3 };

struct LvRow {
    int state = LvInfo;
    int number = -1;        // the entry's number in ListerPlugins; -1 for information rows
    std::wstring name;      // empty for information rows
    std::wstring path;      // as configured
    std::wstring detect;    // without its enclosing quotes; "" without a detect string
    std::wstring reason;    // the explanation; the text of an information row
    std::wstring caption;   // the title of an information row
    uint8_t hasDetect = 0;
    uint8_t fileExists = 1;
    uint8_t modeRule = 0;   // a view-mode rule for the type names this plugin
    std::vector<DetectTerm> terms;  // the detect string's conditions, valued on the checked file
};

// Rebuilt whole by each check of the preview file; list items carry an index into it.
extern std::vector<LvRow> LvRows;
// The upper-case extension of the checked file, for the status bar.
extern std::wstring LvFileExt;

// The check on plain inputs: the Lister section (its entries in any order and TC's
// Lister settings), the file's facts and whether TC is the 32-bit program.
std::vector<LvRow> LvComputeRows(const PluginSection& lister, const FileFacts& facts, bool tc32);
// The executable names the 32-bit TC; any other path, "" too, is the 64-bit one.
bool TcExeIs32Bit(const std::wstring& exePath);

// Why the row's detect string refuses the checked file, naming the failing part of its terms.
std::wstring LvCheckReasonText(const LvRow& row);
// The detail text of a row; "" for an index that names no row.
std::wstring LvRowDetailText(int index);
