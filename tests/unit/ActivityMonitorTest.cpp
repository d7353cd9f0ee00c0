// Activity reports and the ageing of sessions, and binding the hook library.
#include <doctest/doctest.h>

#include "SupervisorFixture.h"

using namespace ql;
using namespace ql::test;

namespace {

struct StartedSession : SupervisorFixture {
    WindowId window = desktop.AddWindow("QLApp");
    StartedSession() { ScanAndStart(); }
};

}  // namespace

TEST_CASE("reports stamp their slot") {
    StartedSession f;
    CHECK(f.sessions[0].Started);
    CHECK(std::string(f.sessions[0].Status) == "Control Started");
    CHECK(f.sessions[0].StatusHold == 2);

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
    f.AgeTick();
    CHECK(f.sessions[0].IdleSecs == 1);
    CHECK(f.sessions[0].StatusHold == 1);
    CHECK(std::string(f.sessions[0].Status) == "Control Started");
    f.AgeTick();
    CHECK(f.sessions[0].IdleSecs == 2);
    CHECK(std::string(f.sessions[0].Status) == "2 secs. without activity");
    CHECK(f.view.Cell(grid::kStatusColumn, 1) == "2 secs. without activity");
}

TEST_CASE("activity between ticks brings the idle count back to zero and keeps it there") {
    StartedSession f;
    f.AgeTick();
    f.AgeTick();
    REQUIRE(f.sessions[0].IdleSecs == 2);
    for (int second = 0; second < 60; ++second) {
        f.Report(report::kKeyDown, 0);
        f.Report(report::kKeyDown, 0);
        f.AgeTick();
        REQUIRE(f.sessions[0].IdleSecs == 0);
    }
    CHECK(std::string(f.sessions[0].Status) == "Key Down");
    CHECK(f.sessions[0].CloseStage == 0);
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

TEST_CASE("a zero idle limit closes after the first idle second") {
    StartedSession f;
    f.setup.MaxInact = 0;
    f.AgeTick();
    CHECK(f.sessions[0].CloseStage == 1);
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

TEST_CASE("a repeated start answer restarts the idle count") {
    StartedSession f;
    f.AgeTick();
    f.AgeTick();
    f.Report(report::kControlStarted, 0);
    CHECK(f.sessions[0].IdleSecs == 0);
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
    };
    const Case cases[] = {
        {nullptr, "Error ! Can't open Lib. QL_lib.dll", "Error ! Can't open Lib. 'QL_lib.dll'", 0},
        {"_InterceptaR", "Error opening module  '_InterceptaR'", "Error opening module  '_InterceptaR'", 1},
        {"_InterceptaT", "Error opening module  '_InterceptaT'", "Error opening  module '_InterceptaT'", 2},
        {"_InterceptaM", "Error opening module  '_InterceptaM'", "Error opening module '_InterceptaM'", 3},
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
        CHECK(trail == EventTrail{std::string("log: ") + c.logText, std::string("box: ") + c.boxText});
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
