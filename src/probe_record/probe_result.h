// What a probe of one plugin file found, kept for the run per kind and path.
#pragma once
#include <cstdint>
#include <map>
#include <string>

enum ProbeStatus : int {
    ProbePending = 0,
    ProbeOk = 1,
    ProbeNoExport = 2,
    Probe32Bit = 3,
    ProbeError = 4,
    ProbeMissing = 5,
};

struct ProbeResult {
    int status = ProbePending;
    std::wstring answer;     // detect string, root name or packer caps in decimal, trimmed at its ends only
    std::wstring version;    // file version without trailing ".0" parts
    int kindMask = -1;       // PlugKindMask from the exports; -1 when not read
    std::wstring errorText;  // why a status 4 came about
    uint8_t is32Bit = 0;     // the plugin exists only as a 32-bit file
    uint8_t notStarted = 0;  // status 4 because the child that asks was never started
};

// Keyed by KindKey(kind, expanded path). UI thread only.
extern std::map<std::wstring, ProbeResult> ProbeCache;

// A detect string or root name the plugin answered may be written into TC's INI:
// it answered, and with no line break or other control character, which would
// give the INI lines the user never saw. An unusable answer is still shown.
bool ProbeAnswerUsable(int status, const std::wstring& answer);

// "pending", "ok", "noexport", "32bit", "error", "missing"; "?" outside 0..5.
const wchar_t* ProbeStatusWord(int status);
