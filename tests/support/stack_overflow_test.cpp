// A test program that dies of a stack overflow, which Wine ends with exit code 0:
// ctest must count it failed (the test is registered as one that must fail).
#include <doctest/doctest.h>

#pragma GCC diagnostic ignored "-Winfinite-recursion"

#include <string>

namespace {

std::wstring Deeper() { return Deeper(); }

}  // namespace

TEST_CASE("a stack overflow") { CHECK(Deeper().empty()); }
