// The periodic scan: which windows make sessions, how slots are taken and
// freed, and what the scan reports.
#include <doctest/doctest.h>

#include "SupervisorFixture.h"

using namespace ql;
using namespace ql::test;

TEST_CASE("without a supervised program the scan only says so") {
    SupervisorFixture f("");
    f.desktop.AddWindow("QLAppMain");
    f.Scan();
    CHECK(f.view.caption == " - undefined - ");
    CHECK(f.TrayStates() == std::vector<std::string>{"CERRANDO"});
    CHECK(f.desktop.enumerations == 0);
    CHECK(f.sessions.TrackedCount() == 0);
}

TEST_CASE("the program setting is a prefix of the class name, letter case aside") {
    SupervisorFixture f("abz");
    const WindowId upper = f.desktop.AddWindow("ABZWindow", 10);
    const WindowId exact = f.desktop.AddWindow("abz", 11);
    f.desktop.AddWindow("xabz", 12);
    f.desktop.AddWindow("ab", 13);
    f.Scan();
    CHECK(f.sessions.TrackedCount() == 2);
    CHECK(f.sessions.SlotOf(upper) == 0);
    CHECK(f.sessions.SlotOf(exact) == 1);
    CHECK(f.view.caption == "abz");
}

TEST_CASE("a new session is hooked on its root's thread before the start message goes out") {
    SupervisorFixture f;
    const WindowId root = f.desktop.AddWindow("QLAppMain", 42);
    const WindowId popup = f.desktop.AddWindow("QLAppPopup", 42, root);
    f.desktop.AddWindow("QLAppDialog", 42, popup);  // owned by the owned popup
    std::size_t hooksWhenStarted = 0;
    f.desktop.onMessage = [&](const RecordedMessage& m) {
        if (m.message == kStart) hooksWhenStarted = f.library.installed.size();
    };
    f.Scan();
    CHECK(hooksWhenStarted == 2);

    REQUIRE(f.sessions.TrackedCount() == 1);
    const TSessionEntry& entry = f.sessions[0];
    CHECK(entry.Window == root);
    CHECK(entry.ProcessId == 42);
    CHECK_FALSE(entry.Started);
    REQUIRE(f.library.installed.size() == 2);
    CHECK(f.library.installed[0].kind == kKeyboardHook);
    CHECK(f.library.installed[0].procedure == FakeHookLibrary::AddressOf("_InterceptaT"));
    CHECK(f.library.installed[1].kind == kGetMessageHook);
    CHECK(f.library.installed[1].procedure == FakeHookLibrary::AddressOf("_InterceptaM"));
    CHECK(f.library.installed[0].thread == f.desktop.Find(root)->thread);
    CHECK(entry.KeyHook == f.library.installed[0].id);
    CHECK(entry.MsgHook == f.library.installed[1].id);

    const auto toRoot = f.desktop.MessagesTo(root);
    REQUIRE(toRoot.size() == 1);
    CHECK(toRoot[0].message == kStart);
    CHECK(toRoot[0].wParam == 0);
    CHECK(toRoot[0].lParam == static_cast<MessageLong>(kMainWindow));
    CHECK(f.TrayStates() == std::vector<std::string>{"ACTUALIZANDO", "NUEVO"});
    CHECK(f.tray.events.back() == std::make_pair(tray::kTip, std::string("Quorlan\nTracking 01 Active Sessions")));
}

TEST_CASE("a session keeps its slot while found and is freed by the first scan that misses it") {
    SupervisorFixture f;
    const WindowId first = f.desktop.AddWindow("QLApp", 1);
    f.Scan();
    CHECK_FALSE(f.sessions[0].IsNew);  // open before supervision began
    const WindowId second = f.desktop.AddWindow("QLApp", 2);
    f.Scan();
    CHECK(f.sessions[1].IsNew);
    f.Scan();
    CHECK(f.sessions.SlotOf(second) == 1);
    CHECK_FALSE(f.sessions[1].IsNew);
    CHECK(f.library.installed.size() == 4);  // hooked once only

    const HookId keyHook = f.sessions[0].KeyHook;
    const HookId msgHook = f.sessions[0].MsgHook;
    f.desktop.Destroy(first);
    f.Scan();
    CHECK(f.sessions[0].Window == 0);
    CHECK(f.sessions[0].Status[0] == '\0');
    CHECK(f.library.unhooked == std::vector<HookId>{msgHook, keyHook});  // get-message hook first
    CHECK(f.sessions.SlotOf(second) == 1);  // never moved
    CHECK(f.tray.events.back().second == "Quorlan\nTracking 01 Active Sessions");

    const WindowId third = f.desktop.AddWindow("QLApp", 3);
    f.Scan();
    CHECK(f.sessions.SlotOf(third) == 0);  // the first free slot
}

TEST_CASE("each installed hook is removed on its own") {
    struct Case {
        const char* name;
        int failingKind;   // hooks of this kind never installed
        bool unhookFails;  // every removal fails
        std::size_t attempts;
    };
    const Case cases[] = {
        {"the get-message hook never installed", kGetMessageHook, false, 1},
        {"the keyboard hook never installed", kKeyboardHook, false, 1},
        {"removing the get-message hook fails", -1, true, 2},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        SupervisorFixture f;
        f.library.failInstallKind = c.failingKind;
        const WindowId window = f.desktop.AddWindow("QLApp");
        f.Scan();
        const HookId keyHook = f.sessions[0].KeyHook;
        f.library.failUnhook = c.unhookFails;
        f.desktop.Destroy(window);
        f.Scan();
        CHECK(f.library.unhooked.size() == c.attempts);
        if (keyHook != 0) CHECK(f.library.unhooked.back() == keyHook);
        CHECK(f.sessions.TrackedCount() == 0);
    }
}

TEST_CASE("a session is tracked even when its hooks cannot be installed, and aged by foreground input") {
    SupervisorFixture f;
    f.library.failInstall = true;
    const WindowId window = f.desktop.AddWindow("QLApp");
    f.Scan();
    REQUIRE(f.sessions.SlotOf(window) == 0);
    CHECK(f.sessions[0].KeyHook == 0);
    CHECK(f.sessions[0].MsgHook == 0);
    // Nobody could answer a start message.
    CHECK(f.MessagesTo(window).empty());
    for (int second = 0; second <= f.setup.MaxInact; ++second) f.AgeTick();  // from its first whole second
    CHECK(f.sessions[0].CloseStage == 1);
}

TEST_CASE("a window destroyed while the scan looks at it makes no session and no hook") {
    SupervisorFixture f;
    const WindowId window = f.desktop.AddWindow("QLApp");
    f.desktop.Find(window)->thread = 0;  // the system no longer knows its thread
    f.Scan();
    CHECK(f.sessions.TrackedCount() == 0);
    CHECK(f.library.installed.empty());
    CHECK(f.desktop.MessagesTo(window).empty());
    CHECK(f.tray.events.back().second == "Quorlan\nTracking 00 Active Sessions");
}

TEST_CASE("a 31st session waits silently for a free slot") {
    SupervisorFixture f;
    std::vector<WindowId> windows;
    for (int i = 0; i < kSessionSlots + 1; ++i) windows.push_back(f.desktop.AddWindow("QLApp", 100 + i));
    f.Scan();
    CHECK(f.sessions.TrackedCount() == kSessionSlots);
    CHECK(f.sessions.SlotOf(windows.back()) == -1);
    CHECK(f.desktop.MessagesTo(windows.back()).empty());
    CHECK(f.library.installed.size() == 2u * kSessionSlots);
    CHECK(f.tray.events.back().second == "Quorlan\nTracking 30 Active Sessions");

    f.desktop.Destroy(windows[5]);
    f.Scan();  // frees slot 5; the waiting window was met before the sweep
    f.Scan();
    CHECK(f.sessions.SlotOf(windows.back()) == 5);
}

TEST_CASE("two matching windows of one tree found in the same scan do not make the session new") {
    SupervisorFixture f;
    f.Scan();
    const WindowId root = f.desktop.AddWindow("QLApp");
    f.desktop.AddWindow("QLAppPopup", 100, root);
    f.Scan();
    CHECK(f.sessions.TrackedCount() == 1);
    CHECK_FALSE(f.sessions[0].IsNew);
}

TEST_CASE("an owned overlapped window, and what it holds, belong to the owner's session") {
    SupervisorFixture f;
    const WindowId first = f.desktop.AddWindow("QLApp", 7);
    const WindowId second = f.desktop.AddWindow("QLApp", 7);
    const WindowId tool = f.desktop.AddOwnedOverlapped(first, "QLAppTool");
    const WindowId toolDialog = f.desktop.AddWindow("#32770", 7, tool);
    const WindowId toolEdit = f.desktop.AddChild(toolDialog, "Edit");
    f.desktop.AddOwnedOverlapped(second, "QLAppTool");
    REQUIRE(f.desktop.ParentOf(tool) == 0);  // as GetParent has it
    f.Scan();
    CHECK(f.sessions.TrackedCount() == 2);
    CHECK(f.sessions.SlotOf(tool) == -1);
    for (WindowId inside : {tool, toolDialog, toolEdit}) CHECK(WindowScan::RootOf(f.desktop, inside) == first);
    CHECK(f.MessagesTo(tool).empty());
}

TEST_CASE("a scan reads the class only of windows not seen before, and of all again when the program setting changes") {
    SupervisorFixture f;
    f.desktop.AddWindow("QLApp");
    const WindowId other = f.desktop.AddWindow("Other");
    f.Scan();
    CHECK(f.desktop.classReads == 2);
    const WindowId later = f.desktop.AddWindow("QLApp");
    f.Scan();
    CHECK(f.desktop.classReads == 3);
    CHECK(f.sessions.SlotOf(later) == 1);
    CopyText(f.setup.Program, "oth");
    f.Scan();
    CHECK(f.desktop.classReads == 6);
    CHECK(f.sessions.TrackedCount() == 1);
    CHECK(f.sessions.SlotOf(other) >= 0);
}

TEST_CASE("windows of other classes beyond what a scan remembers are read at every scan, and sessions still found") {
    SupervisorFixture f;
    const int others = static_cast<int>(OtherWindows::kCapacity) + 6;
    for (int i = 0; i < others; ++i) f.desktop.AddWindow("Other");
    const WindowId session = f.desktop.AddWindow("QLApp");
    f.Scan();
    CHECK(f.desktop.classReads == others + 1);
    f.Scan();
    CHECK(f.desktop.classReads == others + 1 + 6);
    CHECK(f.sessions.SlotOf(session) == 0);
}

TEST_CASE("the grid lists tracked sessions in slot order") {
    SupervisorFixture f;
    std::vector<WindowId> windows;
    for (int i = 0; i < 10; ++i) windows.push_back(f.desktop.AddWindow("QLApp", 100 + i, 0, "Title " + std::to_string(i)));
    f.Scan();
    for (int i = 0; i < 10; ++i) {
        if (i != 0 && i != 4 && i != 9) f.desktop.Destroy(windows[static_cast<std::size_t>(i)]);
    }
    f.Scan();
    CHECK(f.view.rows == 4);
    CHECK(f.sessions[0].Row == 1);
    CHECK(f.sessions[4].Row == 2);
    CHECK(f.sessions[9].Row == 3);
    CHECK(f.view.Cell(grid::kWindowColumn, 0) == "Window ID");
    CHECK(f.view.Cell(grid::kWindowColumn, 2) == std::to_string(windows[4]));
    CHECK(f.view.Cell(grid::kNameColumn, 3) == "Title 9");
    CHECK_FALSE(f.sessions.Refreshing);
}

TEST_CASE("a hidden grid gets no titles until it is shown") {
    SupervisorFixture f;
    f.view.showing = false;
    f.desktop.AddWindow("QLApp", 1, 0, "Report");
    f.Scan();
    CHECK(f.view.Cell(grid::kNameColumn, 1).empty());
    CHECK(f.view.Cell(grid::kWindowColumn, 1) == std::to_string(f.sessions[0].Window));
    f.view.showing = true;
    f.sessions.RefreshGrid(f.desktop);
    CHECK(f.view.Cell(grid::kNameColumn, 1) == "Report");
}

TEST_CASE("a parent chain that loops back on itself still ends") {
    FakeDesktop desktop;
    const WindowId a = desktop.AddWindow("QLApp");
    const WindowId b = desktop.AddWindow("QLApp", 100, a);
    desktop.Find(a)->parent = b;
    const WindowId root = WindowScan::RootOf(desktop, a);
    CHECK((root == a || root == b));
    desktop.Find(a)->ownedOverlapped = true;  // a cycle of owners alone
    const WindowId ownerRoot = WindowScan::RootOf(desktop, a);
    CHECK((ownerRoot == a || ownerRoot == b));
}
