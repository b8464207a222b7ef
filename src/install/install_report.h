// The report an install shows before the user confirms: lines, a checklist, the
// packer extensions to choose and the choices the dialog offers. The context is
// shared by the report, the dialog and the execution of one install.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "install/analysis.h"
#include "install/report.h"

struct ExtChoice {
    std::wstring ext;         // lower case
    std::wstring ownerName;   // the entry holding it now; "" when free
    std::wstring ownerValue;  // that line's value: flags, comma, path
    uint8_t checked = 0;      // initial state; the dialog writes the user's back
    uint8_t fixed = 0;        // already the plugin's own
};

struct InstCtx {
    InstInfo* info = nullptr;
    std::wstring heading;
    std::wstring sourceLine;
    std::wstring updateLine;
    std::wstring extraLine;
    std::wstring pluginDetect;
    std::wstring extText;
    std::wstring conditions;
    std::wstring capsText;
    std::wstring fsName;  // the dialog writes the user's name back
    int extCount = -1;    // -1 until the plugin answered
    std::vector<ReportRow> report;
    std::vector<ExtChoice> extChoices;
    int packerCaps = -1;
    uint8_t update = 0;
    uint8_t offerKeepTake = 0;
    uint8_t takeNew = 0;
    uint8_t offerTakeCaps = 0;
    uint8_t takeCaps = 1;
    std::wstring typedExts;
};

// The first entry of the section other than the plugin's own that holds the packer
// extension (any case); null when it is free.
const PlugEntry* PackerOwnerOf(const InstInfo& info, const std::wstring& ext);
// Fills the context from its analysis; run once per context.
void InstReportText(InstCtx& ctx);
void AddReportWarning(InstCtx& ctx, const std::wstring& value, const std::wstring& label = L"");
void AddReportNote(InstCtx& ctx, const std::wstring& value, const std::wstring& label = L"");
