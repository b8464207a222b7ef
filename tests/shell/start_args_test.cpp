#include <doctest/doctest.h>

#include "shell/start_args.h"

TEST_CASE("start switches take their argument only when one follows") {
    StartArgs a = ParseStartArgs({L"k.exe", L"/DEBUG", L"/Preview", L"x.jpg", L"/lister", L"a", L"/lister", L"b",
                                  L"my.ini", L"other.ini", L"/install"});
    CHECK((a.debug && a.previewFile == L"x.jpg" && a.listerFile == L"b" && a.iniArg == L"my.ini"));
    a = ParseStartArgs({L"k.exe", L"/install", L"/debug", L"/lister"});
    CHECK((!a.debug && a.installPath == L"/debug" && a.iniArg == L"/lister"));
}
