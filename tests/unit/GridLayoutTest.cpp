// The status list's column widths and its text for the clipboard.
#include <doctest/doctest.h>

#include <array>

#include "supervisor/GridLayout.h"

namespace ql {

TEST_CASE("list columns: id and status as wide as their texts, the name the rest but never less than its own") {
    struct Case {
        std::array<int, 3> widest;
        int margin;
        int client;
        std::array<int, 3> columns;
    };
    const Case cases[] = {
        {{60, 100, 200}, 12, 500, {72, 216, 212}},   // room to spare goes to the name
        {{60, 100, 200}, 12, 300, {72, 112, 212}},   // too narrow: the name keeps its text, a scroll bar comes
        {{90, 150, 300}, 18, 0, {108, 168, 318}},    // 150 %: every text and margin scaled
        {{60, 100, 200}, 12, 396, {72, 112, 212}},   // exactly wide enough
    };
    for (const Case& c : cases) {
        CAPTURE(c.client);
        CHECK(ListColumnWidths(c.widest, c.margin, c.client) == c.columns);
    }
    CHECK(WidthShowingAll({60, 100, 200}, 12) == 396);
}

TEST_CASE("the widest status is the longest of every status the list shows") {
    const StatusRow widest = WidestStatusTexts();
    CHECK(widest[0] == "4294967295");
    CHECK(widest[2] == "No hooks (64-bit companion not answering): 999999 secs. idle");
}

TEST_CASE("copied rows: tab-separated cells, one line each, no stray breaks") {
    CHECK(RowsAsText({}).empty());
    CHECK(RowsAsText({{"65538", "Invoice\t2041", "Key Down"}, {"7", "two\r\nlines", ""}}) ==
          "65538\tInvoice 2041\tKey Down\r\n7\ttwo  lines\t\r\n");
}

}  // namespace ql
