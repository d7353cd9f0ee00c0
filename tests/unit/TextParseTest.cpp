#include <doctest/doctest.h>

#include <cstdint>
#include <limits>

#include "core/Text.h"

TEST_CASE("64-bit numbers are read leniently and saturate") {
    using ql::ParseLeadingInt64;
    CHECK(ParseLeadingInt64(" \t4102444800s") == 4102444800LL);
    CHECK(ParseLeadingInt64("-12") == -12);
    CHECK(ParseLeadingInt64("abc") == 0);
    CHECK(ParseLeadingInt64(nullptr) == 0);
    CHECK(ParseLeadingInt64("9223372036854775807") == std::numeric_limits<std::int64_t>::max());
    CHECK(ParseLeadingInt64("99999999999999999999") == std::numeric_limits<std::int64_t>::max());
    CHECK(ParseLeadingInt64("-9223372036854775808") == std::numeric_limits<std::int64_t>::min());
    CHECK(ParseLeadingInt64("-99999999999999999999") == std::numeric_limits<std::int64_t>::min());
}

TEST_CASE("32-bit numbers saturate at their own range") {
    CHECK(ql::ParseLeadingInt("2147483648") == std::numeric_limits<std::int32_t>::max());
    CHECK(ql::ParseLeadingInt("-2147483648") == std::numeric_limits<std::int32_t>::min());
    CHECK(ql::ParseLeadingInt("-2147483649") == std::numeric_limits<std::int32_t>::min());
    CHECK(ql::ParseLeadingInt("+07") == 7);
}
