// The findings tab: one row per finding, its detail in the pane below.
#pragma once
#include <windows.h>

#include <array>
#include <string>

#include "views/main_view.h"

struct Finding;

// Type (or "checked"), area, plugin (with "#n", "wincmd.ini: " and " *" for a
// pending change), finding, fix.
std::array<std::wstring, 5> FindingCells(const Finding& finding);
// What the finding's fix kind offers: the short label of the list, or the
// sentence of the detail pane.
std::wstring FixKindText(int fix, bool sentence);
// The detail of Findings[index]: finding, explanation, remedy and fix; "" outside.
std::wstring FindingDetailText(int index);

// The findings tab's status: counts per severity, hidden checked ones, and a
// note while plugins are still being asked.
std::wstring FindingsStatus();

// Runs BuildFindings and refills the list; each row's item data is its finding's index.
// A search holds its hits by those: after a refill it looks for them again.
void FillFindingsList(MainView& view);
