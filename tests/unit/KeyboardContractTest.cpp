#include <doctest/doctest.h>

#include "tests/contract/KeyboardContract.h"
#include "tests/fakes/FakeKeyboard.h"

TEST_CASE("the fake keyboard has a US layout") {
    ql::test::FakeKeyboard keyboard;
    ql::test::CheckUsLayout(keyboard);
}

TEST_CASE("the fake keyboard's state reads back what was written") {
    ql::test::FakeKeyboard keyboard;
    ql::test::CheckKeyboardStateRoundTrip(keyboard);
}
