#include <doctest/doctest.h>

#include "dsx/keyword_text.h"
#include "foundation/labels.h"
#include "foundation/path_display.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "foundation/path_display.h"
#include "support/test_support.h"

TEST_CASE("view texts in English: tabs, modes, kinds, exports, detect items, packer capabilities and paths") {
    SettingsValues[L"General/Language"] = L"eng";
    InitLanguage(std::nullopt);
    CHECK(TabName(-5) == L"Lister");
    CHECK(TabName(42) == L"Preview");
    CHECK(ModeNameText(L"4I") == L"4i internal, no plugins");
    CHECK(ModeNameText(L"8") == L"8 Explorer preview");
    for (const wchar_t* word : {L"0", L"9", L"", L"44"}) CHECK(ModeNameText(word) == word);
    CHECK(PluginKindText(0) == L"none");
    CHECK(PluginKindText(5 | 16) == L"Lister + Packer");
    const std::set<std::string> exports = {"ListLoad", "ContentGetValue"};
    std::wstring caps;
    AppendKeyTextIfAnyNameIn(exports, caps, "kind_lister", {"ListLoadW", "ListLoad"});
    AppendKeyTextIfAnyNameIn(exports, caps, "kind_packer", {"OpenArchive"});
    AppendKeyTextIfAnyNameIn(exports, caps, "kind_content", {"ContentGetValue"});
    CHECK(caps == L"Lister, Content");
    const std::pair<DetectItem, const wchar_t*> items[] = {
        {{L"JPG", DetItemExt}, L"JPG"}, {{L"", DetItemExt}, L"(no extension)"}, {{L"*", DetItemExt}, L"* (all)"},
        {{L"", DetItemEmpty}, L"(empty detect string)"}};
    for (const auto& [item, text] : items) CHECK(KeywordListText(item) == text);

    CHECK(PackerCapsText(0) == L"none");
    CHECK(PackerCapsText(0x201 | 0x1400) == L"create, encryption, unknown 0x1400");
    CHECK(PackerCapsAddedText(0x5, 0x3) == L"+ modify \u00b7 \u2212 multiple files");
    CHECK(PackerCapsAddedText(0x5, 0x5) == L"");

    ScopedEnv tc(L"COMMANDER_PATH", L"C:\\Tools\\TC\\");
    const wchar_t* written = L"%COMMANDER_PATH%\\..\\TC\\plugins\\a.wlx";
    // The default PathDisplay "ini" shows the path as written, compact lists the shortest form.
    CHECK(PathForDisplay(written, false) == written);
    CHECK(PathForDisplay(L"c:\\tools\\tc\\x\\a.wlx", true) == L"%COMMANDER_PATH%\\x\\a.wlx");
    CHECK(PathForDisplay(L"C:\\Tools\\TCX\\a.wlx", true) == L"C:\\Tools\\TCX\\a.wlx");
    SettingsValues[L"View/PathDisplay"] = L"resolved";
    CHECK(PathForDisplay(written, true) == L"C:\\Tools\\TC\\\\..\\TC\\plugins\\a.wlx");
}
