#include "install/report.h"

#include <algorithm>

namespace {

std::string Num(long long n) { return std::to_string(n); }

std::string RowMarker(int kind, int s) {
    if (kind == ReportWarning) return "{\\f1\\cf2\\b\\fs" + Num(s + 4) + " \\u9888?}";
    if (kind == ReportCheck) return "{\\f1\\cf4\\b \\u10003?}";
    return "{\\cf3 \\u183?}";
}

const wchar_t* RowSymbol(int kind) {
    if (kind == ReportWarning) return L"\x26A0 ";
    if (kind == ReportCheck) return L"\x2713 ";
    return L"\x00B7 ";
}

}  // namespace

std::string RtfColorEntry(uint32_t color) {
    return "\\red" + Num(color & 0xFF) + "\\green" + Num((color >> 8) & 0xFF) + "\\blue" + Num((color >> 16) & 0xFF) + ";";
}

std::string RtfEscape(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (c == L'{' || c == L'}' || c == L'\\') {
            out += '\\';
            out += (char)c;
        } else if (c == L'\n') {
            out += "\\line ";
        } else if (c == L'\r') {
            continue;
        } else if (c < 128) {
            out += (char)c;
        } else {
            out += "\\u" + Num((int16_t)(uint16_t)c) + "?";
        }
    }
    return out;
}

std::string RtfDocumentHead(const ReportLook& look) {
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Segoe UI;}{\\f1\\fnil Segoe UI Symbol;}}{\\colortbl ;" +
           RtfColorEntry(look.text) + RtfColorEntry(look.warning) + RtfColorEntry(look.muted) +
           RtfColorEntry(look.check) + "}\\f0\\fs" + Num(look.halfPoints) + "\\cf1 ";
}

std::string ReportToRtf(const std::vector<ReportRow>& rows, const ReportLook& look) {
    const int s = look.halfPoints;
    std::string rtf = RtfDocumentHead(look);
    for (const ReportRow& row : rows) {
        rtf += "\\pard\\fi-" + Num(16 * s) + "\\li" + Num(16 * s) + "\\tx" + Num(16 * s) + "\\sa" + Num(5 * s) + " ";
        rtf += RowMarker(row.kind, s) + "\\tab ";
        if (!row.label.empty()) rtf += "{\\b " + RtfEscape(row.label) + "} ";
        rtf += row.kind == ReportNote ? "{\\cf3 " + RtfEscape(row.value) + "}" : RtfEscape(row.value);
        rtf += "\\par\n";
    }
    return rtf + "}";
}

std::wstring FormatChecklist(const std::vector<ReportRow>& rows) {
    std::wstring text;
    for (const ReportRow& row : rows) {
        if (!text.empty()) text += L"\r\n";
        text += RowSymbol(row.kind);
        if (!row.label.empty()) text += row.label + L" ";
        text += row.value;
    }
    return text;
}

void SortReport(std::vector<ReportRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const ReportRow& a, const ReportRow& b) { return a.kind < b.kind; });
}
