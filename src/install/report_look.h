// The look of a report as the screen and the colour scheme give it, and the
// extension lists the reports show.
#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "install/report.h"

// What the colour scheme and the font set-up decide; the views set the source once
// they exist. Without it, or with custom colours off, the system's colours apply.
struct ReportTheme {
    bool customColors = false;
    bool dark = false;
    COLORREF text = 0;
    COLORREF muted = 0;
    COLORREF ok = 0;
    int fontPx = 12;  // the UI message font's pixel height
};
extern std::function<ReportTheme()> ReportThemeSource;

// Font size in half-points matching the UI font at the screen's dpi, at least 7 points.
ReportLook CurrentReportLook();
// Items joined by "; " ("(no extension)" for an empty one); past the limit, "… and n more".
std::wstring ExtListText(const std::vector<std::wstring>& exts, size_t limit);
