// Where a session's hooks are placed (by Quorlan or by the 64-bit
// companion), what becomes of a session whose hooks cannot be placed, and
// the foreground rule that supervises it then.
#include <doctest/doctest.h>

#include <algorithm>

#include "SupervisorFixture.h"

using namespace ql;
using namespace ql::test;

namespace {

constexpr ProcessId kProcess64 = 64;
constexpr ProcessId kProcess32 = 32;

struct MixedFixture : SupervisorFixture {
    MixedFixture() { processes.processes[kProcess64].width = ProcessWidth::Bits64; }

    int LogLinesWith(const std::string& part) const {
        return static_cast<int>(std::count_if(log.lines.begin(), log.lines.end(),
                                              [&](const std::string& line) { return line.find(part) != std::string::npos; }));
    }
    int StartsPostedTo(WindowId window) const {
        const auto posted = MessagesTo(window);
        return static_cast<int>(std::count(posted.begin(), posted.end(), kStart));
    }
    // One second in which the user gave input (or not) with window in front.
    void SecondWithInput(WindowId foreground, bool input = true) {
        desktop.BringToForeground(foreground);
        if (input) desktop.lastInputTime += 100;
        Tick();
    }
};

}  // namespace

TEST_CASE("a 64-bit session is hooked by the companion, a 32-bit one by Quorlan, each before its start message") {
    MixedFixture f;
    const WindowId wide = f.desktop.AddWindow("QLApp", kProcess64);
    const WindowId narrow = f.desktop.AddWindow("QLApp", kProcess32);
    std::size_t companionHooksWhenStarted = 0;
    f.desktop.onMessage = [&](const RecordedMessage& m) {
        if (m.message == kStart && m.window == wide) companionHooksWhenStarted = f.companion.installed.size();
    };
    f.Scan();
    CHECK(f.companion.starts == 1);
    CHECK(companionHooksWhenStarted == 2);
    REQUIRE(f.companion.installed.size() == 2);
    CHECK(f.companion.installed[0].kind == kKeyboardHook);
    CHECK(f.companion.installed[1].kind == kGetMessageHook);
    CHECK(f.companion.installed[0].thread == f.desktop.Find(wide)->thread);
    REQUIRE(f.library.installed.size() == 2);
    CHECK(f.library.installed[0].thread == f.desktop.Find(narrow)->thread);
    CHECK(f.StartsPostedTo(wide) == 1);
    CHECK(f.StartsPostedTo(narrow) == 1);

    // A second 64-bit session uses the running host; each side removes its own hooks.
    f.desktop.AddWindow("QLApp", kProcess64);
    f.Scan();
    CHECK(f.companion.starts == 1);
    const HookId wideKey = f.sessions[0].KeyHook;
    const HookId narrowKey = f.sessions[1].KeyHook;
    f.desktop.Destroy(wide);
    f.desktop.Destroy(narrow);
    f.Scan();
    CHECK(f.companion.unhooked == std::vector<HookId>{f.companion.installed[1].id, wideKey});
    CHECK(f.library.unhooked == std::vector<HookId>{f.library.installed[1].id, narrowKey});

    // A program whose width cannot be read is hooked as the 32-bit one it most likely is.
    const WindowId unknown = f.desktop.AddWindow("QLApp", 96);
    f.processes.processes[96].width = ProcessWidth::Unknown;
    f.Scan();
    CHECK(f.library.installed.size() == 4);
    CHECK_FALSE(f.sessions[f.sessions.SlotOf(unknown)].ViaCompanion);
}

TEST_CASE("a companion that died is started again at the next scan and its sessions are hooked again") {
    MixedFixture f;
    const WindowId wide = f.desktop.AddWindow("QLApp", kProcess64);
    f.desktop.AddWindow("QLApp", kProcess32);
    f.ScanAndStart();
    f.companion.Die();
    f.Scan();
    CHECK(f.companion.starts == 2);
    CHECK(f.companion.installed.size() == 2);
    CHECK(f.sessions[0].KeyHook == f.companion.installed[0].id);
    CHECK(f.StartsPostedTo(wide) == 2);
    // Unaged until the new hooks answer, as a new session.
    CHECK_FALSE(f.sessions[0].Started);
    CHECK(f.sessions[1].Started);
    CHECK(f.library.installed.size() == 2);
    CHECK(f.library.unhooked.empty());
    f.Scan();
    CHECK(f.companion.starts == 2);  // told once only
}

TEST_CASE("a session whose hooks cannot be placed is listed with the reason, logged once and aged by the foreground") {
    struct Case {
        const char* name;
        ProcessId process;
        bool companionStartable;
        bool companionAnswers;
        const char* reason;
    };
    const Case cases[] = {
        {"no companion files", kProcess64, false, true, "no 64-bit companion"},
        {"a companion that does not answer", kProcess64, true, false, "64-bit companion not answering"},
        {"a program that runs with more rights", kProcess32, true, true, "access denied"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        MixedFixture f;
        f.companion.startable = c.companionStartable;
        f.companion.answers = c.companionAnswers;
        f.library.failInstallKind = kGetMessageHook;  // the keyboard hook alone would go in
        const WindowId root = f.desktop.AddWindow("QLApp", c.process);
        f.Scan();
        f.Scan();
        CHECK(f.StartsPostedTo(root) == 0);
        CHECK(f.sessions[0].Started);
        CHECK(f.sessions[0].KeyHook == 0);
        CHECK(f.sessions[0].MsgHook == 0);
        CHECK(f.library.unhooked.size() == f.library.installed.size());  // none left behind
        CHECK(f.LogLinesWith(std::string("not hooked (") + c.reason + ")") == 1);
        // An answer no hooks of Quorlan's gave is another program's: the rule stays.
        f.Report(report::kControlStarted, 0);
        CHECK(f.sessions[0].NotHooked != HookRefusal::None);
        f.SecondWithInput(0, false);  // the second the rule took over in is not idle
        f.SecondWithInput(0, false);
        CHECK(std::string(f.sessions[0].Status) == std::string("No hooks (") + c.reason + "): 1 secs. idle");
    }
}

TEST_CASE("foreground rule: input since the last look counts for every session that was in front meanwhile") {
    MixedFixture f;
    f.companion.startable = false;  // both sessions under the rule
    const WindowId a = f.desktop.AddWindow("QLApp", kProcess64);
    const WindowId aPopup = f.desktop.AddWindow("QLAppPopup", kProcess64, a);
    const WindowId b = f.desktop.AddWindow("QLApp", kProcess64);
    const WindowId other = f.desktop.AddWindow("Notepad", 7);
    f.desktop.BringToForeground(aPopup);
    f.Scan();
    const auto idleAfterLook = [&](int slot) {
        f.sessions[slot].Activity = false;
        f.sessions[slot].IdleSecs = 5;
        return slot;
    };
    const auto look = [&] {
        idleAfterLook(0);
        idleAfterLook(1);
        f.AgeTick();
        return std::vector<int>{f.sessions[0].IdleSecs, f.sessions[1].IdleSecs};
    };
    // The first look has nothing to compare with: it counts as input.
    CHECK(look() == std::vector<int>{0, 6});
    // No input: none, whatever was in front.
    f.desktop.BringToForeground(other);
    f.supervisor.OnForegroundChanged(other);
    CHECK(look() == std::vector<int>{6, 6});
    // In front only between two looks, told by the foreground event: it counts.
    f.desktop.BringToForeground(b);
    f.supervisor.OnForegroundChanged(b);
    f.desktop.lastInputTime += 10;
    f.desktop.BringToForeground(other);
    f.supervisor.OnForegroundChanged(other);
    CHECK(look() == std::vector<int>{6, 0});
    // Input while only another program was in front counts for none.
    f.desktop.lastInputTime += 10;
    CHECK(look() == std::vector<int>{6, 6});
    // A window gone before its session was known may have been either's.
    const WindowId question = f.desktop.AddModalDialog(a);
    f.desktop.Destroy(question);
    f.supervisor.OnForegroundChanged(question);
    f.desktop.lastInputTime += 10;
    CHECK(look() == std::vector<int>{0, 0});
}

TEST_CASE("hooks that never answer hand the session to the foreground rule; a late answer takes it back") {
    MixedFixture f;
    const WindowId root = f.desktop.AddWindow("QLApp", kProcess32);
    f.Scan();
    for (int tick = 1; tick < kStartAnswerTicks; ++tick) f.SecondWithInput(root, false);
    CHECK_FALSE(f.sessions[0].Started);
    CHECK(f.PlainLogLines().empty());
    f.SecondWithInput(root, false);
    CHECK(f.sessions[0].Started);
    CHECK(f.sessions[0].NotHooked == HookRefusal::NoAnswer);
    CHECK(f.LogLinesWith("not hooked (hooks never answered)") == 1);
    f.Report(report::kControlStarted, 0);
    CHECK(f.sessions[0].NotHooked == HookRefusal::None);
    CHECK(std::string(f.sessions[0].Status) == "Control Started");
}
