#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "RecordingDesktop.h"
#include "keys/ActivateWindow.h"

TEST_CASE("ActivateWindow restores, shows, raises and focuses the window in that order") {
    ql::test::RecordingDesktop desktop;
    CHECK(ql::ActivateWindow(desktop, 42));
    const std::vector<std::string> expected = {
        "send 42 274 61776 42",  // WM_SYSCOMMAND SC_HOTKEY
        "send 42 274 61728 42",  // WM_SYSCOMMAND SC_RESTORE
        "show 42 5",
        "foreground 42",
        "focus 42",
    };
    CHECK(desktop.Calls() == expected);
}

TEST_CASE("ActivateWindow of no window does nothing") {
    ql::test::RecordingDesktop desktop;
    CHECK_FALSE(ql::ActivateWindow(desktop, 0));
    CHECK(desktop.Calls().empty());
}

TEST_CASE("ActivateWindowByTitle matches the beginning of a title without regard to case") {
    ql::test::RecordingDesktop desktop;
    desktop.AddWindow(5, "Save changes?");
    desktop.AddWindow(6, "Sav");
    CHECK_FALSE(ql::ActivateWindowByTitle(desktop, "save changes?!"));
    CHECK_FALSE(ql::ActivateWindowByTitle(desktop, ""));
    CHECK_FALSE(ql::ActivateWindowByTitle(desktop, nullptr));
    CHECK(desktop.Calls().empty());
    CHECK(ql::ActivateWindowByTitle(desktop, "SAVE"));
    CHECK(desktop.Foreground() == 5);
}
