#include <doctest/doctest.h>

#include "foundation/texts.h"
#include "hostcfg/field_usage.h"
#include "hostcfg/tc_discovery.h"
#include "hostcfg_test_util.h"
#include "support/test_support.h"

namespace {

std::wstring Uses(const std::wstring& plugin) {
    std::wstring out;
    auto it = FieldUsageIndex.uses.find(plugin);
    if (it == FieldUsageIndex.uses.end()) return out;
    for (const auto& u : it->second) {
        out += std::to_wstring(u.place) + L"[" + u.where + L"]";
        for (const auto& f : u.fields) out += L" " + f;
        out += L"; ";
    }
    return out;
}

}  // namespace

TEST_CASE("references to content fields in INI values") {
    FieldUsageIndex = FieldUsage{};
    FieldUsageIndex.built = true;
    UsageParseRefs(L"[=tc.size] [=<fs>.x] [=Plug.Field.KB] [=Plug.Date:12] [=plug.Date:ab]", 5, L"w");
    UsageParseRefs(L"[=\"a]b\" plug.Quoted] [=\"open plug.X] [=nodot] [=.x] [=plug.]", 5, L"w");
    UsageParseRefs(L"[=Plug.Field]", 0, L"w");
    CHECK(Uses(L"plug") == L"5[w] Date Date:ab Field Quoted; 0[w] Field; ");
    CHECK(FieldUsageIndex.names[L"plug"] == L"Plug");
    CHECK(FieldUsageIndex.uses.size() == 1);
}

TEST_CASE("where TC's configuration uses each plugin's fields") {
    std::wstring dir = FreshTempDir(L"usage");
    WincmdIniPath = dir + L"\\wincmd.ini";
    WriteIniText(WincmdIniPath,
                 L"[CustomFields]\r\nTitles=Size| Version \r\nContents2=[=fileinfo.version]\r\n"
                 L"Contents1=[=fileinfo.version] [=FileInfo.size]\r\n"
                 L"[CustomFieldsMy view]\r\nRedirectSection=cols.ini\r\n"
                 L"[HintsCustomField]\r\n1exts=*.mp3\r\n1fields=[=audio.Title]\r\n2fields=[=audio.Artist]\r\n"
                 L"[RenameTemplates]\r\n1=[N] [=exif.Date:12]\r\n"
                 L"[searches]\r\nMySearch_plugin=fileinfo.size > 1 & !(\"fileinfo.date\" = 2) | x\r\n"
                 L"[ContentPlugins]\r\n0=[=fileinfo.never]\r\n[ContentPlugins64]\r\n0=[=fileinfo.never]\r\n"
                 L"[Other]\r\nKey=text [=audio.Title]\r\n",
                 true);
    WriteIniText(dir + L"\\cols.ini", L"[CustomFieldsMy view]\r\nContents1=[=audio.Album]\r\n", false);
    FieldUsageIndex.built = false;
    InitLanguage();
    REQUIRE(LangCode() == L"eng");
    int counts[UsePlaceCount];
    CHECK(FieldUsageCount(L"FILEINFO", counts, L"") == 3);
    CHECK(Uses(L"fileinfo") == L"0[Version] version; 0[Size] size version; 4[MySearch] date size; ");
    CHECK(Uses(L"audio") == L"0[y view: Contents1] Album; 1[*.mp3] Title; 1[2fields] Artist; 5[[Other] Key] Title; ");
    CHECK(Uses(L"exif") == L"3[[N] [=exif.Date:12]] Date; ");
    CHECK(FieldUsageCount(L"audio", counts, L"title") == 2);
    CHECK(counts[UseTip] == 1);
    CHECK(counts[UseOther] == 1);
    CHECK(counts[UseColumn] == 0);
    CHECK(FieldUsageTextFor(L"fileinfo", L"VERSION") == L"column view “Version”, column view “Size”");
    CHECK(FieldUsageText(L"exif", L"  ") == L"  rename template [N] [=exif.Date:12]: Date\r\n");
    CHECK(FieldUsageText(L"nobody", L"").empty());

    WincmdIniPath.clear();
    FieldUsageIndex.built = false;
    CHECK(FieldUsageCount(L"fileinfo", counts, L"") == 0);
    RemoveTree(dir);
}
