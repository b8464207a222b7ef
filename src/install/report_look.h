// The look of a report in the colour scheme and UI font in force, and the extension
// lists the reports show.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "install/report.h"

// Font size in half-points matching the UI font at the screen's dpi, at least 7 points.
ReportLook CurrentReportLook();
// Items joined by "; " ("(no extension)" for an empty one); past the limit, "… and n more".
std::wstring ExtListText(const std::vector<std::wstring>& exts, size_t limit);
