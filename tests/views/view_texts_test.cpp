#include <doctest/doctest.h>

#include "foundation/labels.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "views/view_texts.h"

TEST_CASE("tab captions, view modes, kind masks and export names as English text") {
    SettingsValues[L"General/Language"] = L"eng";
    InitLanguage();
    CHECK(TabName(-5) == L"Lister");
    CHECK(TabName(42) == L"Preview");
    CHECK(EntryNumberText(12) == L"#12");
    CHECK(ModeNameText(L"4I") == L"4i internal, no plugins");
    CHECK(ModeNameText(L"8") == L"8 Explorer preview");
    for (const wchar_t* word : {L"0", L"9", L"", L"44"}) CHECK(ModeNameText(word) == word);
    CHECK(PluginKindText(0) == L"none");
    CHECK(PluginKindText(5 | 16) == L"Lister + Packer");
    std::set<std::string> exports = {"ListLoad", "ContentGetValue"};
    std::wstring caps;
    NamesToTextA(exports, caps, "kind_lister", {"ListLoadW", "ListLoad"});
    NamesToTextA(exports, caps, "kind_packer", {"OpenArchive"});
    NamesToTextA(exports, caps, "kind_content", {"ContentGetValue"});
    CHECK(caps == L"Lister, Content");
}
