#include <doctest/doctest.h>

#include "foundation/texts.h"
#include "hostcfg/field_usage.h"
#include "hostcfg/tc_discovery.h"
#include "hostcfg_test_util.h"
#include "support/test_support.h"

namespace {

std::wstring Uses(const std::wstring& plugin) {
    std::wstring out;
    for (const auto& u : FieldUsageIndex.uses[plugin]) {
        out += std::to_wstring(u.place) + L"[" + u.where + L"]";
        for (const auto& f : u.fields) out += L" " + f;
        out += L"; ";
    }
    return out;
}

}  // namespace

TEST_CASE("where TC's configuration uses each plugin's fields") {
    FieldUsageIndex = FieldUsage{};
    FieldUsageIndex.built = true;
    UsageParseRefs(L"[=tc.size] [=<fs>.x] [=Plug.Field.KB] [=Plug.Date:12] [=plug.Date:ab] [=nodot] [=.x]", 5, L"w");
    UsageParseRefs(L"[=\"a]b\" plug.Quoted] [=\"open plug.X] [=Plug.Field]", 5, L"w");
    CHECK(Uses(L"plug") == L"5[w] Date Date:ab Field Quoted; ");
    CHECK((FieldUsageIndex.names[L"plug"] == L"Plug" && FieldUsageIndex.uses.size() == 1));

    std::wstring dir = FreshTempDir(L"usage");
    WincmdIniPath = dir + L"\\wincmd.ini";
    WriteIniText(WincmdIniPath,
                 L"[CustomFields]\r\nTitles=Size| Version \r\nContents2=[=fileinfo.version]\r\n"
                 L"Contents1=[=fileinfo.version] [=FileInfo.size]\r\n[CustomFieldsMy view]\r\nRedirectSection=c.ini\r\n"
                 L"[HintsCustomField]\r\n1exts=*.mp3\r\n1fields=[=audio.Title]\r\n2fields=[=audio.Artist]\r\n"
                 L"[RenameTemplates]\r\n1=[N] [=exif.Date:12]\r\n"
                 L"[searches]\r\nMySearch_plugin=fileinfo.size > 1 & !(\"fileinfo.date\" = 2) | x\r\n"
                 L"[ContentPlugins]\r\n0=[=fileinfo.never]\r\n[ContentPlugins64]\r\n0=[=fileinfo.never]\r\n"
                 L"[Other]\r\nKey=text [=audio.Title]\r\n",
                 true);
    WriteIniText(dir + L"\\c.ini", L"[CustomFieldsMy view]\r\nContents1=[=audio.Album]\r\n", false);
    FieldUsageIndex.built = false;
    InitLanguage();
    REQUIRE(LangCode() == L"eng");
    int counts[UsePlaceCount];
    CHECK(FieldUsageCount(L"FILEINFO", counts, L"") == 3);
    CHECK(Uses(L"fileinfo") == L"0[Version] version; 0[Size] size version; 4[MySearch] date size; ");
    CHECK(Uses(L"audio") == L"0[y view: Contents1] Album; 1[*.mp3] Title; 1[2fields] Artist; 5[[Other] Key] Title; ");
    CHECK(FieldUsageCount(L"audio", counts, L"title") == 2);
    CHECK((counts[UseTip] == 1 && counts[UseOther] == 1 && counts[UseColumn] == 0));
    CHECK(FieldUsageTextFor(L"fileinfo", L"VERSION") == L"column view “Version”, column view “Size”");
    CHECK(FieldUsageText(L"exif", L"  ") == L"  rename template [N] [=exif.Date:12]: Date\r\n");
    CHECK(FieldUsageText(L"nobody", L"").empty());
    WincmdIniPath.clear();
    FieldUsageIndex.built = false;
    CHECK(FieldUsageCount(L"fileinfo", counts, L"") == 0);
    RemoveTree(dir);
}
