#include <doctest/doctest.h>

#include <windows.h>

#include "foundation/data_folder.h"
#include "foundation/settings.h"
#include "views/page_window.h"
#include "views/window_layout.h"

namespace {

void SetWindowKey(const wchar_t* key, const wchar_t* value) { WriteSettingsIniValue(L"Window", key, value); }

}  // namespace

TEST_CASE("stored window values: placement, start tab and the clamped splits") {
    CHECK_FALSE(ParsePlacement(L"10,10,199,400,0"));
    CHECK_FALSE(ParsePlacement(L"10,10,800"));
    auto four = ParsePlacement(L"10,10,800,600");
    REQUIRE(four);
    CHECK(four->rect.right == 810);
    CHECK(four->rect.bottom == 610);
    CHECK_FALSE(four->maximized);
    CHECK(ParsePlacement(L"10,10,800,600,1")->maximized);

    SettingsValues.erase(L"General/StartTab");  // the default "last"
    const std::pair<const wchar_t*, int> lastTabs[] = {
        {L"3", 4}, {L"9", 0}, {L"-1", 0}, {L"filesystem", 3}, {L"preview", 6}, {L"5", 5}};
    for (auto [stored, tab] : lastTabs) {
        SetWindowKey(L"LastTab", stored);
        CHECK_MESSAGE(StartTabIndex() == tab, stored);
    }
    SettingsValues[L"General/StartTab"] = L"findings";
    CHECK(StartTabIndex() == 5);
    SettingsValues.erase(L"General/StartTab");

    const std::tuple<const wchar_t*, const wchar_t*, double, int> frames[] = {
        {L"10", L"5", 0.15, 40}, {L"90", L"5000", 0.85, 1200}, {L"46", L"120", 0.46, 120}};
    for (auto [split, height, ratio, detail] : frames) {
        SetWindowKey(L"Split", split);
        SetWindowKey(L"DetailHeight", height);
        LoadFrameLayout();
        CHECK(SplitRatio == doctest::Approx(ratio));
        CHECK(DetailHeight == detail);
    }
    DeleteFileW(SettingsIniPath().c_str());
}
