// A short checklist of warnings, notes and checks, rendered as RTF for a rich edit
// or as plain text with symbols. Needs no Windows call; the look comes in a ReportLook.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum ReportKind : int { ReportWarning = 0, ReportNote = 1, ReportCheck = 2 };  // other values: a bullet

struct ReportRow {
    int kind = ReportWarning;
    std::wstring label;  // shown bold; may be empty
    std::wstring value;  // may hold line feeds
};

// The colours (COLORREF values, red in the low byte) and the font size of a report.
struct ReportLook {
    uint32_t text = 0;
    uint32_t warning = 0x00A8E8;
    uint32_t muted = 0x808080;
    uint32_t check = 0x578B2E;
    int halfPoints = 18;
};

std::string RtfColorEntry(uint32_t color);
std::string RtfEscape(const std::wstring& text);
// The document head up to the first character of body text.
std::string RtfDocumentHead(const ReportLook& look);
std::string ReportToRtf(const std::vector<ReportRow>& rows, const ReportLook& look);
std::wstring FormatChecklist(const std::vector<ReportRow>& rows);
// Warnings first, then notes, then the rest, each group in its own order.
void SortReport(std::vector<ReportRow>& rows);
