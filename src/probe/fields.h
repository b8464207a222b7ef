// Content plugins' fields and values, asked through the /fields child.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "probe/child_run.h"
#include "probe/child_settings.h"

struct FieldValue {
    int32_t result = 0;  // a field type, or TC's negative codes (-3 empty, -4 on request)
    std::wstring text;   // formatted by the child; empty unless result is 1-8, 10 or 11
};

struct FieldDef {
    int32_t index = 0;
    int32_t type = 0;  // TC's field type, 1 to 12
    std::wstring name;
    std::vector<std::wstring> units;
    std::vector<FieldValue> values;  // in the order the child printed them
};

// Query state of a preview row.
enum PvState : int32_t {
    PvQuerying = 0,
    PvAnsweredOk = 1,
    PvCrashed = 2,
    PvTimeLimit = 3,
    PvOnly32Bit = 4,
    PvFileMissing = 5,
    PvLoadFailure = 6,
    PvNotContent = 7,
    PvSkipped = 8,
    PvNoMatch = 9,
    PvNotStarted = 10,  // the child that asks could not be started; error says why
};

// One Content plugin of the content preview (or its built-in group).
struct PvPlugin {
    int32_t number = -1;
    std::wstring name;
    std::wstring path;  // expanded
    std::wstring key;
    uint8_t match = 0;
    uint8_t expanded = 0;
    uint8_t builtIn = 0;
    uint8_t specialist = 0;
    int32_t state = PvQuerying;
    std::wstring error;
    std::vector<FieldDef> fields;
};

// Child side of /fields; ends the process itself after a complete list.
int FieldsChildMain(const std::wstring& dll, const std::wstring& file, const std::wstring& contplugIni);

// Asks row's plugin for its fields and, when file is not empty, the file's values.
void RunFieldsChild(PvPlugin& result, const PvPlugin& row, const std::wstring& file, const ChildSettings& settings);

// Reads a /fields child's output into result's state, error and fields, replacing
// whatever they held.
void ParseFieldsOutput(PvPlugin& result, const ChildRun& run);

// A floating-point value as the preview shows it: decimal comma, at most six
// fraction digits without trailing zeros, "NaN".
std::string FieldDoubleText(double value);
