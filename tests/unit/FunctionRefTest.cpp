// The enumeration callbacks' reference to a callable: it calls the very
// object it was made from, state and all.
#include <doctest/doctest.h>

#include "platform/FunctionRef.h"

TEST_CASE("a function reference calls the referenced callable, not a copy") {
    int total = 0;
    auto add = [&total](int amount) { return total += amount; };
    ql::FunctionRef<int(int)> ref = add;
    CHECK(ref(2) == 2);
    CHECK(ref(3) == 5);
    CHECK(total == 5);
}
