#include <doctest/doctest.h>

#include "shell/start_args.h"

TEST_CASE("start switches take their argument only when one follows") {
    StartArgs a = ParseStartArgs({L"k.exe", L"/DEBUG", L"/Preview", L"C:\\x.jpg", L"my.ini", L"other.ini"});
    CHECK(a.debug);
    CHECK(a.previewFile == L"C:\\x.jpg");
    CHECK(a.iniArg == L"my.ini");

    a = ParseStartArgs({L"k.exe", L"/lister", L"a.txt", L"/lister", L"b.txt", L"/install"});
    CHECK(a.listerFile == L"b.txt");
    CHECK(a.iniArg == L"/install");  // a switch without its argument is an ordinary argument
    CHECK_FALSE(a.debug);

    a = ParseStartArgs({L"k.exe", L"/install", L"/debug"});
    CHECK(a.installPath == L"/debug");
    CHECK_FALSE(a.debug);
    CHECK(ParseStartArgs({}).iniArg.empty());
}
