// Sessions found between scans, as the window system tells of windows shown,
// renamed and destroyed: tracked and hooked at once, a surplus one refused at
// once, a destroyed root's slot freed; the scan stays the net.
#include <doctest/doctest.h>

#include "SupervisorFixture.h"

using namespace ql;
using namespace ql::test;

namespace {

// Supervision of QLApp has begun: a first scan has run.
struct Supervising : SupervisorFixture {
    Supervising() { Scan(); }
    WindowId Open(ProcessId process, WindowId owner = 0) {
        const WindowId window = desktop.AddWindow("QLApp", process, owner);
        supervisor.OnWindowShown(window);
        return window;
    }
    std::string Tip() const {
        std::string tip;
        for (const auto& [kind, text] : tray.events) {
            if (kind == tray::kTip) tip = text;
        }
        return tip;
    }
};

}  // namespace

TEST_CASE("a session shown between scans is tracked, hooked and listed at once; the next scan keeps it as it is") {
    Supervising f;
    const WindowId window = f.desktop.AddWindow("QLApp", 42, 0, "Invoice");
    SUBCASE("shown") { f.supervisor.OnWindowShown(window); }
    SUBCASE("renamed") { f.supervisor.OnWindowRenamed(window); }
    REQUIRE(f.sessions.SlotOf(window) == 0);
    CHECK(f.library.installed.size() == 2);
    CHECK(f.MessagesTo(window) == std::vector<unsigned>{kStart});
    CHECK(f.view.Cell(grid::kWindowColumn, 1) == std::to_string(window));
    CHECK(f.view.Cell(grid::kNameColumn, 1) == "Invoice");
    CHECK(f.Tip() == "Quorlan\nTracking 01 Active Sessions");
    CHECK(f.TrayStates().back() == "NUEVO");
    CHECK(f.EventTexts(audit::kSessionFound).size() == 1);

    f.supervisor.OnWindowShown(window);  // told twice: still one session
    f.Scan();
    CHECK(f.sessions.TrackedCount() == 1);
    CHECK(f.library.installed.size() == 2);
    CHECK(f.MessagesTo(window) == std::vector<unsigned>{kStart});
    CHECK(f.EventTexts(audit::kSessionFound).size() == 1);
}

TEST_CASE("until a scan has begun supervising the program set now, a shown window waits for the scan") {
    SUBCASE("no scan yet: the sessions already open are not known") {
        SupervisorFixture f;
        f.setup.MaxSession = 1;
        const WindowId open = f.desktop.AddWindow("QLApp", 1);
        const WindowId shown = f.desktop.AddWindow("QLApp", 2);
        f.supervisor.OnWindowShown(shown);
        CHECK(f.sessions.TrackedCount() == 0);
        f.Scan();  // both were open when supervision began: none is surplus
        CHECK(f.MessagesTo(open) == std::vector<unsigned>{kStart});
        CHECK(f.MessagesTo(shown) == std::vector<unsigned>{kStart});
    }
    SUBCASE("another program chosen since the last scan") {
        Supervising f;
        CopyText(f.setup.Program, "QLOther");
        f.supervisor.OnWindowShown(f.desktop.AddWindow("QLOther", 2));
        CHECK(f.sessions.TrackedCount() == 0);
    }
    SUBCASE("no program set") {
        Supervising f;
        f.setup.Program[0] = '\0';
        f.supervisor.OnWindowShown(f.desktop.AddWindow("QLApp", 2));
        CHECK(f.sessions.TrackedCount() == 0);
    }
}

TEST_CASE("a shown window that makes no new session changes nothing") {
    Supervising f;
    const WindowId root = f.Open(1);
    f.desktop.messages.clear();
    const std::size_t hooks = f.library.installed.size();
    struct Case {
        const char* name;
        WindowId window;
    };
    const WindowId gone = f.desktop.AddWindow("QLApp", 3);
    f.desktop.Find(gone)->thread = 0;  // destroyed before the event is handled
    const Case cases[] = {
        {"another program's window", f.desktop.AddWindow("Notepad", 2)},
        {"a popup of a tracked session", f.desktop.AddWindow("QLAppPopup", 1, root)},
        {"a tool window of a tracked session", f.desktop.AddOwnedOverlapped(root, "QLAppTool")},
        {"a window gone before it was looked at", gone},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        f.supervisor.OnWindowShown(c.window);
        CHECK(f.sessions.TrackedCount() == 1);
        CHECK(f.library.installed.size() == hooks);
        CHECK(f.desktop.messages.empty());
    }
}

TEST_CASE("a surplus session is asked to close as it appears; only the newest, and sessions gone do not count") {
    Supervising f;
    f.setup.MaxSession = 2;
    const WindowId first = f.Open(1);
    const WindowId second = f.Open(2);
    CHECK(f.MessagesTo(second) == std::vector<unsigned>{kStart});

    const WindowId third = f.Open(3);
    CHECK(f.MessagesTo(third) == std::vector<unsigned>{kStart, msg::kShowWindow, msg::kClose});
    CHECK(f.EventTexts(audit::kSurplusClosingBegun).size() == 1);
    // Sessions found earlier were judged as they came.
    CHECK(f.MessagesTo(first) == std::vector<unsigned>{kStart});
    CHECK(f.MessagesTo(second) == std::vector<unsigned>{kStart});
    CHECK(f.sessions[f.sessions.SlotOf(third)].CloseStage == stage::kNone);

    f.Scan();  // the refused one is still open but no longer new
    CHECK(f.MessagesTo(third) == std::vector<unsigned>{kStart, msg::kShowWindow, msg::kClose});

    // Its window went without a word (an event missed): it counts no more.
    f.desktop.Destroy(third);
    f.desktop.Destroy(first);
    const WindowId fourth = f.Open(4);
    CHECK(f.MessagesTo(fourth) == std::vector<unsigned>{kStart});
    const WindowId fifth = f.Open(5);
    CHECK(f.MessagesTo(fifth) == std::vector<unsigned>{kStart, msg::kShowWindow, msg::kClose});
}

TEST_CASE("a destroyed root frees its slot at once; other windows destroyed change nothing") {
    Supervising f;
    const WindowId first = f.Open(1);
    const WindowId popup = f.desktop.AddWindow("QLAppPopup", 1, first);
    const WindowId second = f.Open(2);
    const HookId keyHook = f.sessions[0].KeyHook;
    const HookId msgHook = f.sessions[0].MsgHook;

    f.desktop.Destroy(popup);
    f.supervisor.OnWindowDestroyed(popup);
    f.supervisor.OnWindowDestroyed(second);  // told of it, but it exists: the handle names a window again
    f.supervisor.OnWindowDestroyed(0);
    CHECK(f.sessions.TrackedCount() == 2);
    CHECK(f.library.unhooked.empty());

    f.desktop.Destroy(first);
    f.supervisor.OnWindowDestroyed(first);
    CHECK(f.sessions[0].Window == 0);
    CHECK(f.library.unhooked == std::vector<HookId>{msgHook, keyHook});
    CHECK(f.Tip() == "Quorlan\nTracking 01 Active Sessions");
    CHECK(f.view.rows == 2);
    CHECK(f.sessions.SlotOf(second) == 1);
}

TEST_CASE("a session found by an event and gone unseen is freed by the next scan") {
    Supervising f;
    const WindowId window = f.Open(1);
    f.desktop.Destroy(window);
    f.Scan();
    CHECK(f.sessions.TrackedCount() == 0);
    CHECK(f.library.unhooked.size() == 2);
}
