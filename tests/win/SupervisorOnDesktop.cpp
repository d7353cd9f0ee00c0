// The supervisor's own objects on the real desktop, against the running test
// program: sessions found and freed, hooks answering, real input keeping a
// session alive, and idleness marking it for closing.
#include <doctest/doctest.h>

#include "LiveSupervisor.h"
#include "WinTestSupport.h"

using namespace ql;
using namespace ql::test;

namespace {

void ClickIn(HWND target) {
    BringForward(target);
    RECT rect;
    GetWindowRect(target, &rect);
    ClickAt(POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

}  // namespace

TEST_CASE("the scan tracks one session per window tree of the real program and frees vanished ones") {
    ScratchFolder folder;
    TestAppProcess app(folder, "QLScanA", "--windows 2 --popup");
    const auto roots = app.Windows();
    REQUIRE(roots.size() == 2);
    LiveSupervisor live("qlscana");
    REQUIRE(live.bound);

    live.Scan();
    CHECK(live.sessions.TrackedCount() == 2);
    CHECK(live.sessions.SlotOf(win32::ToWindowId(roots[0])) >= 0);
    CHECK(live.sessions.SlotOf(win32::ToWindowId(roots[1])) >= 0);
    CHECK(live.sessions[0].ProcessId == app.Id());
    CHECK(live.sessions[0].KeyHook != 0);
    CHECK(live.sessions[0].MsgHook != 0);

    // The program receives the start message with its slot and the report window.
    const std::string reportWindow = std::to_string(reinterpret_cast<UINT_PTR>(live.reports.Handle()));
    CHECK(app.WaitForEvent("start 1 " + reportWindow, 5000));
    CHECK(app.CountEvents("start 0 " + reportWindow) == 1);
    CHECK(live.WaitStarted(0));
    CHECK(live.WaitStarted(1));
    CHECK(std::string(live.sessions[0].Status) == "Control Started");

    const int closedSlot = live.sessions.SlotOf(win32::ToWindowId(roots[0]));
    PostMessageA(roots[0], WM_CLOSE, 0, 0);
    REQUIRE(WaitUntil([&] { return !IsWindow(roots[0]); }, 5000));
    live.Scan();
    CHECK(live.sessions.TrackedCount() == 1);
    CHECK(live.sessions[closedSlot].Window == 0);
}

TEST_CASE("a session whose window appears between two scans is listed and hooked without waiting for the scan") {
    ScratchFolder folder;
    LiveSupervisor live("QLBetween");
    REQUIRE(live.bound);
    live.Scan();  // supervision begins; no scan runs after this one
    REQUIRE(live.os.windowEvents.Watch(live.supervisor));
    TestAppProcess app(folder, "QLBetween", "--popup");
    const HWND root = app.Windows().at(0);
    const WindowId rootId = win32::ToWindowId(root);
    CHECK(WaitUntil([&] { return live.sessions.SlotOf(rootId) == 0 && live.sessions[0].Started; }, 5000));
    CHECK(live.sessions.TrackedCount() == 1);  // the popup belongs to its owner's session
    CHECK(live.view.Cell(grid::kWindowColumn, 1) == std::to_string(rootId));
    // The hook answers before the program's own window procedure records the message.
    CHECK(app.WaitForEvent("start 0 ", 5000));
    CHECK(app.CountEvents("start ") == 1);
    // Wine tells no other program of a window destroyed: the scan frees the slot there.
    live.os.windowEvents.Stop();
}

TEST_CASE("a 31st session of the real program waits until a slot is free") {
    ScratchFolder folder;
    TestAppProcess app(folder, "QLScanB", "--windows 31");
    const auto roots = app.Windows();
    REQUIRE(roots.size() == 31);
    LiveSupervisor live("QLScanB");
    REQUIRE(live.bound);

    live.Scan();
    CHECK(live.sessions.TrackedCount() == 30);
    HWND waiting = nullptr;
    for (HWND root : roots) {
        if (live.sessions.SlotOf(win32::ToWindowId(root)) < 0) waiting = root;
    }
    REQUIRE(waiting != nullptr);

    const int freedSlot = 7;
    const HWND closing = win32::ToHwnd(live.sessions[freedSlot].Window);
    PostMessageA(closing, WM_CLOSE, 0, 0);
    REQUIRE(WaitUntil([&] { return !IsWindow(closing); }, 5000));
    live.Scan();
    live.Scan();
    CHECK(live.sessions.SlotOf(win32::ToWindowId(waiting)) == freedSlot);
    CHECK(live.sessions.TrackedCount() == 30);
}

TEST_CASE("real key presses and clicks keep a session alive; without them it is marked for closing") {
    ScratchFolder folder;
    TestAppProcess app(folder, "QLActive");
    const HWND window = app.Windows().at(0);
    LiveSupervisor live("QLActive");
    REQUIRE(live.bound);
    live.settings.setup.MaxInact = 3;
    live.Scan();
    REQUIRE(live.WaitStarted(0));

    for (int second = 0; second < 5; ++second) {
        PressKey(window, 'A');
        REQUIRE(WaitUntil([&] { return live.sessions[0].Activity; }, 1000));
        PumpFor(300);
        live.supervisor.OnAgeTimer();
        CHECK(live.sessions[0].IdleSecs == 0);
    }
    CHECK(std::string(live.sessions[0].Status) == "Key Down");
    CHECK(app.CountEvents("keydown 65") >= 5);

    ClickIn(window);
    CHECK(WaitUntil([&] { return std::string(live.sessions[0].Status) == "Mouse Click"; }, 2000));
    PumpFor(500);  // the button's release reports too
    live.supervisor.OnAgeTimer();
    CHECK(live.sessions[0].IdleSecs == 0);

    for (int second = 0; second < 3; ++second) {
        PumpFor(1000);
        live.supervisor.OnAgeTimer();
    }
    CHECK(live.sessions[0].IdleSecs == 3);
    CHECK(live.sessions[0].CloseStage == 1);
}

TEST_CASE("the real hook library installs thread hooks only, never a global one") {
    win32::Win32HookLibrary library;
    REQUIRE(library.Load("QL_lib.dll"));
    const ProcAddress procedure = library.Resolve("_InterceptaM");
    REQUIRE(procedure != 0);
    CHECK(library.Install(kGetMessageHook, procedure, 0) == 0);
    const HookId own = library.Install(kGetMessageHook, procedure, GetCurrentThreadId());
    CHECK(own != 0);
    CHECK(library.Unhook(own));
}

TEST_CASE("two sessions of one program, typed into in turn: each keeps its own session alive") {
    ScratchFolder folder;
    TestAppProcess app(folder, "QLTwoTyped", "--windows 2");
    const auto windows = app.Windows();
    REQUIRE(windows.size() == 2);
    LiveSupervisor live("QLTwoTyped");
    REQUIRE(live.bound);
    live.settings.setup.MaxInact = 3;
    live.Scan();
    REQUIRE(live.WaitStarted(0));
    REQUIRE(live.WaitStarted(1));

    // Each window is typed into every other second: neither is idle for 3.
    for (int second = 0; second < 8; ++second) {
        const HWND target = windows[static_cast<size_t>(second % 2)];
        const int slot = live.sessions.SlotOf(win32::ToWindowId(target));
        REQUIRE(slot >= 0);
        live.sessions[slot].Activity = false;
        PressKey(target, 'A');
        CHECK(WaitUntil([&] { return live.sessions[slot].Activity; }, 1000));
        live.supervisor.OnAgeTimer();
    }
    for (int slot : {0, 1}) {
        CAPTURE(slot);
        CHECK(live.sessions[slot].IdleSecs <= 1);
        CHECK(live.sessions[slot].CloseStage == 0);
    }
}

TEST_CASE("closing with keystrokes leaves the session's and the user's maximised windows maximised") {
    ScratchFolder folder;
    TestAppProcess app(folder, "QLMaxSession", "--maximized");
    TestAppProcess other(folder, "QLMaxOther", "--maximized");
    const HWND session = app.Windows().at(0);
    const HWND users = other.Windows().at(0);
    LiveSupervisor live("QLMaxSession");
    REQUIRE(live.bound);
    live.Scan();
    REQUIRE(live.WaitStarted(0));
    SetForegroundWindow(users);
    REQUIRE(WaitUntil([&] { return GetForegroundWindow() == users; }, 2000));
    REQUIRE(IsZoomed(session));
    REQUIRE(IsZoomed(users));

    live.settings.setup.KeyGroup = 2;  // [Enter][Esc], into the session window: it has no dialog
    live.settings.setup.SendKeys = true;
    live.sessions[0].CloseStage = stage::kFirstRequestSent;  // the key script is next
    live.supervisor.OnCloseTimer();
    // The whole script reached the session before the foreground went back.
    CHECK(app.WaitForEvent("keydown 27", 3000));
    CHECK(app.CountEvents("keydown 13") == 1);
    PumpFor(300);
    CHECK(IsZoomed(session));
    CHECK(IsZoomed(users));
}

TEST_CASE("the real process list tells the log-on session of this program and of one it started alike") {
    ScratchFolder folder;
    TestAppProcess app(folder, "QLSessionOf");
    win32::Win32ProcessList list;
    std::uint32_t own = 0xFFFFFFFF;
    std::uint32_t started = 0xFFFFFFFE;
    REQUIRE(list.LogonSessionOf(list.CurrentProcess(), own));
    REQUIRE(list.LogonSessionOf(app.Id(), started));
    CHECK(own == started);
    bool listed = false;
    CHECK(list.ForEachProcess([&](const char*, ProcessId process) { listed = listed || process == app.Id(); }));
    CHECK(listed);
}
