#include "install/report_look.h"

#include <windows.h>

#include <algorithm>

#include "foundation/texts.h"
#include "foundation/themes.h"
#include "foundation/ui_globals.h"

namespace {


}  // namespace

ReportLook CurrentReportLook() {
    const ThemeColors& theme = *CurrentTheme;
    ReportLook look;
    look.text = theme.custom ? theme.slot[2] : GetSysColor(COLOR_WINDOWTEXT);
    look.warning = theme.dark ? 0x3DD3FF : 0x00A8E8;
    look.muted = theme.custom ? theme.slot[12] : GetSysColor(COLOR_GRAYTEXT);
    look.check = theme.custom ? theme.slot[8] : 0x578B2E;
    look.halfPoints = std::max(14, MulDiv(UiFontPx, 144, UiScreenDpi()));
    return look;
}

std::wstring ExtListText(const std::vector<std::wstring>& exts, size_t limit) {
    std::wstring text;
    for (size_t i = 0; i < exts.size() && i < limit; ++i) {
        if (i) text += L"; ";
        text += exts[i].empty() ? Tr("ext_noext") : exts[i];
    }
    if (exts.size() > limit) text += L" " + FillVar(Tr("in_more"), L"n", std::to_wstring(exts.size() - limit));
    return text;
}
