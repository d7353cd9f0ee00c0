// Column widths of the status grid.
#include <doctest/doctest.h>

#include <array>

#include "supervisor/GridLayout.h"

TEST_CASE("grid columns: a sixth for the window id (at most 64), the rest split two to one") {
    struct Case {
        int width;
        std::array<int, 3> columns;
    };
    for (const Case& c : {Case{600, {64, 357, 178}}, Case{300, {50, 166, 83}}, Case{5, {0, 3, 1}},
                          Case{384, {64, 213, 106}}, Case{0, {0, 0, 0}}}) {
        CAPTURE(c.width);
        CHECK(ql::GridColumnWidths(c.width) == c.columns);
    }
}
