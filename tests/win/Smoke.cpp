#include <doctest/doctest.h>
#include "WinTestSupport.h"
TEST_CASE("test program starts and shows its window") {
    ql::test::ChildProcess app(ql::test::BinPath("TestApp.exe") + " --class QLSmoke");
    REQUIRE(app.Started());
    CHECK(ql::test::WaitUntil([&] { return !ql::test::TopLevelWindowsOfClass("qlsmoke", app.Id()).empty(); }, 5000));
}
