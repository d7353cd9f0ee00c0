// Activity reports and the ageing of sessions, and binding the hook library.
#include <doctest/doctest.h>

#include "SupervisorFixture.h"
#include "shell/AuditRecord.h"
#include "supervisor/IdleWarning.h"

using namespace ql;
using namespace ql::test;

namespace {

struct StartedSession : SupervisorFixture {
    WindowId window = desktop.AddWindow("QLApp");
    StartedSession() {
        ScanAndStart();
        AgeTick();  // the second under way when the hooks answered is not an idle one
    }
};

}  // namespace

TEST_CASE("reports stamp their slot") {
    StartedSession f;
    CHECK(f.sessions[0].Started);
    CHECK(f.sessions[0].IdleSecs == 0);
    CHECK(std::string(f.sessions[0].Status) == "Control Started");
    CHECK(f.sessions[0].StatusHold == 1);

    f.Report(report::kKeyDown, 0);
    CHECK(f.sessions[0].Activity);
    CHECK(std::string(f.sessions[0].Status) == "Key Down");
    CHECK(f.sessions[0].StatusHold == 1);

    f.sessions[0].Activity = false;
    f.Report(report::kMouseClick, 0);
    CHECK(f.sessions[0].Activity);
    CHECK(std::string(f.sessions[0].Status) == "Mouse Click");
    CHECK(f.view.Cell(grid::kStatusColumn, f.sessions[0].Row) == "Mouse Click");
}

TEST_CASE("reports for no tracked session change nothing") {
    StartedSession f;
    f.sessions[0].Activity = false;
    const TSessionEntry before = f.sessions[0];
    f.Report(report::kKeyDown, kSessionSlots);
    f.Report(report::kKeyDown, -1);
    f.Report(3, 0);  // unknown kind
    f.Report(report::kControlStarted, 29);  // a free slot: its report is stale
    CHECK_FALSE(f.sessions[0].Activity);
    CHECK(std::string(f.sessions[0].Status) == before.Status);
    CHECK_FALSE(f.sessions[29].Started);
    CHECK(f.sessions[29].Status[0] == '\0');
}

TEST_CASE("a report naming slot 29 is applied") {
    SupervisorFixture f;
    for (int i = 0; i < kSessionSlots; ++i) f.desktop.AddWindow("QLApp", 100 + i);
    f.Scan();
    f.Report(report::kControlStarted, 29);
    CHECK(f.sessions[29].Started);
}

TEST_CASE("idle seconds count up while the status hold runs out") {
    StartedSession f;
    f.sessions[0].StatusHold = 2;
    f.AgeTick();
    CHECK(f.sessions[0].IdleSecs == 1);
    CHECK(f.sessions[0].StatusHold == 1);
    CHECK(std::string(f.sessions[0].Status) == "Control Started");
    f.AgeTick();
    CHECK(f.sessions[0].IdleSecs == 2);
    CHECK(std::string(f.sessions[0].Status) == "2 secs. without activity");
    CHECK(f.view.Cell(grid::kStatusColumn, 1) == "2 secs. without activity");
}

TEST_CASE("the idle limit marks the session for closing on the tick that reaches it") {
    StartedSession f;
    f.setup.MaxInact = 45;
    for (int second = 1; second < 45; ++second) f.AgeTick();
    CHECK(f.sessions[0].CloseStage == 0);
    f.AgeTick();
    CHECK(f.sessions[0].IdleSecs == 45);
    CHECK(std::string(f.sessions[0].Status) == "45 secs. without activity");
    CHECK(f.sessions[0].CloseStage == 1);
    f.AgeTick();  // ageing pauses while closing
    CHECK(f.sessions[0].IdleSecs == 45);
}

TEST_CASE("an idle limit of 0 never closes a session for inactivity") {
    StartedSession f;
    f.setup.MaxInact = 0;
    for (int second = 0; second < 120; ++second) f.AgeTick();
    CHECK(f.sessions[0].IdleSecs == 120);
    CHECK(f.sessions[0].CloseStage == 0);
}

TEST_CASE("a session that never answered the start message is never aged") {
    SupervisorFixture f;
    f.desktop.AddWindow("QLApp");
    f.Scan();
    f.setup.MaxInact = 0;
    for (int i = 0; i < 5; ++i) f.AgeTick();
    CHECK(f.sessions[0].IdleSecs == 0);
    CHECK(f.sessions[0].CloseStage == 0);
}

TEST_CASE("a start answer restarts the idle count only of a session Quorlan could not see") {
    StartedSession f;
    f.AgeTick();
    f.AgeTick();
    f.Report(report::kControlStarted, 0);  // seen all along: a repeated answer
    CHECK(f.sessions[0].IdleSecs == 2);
    f.sessions[0].Started = false;  // its hooks went with the companion
    f.sessions[0].CloseStage = stage::kFirstRequestSent;
    f.Report(report::kControlStarted, 0);
    CHECK(f.sessions[0].IdleSecs == 0);
    CHECK(f.sessions[0].CloseStage == stage::kNone);
}

TEST_CASE("binding the hook library resolves the three procedures in order") {
    SupervisorFixture f;
    CHECK(f.library.resolved == std::vector<std::string>{"_InterceptaR", "_InterceptaT", "_InterceptaM"});
    CHECK(f.errors.boxes.empty());
}

TEST_CASE("a failed binding logs first, then shows the box, and resolves nothing further") {
    struct Case {
        const char* missing;
        const char* logText;
        const char* boxText;
        std::size_t resolved;
        const char* code;  // the system's, as the log line and the box end
    };
    const Case cases[] = {
        {nullptr, "Error ! Can't open Lib. QL_lib.dll", "Error ! Can't open Lib. 'QL_lib.dll'", 0, "126"},
        {"_InterceptaR", "Error opening module  '_InterceptaR'", "Error opening module  '_InterceptaR'", 1, "127"},
        {"_InterceptaT", "Error opening module  '_InterceptaT'", "Error opening  module '_InterceptaT'", 2, "127"},
        {"_InterceptaM", "Error opening module  '_InterceptaM'", "Error opening module '_InterceptaM'", 3, "127"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.logText);
        FakeHookLibrary library;
        FakeCompanionHost companion;
        FakeProcessControl processes;
        EventTrail trail;
        RecordingLog log(&trail);
        RecordingErrors errors(&trail);
        if (c.missing) library.exports.erase(c.missing); else library.loadable = false;
        HookBinding binding(library, companion, processes, log);
        CHECK_FALSE(binding.BindHookLib(errors));
        CHECK(trail == EventTrail{std::string("log: ") + c.logText + " (Windows error " + c.code + ")",
                                  std::string("box: ") + c.boxText + "\n\nWindows error " + c.code});
        CHECK(library.resolved.size() == c.resolved);
    }
}

TEST_CASE("shutting down unhooks every tracked session and frees the library") {
    SupervisorFixture f;
    f.desktop.AddWindow("QLApp", 1);
    f.desktop.AddWindow("QLApp", 2);
    f.Scan();
    f.supervisor.Shutdown();
    CHECK(f.library.unhooked.size() == 4);
    CHECK(f.library.released);
}

namespace {

// Sessions idle from their start, with a 10-second limit and a 4-second warning.
struct WarnedSessions : SupervisorFixture {
    WindowId invoice = desktop.AddWindow("QLApp", 7, 0, "Invoice 2041");
    WindowId letter = desktop.AddWindow("QLApp", 8, 0, "Letter");
    explicit WarnedSessions(int warning = 4) {
        setup.MaxInact = 10;
        setup.Warning = warning;
        ScanAndStart();
        AgeTick();  // the second of the answer
    }
    // Ages until a tick posts a balloon; the idle count it was posted at, or 0.
    int AgeUntilBalloon(int longest = 20) {
        const std::size_t before = tray.balloons.size();
        for (int i = 0; i < longest; ++i) {
            AgeTick();
            if (tray.balloons.size() != before) return sessions[0].IdleSecs;
        }
        return 0;
    }
    std::vector<std::string> Logged(unsigned id) const { return EventTexts(id); }
};

}  // namespace

TEST_CASE("the warning comes once, Warning seconds before the idle limit, which stays where it was") {
    WarnedSessions f;
    f.desktop.Destroy(f.letter);
    f.Scan();
    CHECK(f.AgeUntilBalloon() == 6);
    const std::string text = "\"Invoice 2041\" closes in 4 s unless it is used.";
    CHECK(f.tray.balloons == std::vector<std::string>{text});
    CHECK(f.Logged(audit::kWarningShown) == std::vector<std::string>{"Warning shown for \"Invoice 2041\": " + text});
    for (int second = 7; second < 10; ++second) f.AgeTick();
    CHECK(f.sessions[0].CloseStage == 0);
    f.AgeTick();
    CHECK(f.sessions[0].CloseStage == 1);  // at 10 s, as without a warning
    CHECK(f.tray.balloons.size() == 1);
}

TEST_CASE("no warning when Warning is off or not below the idle limit") {
    for (const int warning : {0, 10, 11, 999}) {
        CAPTURE(warning);
        WarnedSessions f(warning);
        for (int second = 0; second < 10; ++second) f.AgeTick();
        CHECK(f.sessions[0].CloseStage == 1);
        CHECK(f.tray.balloons.empty());
        CHECK(f.Logged(audit::kWarningShown).empty());
    }
}

TEST_CASE("sessions due in the same second share one balloon; a kept one leaves it, and is warned again later") {
    WarnedSessions f;
    REQUIRE(f.AgeUntilBalloon() == 6);
    CHECK(f.tray.balloons.back() == "\"Invoice 2041\" and \"Letter\" close in 4 s unless they are used.");
    CHECK(f.Logged(audit::kWarningShown).size() == 2);

    // Typing in one session: its warning goes, the balloon names the other alone.
    f.Report(report::kKeyDown, 1);
    f.AgeTick();
    CHECK(f.tray.balloons.back() == "\"Invoice 2041\" closes in 3 s unless it is used.");
    CHECK(f.Logged(audit::kWarningWithdrawn) == std::vector<std::string>{"Warning withdrawn: \"Letter\" was used"});
    // Then the other: no balloon stays behind.
    f.Report(report::kMouseClick, 0);
    f.AgeTick();
    CHECK(f.tray.balloons.back().empty());
    CHECK(f.sessions[0].CloseStage == 0);
    CHECK(f.sessions[1].CloseStage == 0);

    // A new idle stretch is warned again at its sixth second: the letter,
    // used a second earlier, first; then the invoice joins the balloon.
    CHECK(f.AgeUntilBalloon() == 5);
    CHECK(f.tray.balloons.back() == "\"Letter\" closes in 4 s unless it is used.");
    CHECK(f.AgeUntilBalloon() == 6);
    CHECK(f.tray.balloons.back() == "\"Invoice 2041\" and \"Letter\" close in 3 s unless they are used.");
    CHECK(f.Logged(audit::kWarningShown).size() == 4);
}

TEST_CASE("after a closing sequence that leaves the session open, its next idle stretch is warned again") {
    WarnedSessions f;
    f.desktop.Destroy(f.letter);
    f.Scan();
    for (int second = 0; second < 10; ++second) f.AgeTick();
    REQUIRE(f.sessions[0].CloseStage == 1);
    f.CloseTick();  // close request; the window stays
    f.CloseTick();  // no keys, no kill: the sequence ends, the count starts again
    REQUIRE(f.sessions[0].CloseStage == 0);
    REQUIRE(f.tray.balloons.size() == 1);
    CHECK(f.AgeUntilBalloon() == 6);
}

TEST_CASE("clicking the balloon counts as use of the sessions it still names and brings the first forward") {
    WarnedSessions f;
    const WindowId elsewhere = f.desktop.AddWindow("Editor", 99);
    f.desktop.BringToForeground(elsewhere);
    REQUIRE(f.AgeUntilBalloon() == 6);
    // The letter went meanwhile, and a new session took its slot: not named, not kept.
    f.desktop.Destroy(f.letter);
    f.Scan();
    const WindowId newcomer = f.desktop.AddWindow("QLApp", 9, 0, "Newcomer");
    f.ScanAndStart();
    REQUIRE(f.sessions[1].Window == newcomer);
    f.AgeTick();
    f.supervisor.OnBalloonClicked();
    CHECK(f.desktop.Foreground() == f.invoice);
    CHECK_FALSE(f.sessions[1].Activity);
    f.AgeTick();
    CHECK(f.sessions[0].IdleSecs == 0);
    for (int second = 0; second < 9; ++second) f.AgeTick();
    CHECK(f.sessions[0].CloseStage == 0);
}

TEST_CASE("the balloon text stays within the shell's limit however long or many the titles") {
    char text[kBalloonTextCapacity];
    const std::string longTitle(300, 'T');
    const char* one[] = {longTitle.c_str()};
    FormatWarningText(one, 1, 60, text);
    CHECK(std::string(text) == "\"" + std::string(57, 'T') + "...\" closes in 60 s unless it is used.");

    const std::string title(59, 'x');
    const char* many[kSessionSlots];
    for (const char*& t : many) t = title.c_str();
    FormatWarningText(many, kSessionSlots, 999, text);
    const std::string joined = text;
    CHECK(joined.size() <= 255);
    CHECK(joined.find(" and 27 more close in 999 s unless they are used.") != std::string::npos);
    CHECK(joined.rfind("\"" + title + "\", \"", 0) == 0);

    const char* two[] = {"A", "B"};
    FormatWarningText(two, 2, 5, text);
    CHECK(std::string(text) == "\"A\" and \"B\" close in 5 s unless they are used.");
}

TEST_CASE("the ageing timer waits for the nearest due second, and ages by several at once without passing it") {
    WarnedSessions f;  // idle limit 10, warned at 6
    f.desktop.Destroy(f.letter);
    f.Scan();
    CHECK(f.supervisor.SecondsUntilNextAge() == 6);
    f.supervisor.OnAgeTimer(6);
    CHECK(f.sessions[0].IdleSecs == 6);
    CHECK(f.tray.balloons.size() == 1);
    CHECK(f.supervisor.SecondsUntilNextAge() == 4);
    // A use in the seconds aged counts as one at their end.
    f.Report(report::kKeyDown, 0);
    CHECK(f.supervisor.SecondsUntilNextAge() == 1);
    f.supervisor.OnAgeTimer(3);
    CHECK(f.sessions[0].IdleSecs == 0);
    f.supervisor.OnAgeTimer(f.supervisor.SecondsUntilNextAge());
    f.supervisor.OnAgeTimer(f.supervisor.SecondsUntilNextAge());
    CHECK(f.sessions[0].IdleSecs == 10);
    CHECK(f.sessions[0].CloseStage == stage::kIdleLimitReached);
    CHECK(f.supervisor.ClosingUnderWay());
    // Nothing due: the longest wait.
    f.setup.MaxInact = 0;
    f.sessions[0].CloseStage = stage::kNone;
    CHECK(f.supervisor.SecondsUntilNextAge() == Supervisor::kLongestAgeWait);
}
