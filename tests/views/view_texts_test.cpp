#include <doctest/doctest.h>

#include "foundation/labels.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "views/view_texts.h"

namespace {

void UseEnglish() {
    SettingsValues[L"General/Language"] = L"eng";
    InitLanguage();
}

}  // namespace

TEST_CASE("tab captions, entry numbers and view modes") {
    UseEnglish();
    CHECK(TabName(-5) == L"Lister");
    CHECK(TabName(3) == L"File system");
    CHECK(TabName(42) == L"Preview");
    CHECK(EntryNumberText(12) == L"#12");
    CHECK(EntryNumberText(-1) == L"#-1");
    CHECK(ModeNameText(L"4I") == L"4i internal, no plugins");
    CHECK(ModeNameText(L"8") == L"8 Explorer preview");
    for (const wchar_t* word : {L"0", L"9", L"", L"44", L"x"}) CHECK(ModeNameText(word) == word);
    CHECK(EditMenuText(1) == EditMenuText(0));
    CHECK(EditMenuText(4) == EditMenuText(-1));
    CHECK(EditMenuText(2) != EditMenuText(3));
}

TEST_CASE("kind masks and export names as text") {
    UseEnglish();
    CHECK(PluginKindText(0) == L"none");
    CHECK(PluginKindText(5) == L"Lister + Packer");
    CHECK(PluginKindText(15 | 16) == L"Lister + Content + Packer + File system");
    std::set<std::string> exports = {"ListLoad", "ContentGetValue"};
    CHECK(NamesToSetA(exports, {"ListLoadW", "ListLoad"}));
    CHECK_FALSE(NamesToSetA(exports, {"OpenArchive"}));
    std::wstring caps;
    NamesToTextA(exports, caps, "kind_lister", {"ListLoad"});
    NamesToTextA(exports, caps, "kind_packer", {"OpenArchive"});
    NamesToTextA(exports, caps, "kind_content", {"ContentGetValue", "ContentGetValueW"});
    CHECK(caps == L"Lister, Content");
}
