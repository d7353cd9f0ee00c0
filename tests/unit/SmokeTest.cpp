#include <doctest/doctest.h>
#include "platform/FunctionRef.h"
TEST_CASE("function ref calls through") {
    int n = 0;
    auto add = [&](int k) { n += k; return n; };
    ql::FunctionRef<int(int)> ref = add;
    CHECK(ref(2) == 2);
}
