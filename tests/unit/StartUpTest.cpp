// The order of start-up, its decisions, and the single-instance count.
#include <doctest/doctest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FakeProcesses.h"
#include "Recorders.h"
#include "TestSettings.h"
#include "core/Text.h"
#include "shell/AuditRecord.h"
#include "supervisor/CommandLine.h"
#include "supervisor/CountInstances.h"
#include "supervisor/StartUp.h"

using namespace ql;
using namespace ql::test;

namespace {

constexpr std::int64_t kNow = 1800000000;

class RecordingHost final : public StartUpHost {
public:
    explicit RecordingHost(EventTrail& trail) : m_trail(trail) {}
    TestSettings settings;
    bool bindSucceeds = true;
    bool checkOff = false;
    bool serverAnswers = true;

    const TSetup& CreateSetupDialog() override { return Step("setup dialog"), settings.setup; }
    void ShowSplash(SplashMode mode) override { Step("splash " + std::to_string(static_cast<int>(mode))); }
    bool ReleaseCheckOff() override { return checkOff; }
    bool UpdateRelease() override { return Step("release check"), serverAnswers; }
    void ShowSetupModal() override { Step("setup modal"); }
    void SetStatusBarText(const char* text) override { Step(std::string("status bar ") + text); }
    void SetTimerInterval(TimerId timer, unsigned ms) override {
        Step("interval " + std::to_string(static_cast<int>(timer)) + " " + std::to_string(ms));
    }
    void SetProgramCaption(const char* text) override { Step(std::string("caption ") + text); }
    void ResetSessions() override { Step("reset sessions"); }
    bool BindHookLib() override { return Step("bind"), bindSucceeds; }
    void EnableTimer(TimerId timer) override { Step("timer " + std::to_string(static_cast<int>(timer))); }
    void CreateTrayIcon() override { Step("tray icon"); }
    void RecordMainWindow() override { Step("main window"); }
    void WriteGridHeaders() override { Step("grid headers"); }
    void ClearRefreshing() override { Step("refreshing off"); }
    void PostTip(const char* text) override { Step(std::string("tip ") + text); }
    void LogTracking() override { Step("log tracking"); }

private:
    void Step(const std::string& what) { m_trail.push_back(what); }
    EventTrail& m_trail;
};

}  // namespace

TEST_CASE("only /close (or -close, any case, blanks around) asks the running copy to end; anything else starts") {
    for (const char* close : {"/close", "-close", "/CLOSE", "  /Close\t"}) {
        CAPTURE(std::string(close));
        CHECK(ParseCommandLine(close) == LaunchCommand::Close);
    }
    for (const char* scanOnly : {"/scan-only", "-SCAN-ONLY", " /scan-only "}) {
        CAPTURE(std::string(scanOnly));
        CHECK(ParseCommandLine(scanOnly) == LaunchCommand::StartScanOnly);
    }
    for (const char* start : {"", "/", "-", "/clos", "/closer", "close", "/close now", "//close", "/cl0se", "/scan",
                              "/scan-onlyx", "scan-only", "/close /scan-only"}) {
        CAPTURE(std::string(start));
        CHECK(ParseCommandLine(start) == LaunchCommand::Start);
    }
    CHECK(ParseCommandLine(nullptr) == LaunchCommand::Start);
}

TEST_CASE("start-up runs its steps in the fixed order") {
    EventTrail trail;
    RecordingLog log(&trail);
    RecordingEvents events;
    RecordingHost host(trail);
    CopyText(host.settings.setup.Program, "QLApp");
    host.settings.setup.SinchT = kNow - 10;
    CHECK(RunStartUp(host, log, events, kNow));
    const EventTrail expected{
        "log:  ",
        "log: -----------------------------------------------------",
        "log: Runing...",
        "setup dialog",
        "splash 0",
        "status bar Your Quorlan is up to date",
        "interval 1 5000",
        "caption QLApp",
        "reset sessions",
        "bind",
        "timer 1",
        "tray icon",
        "timer 4",
        "main window",
        "grid headers",
        "refreshing off",
        "tip Quorlan\nTracking 00 Active Sesions",
        "log tracking",
        "timer 2",
        "timer 3",
    };
    CHECK(trail == expected);
}

TEST_CASE("start-up checks for a release only when the last check is over 30 days old") {
    struct Case {
        std::int64_t age;
        bool checks;
    };
    for (const Case c : {Case{kReleaseCheckPeriod + 1, true}, Case{kNow, true}, Case{kReleaseCheckPeriod, false}}) {
        CAPTURE(c.age);
        EventTrail trail;
        RecordingLog log;
        RecordingEvents events;
        RecordingHost host(trail);
        host.settings.setup.SinchT = kNow - c.age;
        RunStartUp(host, log, events, kNow);
        CHECK(trail[1] == (c.checks ? "splash 1" : "splash 0"));
        CHECK((trail[2] == "release check") == c.checks);
    }
}

TEST_CASE("start-up asks for a program before binding, and names a known release") {
    EventTrail trail;
    RecordingLog log;
    RecordingEvents events;
    RecordingHost host(trail);
    host.settings.setup.SinchT = kNow;
    host.settings.setup.Upgrade = true;
    CopyText(host.settings.setup.ActRelease, "00.60.00");
    RunStartUp(host, log, events, kNow);
    CHECK(trail[2] == "setup modal");
    CHECK(trail[3] == "status bar New Release 00.60.00  Available. Visit www.quorlan.example to upgrade");
}

TEST_CASE("the status bar says the release is not known when the check is off or failed, and records why") {
    struct Case {
        bool checkOff;
        bool due;
        bool answers;
        const char* statusBar;
        unsigned eventId;  // 0: none
    };
    const Case cases[] = {
        {false, true, true, "status bar Your Quorlan is up to date", 0},
        {false, false, true, "status bar Your Quorlan is up to date", 0},
        {false, true, false, "status bar Latest release not known: the release check failed", audit::kReleaseCheckFailed},
        {true, false, true, "status bar Latest release not known: the release check is switched off", audit::kReleaseCheckOff},
        {true, true, true, "status bar Latest release not known: the release check is switched off", audit::kReleaseCheckOff},
    };
    for (const Case& c : cases) {
        CAPTURE(c.statusBar);
        EventTrail trail;
        RecordingLog log;
        RecordingEvents events;
        RecordingHost host(trail);
        CopyText(host.settings.setup.Program, "QLApp");
        // Without an answer, a newer release learnt long ago is no longer to be trusted.
        host.settings.setup.Upgrade = !c.answers;
        host.checkOff = c.checkOff;
        host.serverAnswers = c.answers;
        host.settings.setup.SinchT = c.due ? 0 : kNow;
        RunStartUp(host, log, events, kNow);
        CHECK(std::count(trail.begin(), trail.end(), std::string(c.statusBar)) == 1);
        CHECK(events.entries.size() == (c.eventId != 0 ? 1u : 0u));
        if (c.eventId == 0) continue;
        CHECK(events.entries[0].id == c.eventId);
        // The same words in the log, between the header and the settings summary.
        CHECK(std::count(log.lines.begin(), log.lines.end(), std::string(c.statusBar).substr(11)) == 1);
    }
}

TEST_CASE("start-up stops after a failed binding: no timer, no tray icon") {
    EventTrail trail;
    RecordingLog log;
    RecordingEvents events;
    RecordingHost host(trail);
    host.bindSucceeds = false;
    CHECK_FALSE(RunStartUp(host, log, events, kNow));
    CHECK(trail.back() == "bind");
}

TEST_CASE("instances are counted by executable name prefix, letter case aside") {
    FakeProcessList list;
    list.Add({"explorer.exe", "Quorlan.exe", "QUORLAN.EXE", "quorlan.exe.old", "Quorlan2.exe"});
    int count = -1;
    CHECK(CountInstances(list, count));
    CHECK(count == 3);

    list.snapshotFails = true;
    count = -1;
    CHECK_FALSE(CountInstances(list, count));
    CHECK(count == -1);
}

TEST_CASE("only copies in the caller's own log-on session count") {
    FakeProcessList list;
    list.Add({"Quorlan.exe"}, 2);             // the caller, in the second user's session
    list.Add({"Quorlan.exe", "explorer.exe"}, 1);  // the first user's copy
    list.Add({"quorlan.exe"}, 2);
    list.entries.push_back({"Quorlan.exe", 2, false});  // ended before it could be asked
    int count = -1;
    CHECK(CountInstances(list, count));
    CHECK(count == 2);

    SUBCASE("when the caller's own session cannot be told, every copy counts") {
        list.entries[0].sessionKnown = false;
        CHECK(CountInstances(list, count));
        CHECK(count == 4);
    }
}
