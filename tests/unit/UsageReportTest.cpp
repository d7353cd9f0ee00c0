#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "tests/fakes/FakeClock.h"
#include "settings/SettingKeys.h"
#include "supervisor/CommandLine.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeProfileStore.h"
#include "tests/fakes/FakeRegistry.h"
#include "usage/ReportCommand.h"
#include "usage/ReportPage.h"
#include "usage/UsageRecord.h"
#include "usage/UsageReport.h"

namespace ql::test {
namespace {

// A session of the user on 2026-12-07 from one hh:mm to another (a later
// day when to is 24:00 or more).
UsageSession Open(const char* user, int fromHour, int fromMinute, int toHour, int toMinute,
                  SessionEnd how = SessionEnd::ByUser) {
    const std::int64_t base = SecondsOf(StampedTime{2026, 12, 7, 0, 0, 0});
    UsageSession session;
    session.program = "Notepad";
    session.user = user;
    session.machine = "TS01";
    session.found = TimeOfSeconds(base + fromHour * 3600 + fromMinute * 60);
    session.ended = TimeOfSeconds(base + toHour * 3600 + toMinute * 60);
    session.how = how;
    return session;
}

const std::int64_t kDay = DayOf(StampedTime{2026, 12, 7, 0, 0, 0});

int PeakOnTheDay(const std::vector<UsageSession>& sessions) {
    std::vector<const UsageSession*> pointers;
    for (const UsageSession& s : sessions) pointers.push_back(&s);
    return PeakOpen(pointers, kDay * 86400, (kDay + 1) * 86400);
}

TEST_CASE("the peak of sessions open at once, from overlapping sessions of several users") {
    struct Case {
        const char* name;
        std::vector<UsageSession> sessions;
        int peak;
    };
    const std::vector<Case> cases = {
        {"no session", {}, 0},
        {"one session", {Open("a", 8, 0, 9, 0)}, 1},
        {"two users overlapping", {Open("a", 8, 0, 10, 0), Open("b", 9, 0, 11, 0)}, 2},
        {"one ends as the next is found: never two at once", {Open("a", 8, 0, 9, 0), Open("b", 9, 0, 10, 0)}, 1},
        {"three nested, one apart",
         {Open("a", 8, 0, 17, 0), Open("b", 9, 0, 12, 0), Open("a", 10, 0, 11, 0), Open("c", 13, 0, 14, 0)},
         3},
        {"many short ones inside one long",
         {Open("a", 8, 0, 18, 0), Open("b", 9, 0, 9, 30), Open("c", 9, 30, 10, 0), Open("b", 9, 45, 9, 50)},
         3},
        {"found and ended in the same second still counts", {Open("a", 8, 0, 8, 0)}, 1},
        {"from the day before into this one", {Open("a", -2, 0, 1, 0), Open("b", 0, 30, 2, 0)}, 2},
        {"overlapping only on the next day", {Open("a", 23, 0, 25, 0), Open("b", 24, 10, 26, 0)}, 1},
        {"wholly on another day", {Open("a", -5, 0, -1, 0), Open("b", 25, 0, 26, 0)}, 0},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        CHECK(PeakOnTheDay(c.sessions) == c.peak);
    }
}

TEST_CASE("the days' figures: machine-wide and per user, each session on every day it touches") {
    const std::vector<UsageSession> sessions = {
        Open("CORP\\ana", 8, 0, 12, 0, SessionEnd::Inactivity),
        Open("CORP\\ben", 9, 0, 9, 5, SessionEnd::Surplus),
        Open("CORP\\ana", 10, 0, 26, 0, SessionEnd::Killed),  // ends the next day
        Open("CORP\\ben", -30, 0, -29, 0),                     // before the period
    };
    const UsageReport report = ComputeReport(sessions, kDay + 1, 2);
    CHECK(report.sessions == 3);
    REQUIRE(report.machine.size() == 2);
    const DayFigures& first = report.machine[0];
    CHECK(first.day == kDay);
    CHECK(first.peak == 2);
    CHECK(first.opened == 3);
    CHECK(first.idleClosed == 1);
    CHECK(first.refused == 1);
    CHECK(first.killed == 0);
    const DayFigures& second = report.machine[1];
    CHECK(second.peak == 1);
    CHECK(second.opened == 0);
    CHECK(second.killed == 1);
    REQUIRE(report.users.at("CORP\\ana").size() == 2);
    CHECK(report.users.at("CORP\\ana")[0].peak == 2);
    REQUIRE(report.users.at("CORP\\ben").size() == 1);  // no row for a day without a session
    CHECK(report.users.at("CORP\\ben")[0].refused == 1);
}

TEST_CASE("the spreadsheet has one row per day for the machine and one per day and user") {
    const std::vector<UsageSession> sessions = {Open("CORP\\Smith, Ana", 8, 0, 9, 0), Open("b", 8, 30, 9, 30)};
    const std::string csv = ReportCsv(ComputeReport(sessions, kDay, 2));
    CHECK(csv ==
          "date,user,peak,opened,closed_inactive,refused,killed\r\n"
          "2026-12-06,(all users),0,0,0,0,0\r\n"
          "2026-12-07,(all users),2,2,0,0,0\r\n"
          "2026-12-07,\"CORP\\Smith, Ana\",1,1,0,0,0\r\n"
          "2026-12-07,b,1,1,0,0,0\r\n");
}

TEST_CASE("the page carries no script and shows user names as text") {
    const std::vector<UsageSession> sessions = {Open("<script>alert(1)</script>", 8, 0, 9, 0)};
    ReportContext context;
    context.folder = "C:\\ProgramData\\Quorlan";
    context.maxSession = 2;
    const std::string html = ReportHtml(ComputeReport(sessions, kDay, 30), context);
    CHECK(html.find("<script") == std::string::npos);
    CHECK(html.find("&lt;script&gt;alert(1)&lt;/script&gt;") != std::string::npos);
    CHECK(html.find("Max.Session = 2") != std::string::npos);
    CHECK(html.find("http://www.w3.org/2000/svg") != std::string::npos);  // a name, never fetched
    CHECK(html.find("src=") == std::string::npos);
}

TEST_CASE("report arguments: days first when given, then the folder") {
    struct Case {
        const char* arguments;
        bool valid;
        int days;
        const char* folder;
    };
    const Case cases[] = {
        {"", true, 30, ""},
        {"  7 ", true, 7, ""},
        {"90 C:\\Data\\TS01", true, 90, "C:\\Data\\TS01"},
        {"\"C:\\Program Data\\Quorlan\"", true, 30, "C:\\Program Data\\Quorlan"},
        {"14 \"D:\\usage records\"", true, 14, "D:\\usage records"},
        {"2024reports", true, 30, "2024reports"},
        {"0", false, 0, ""},
        {"3661", false, 0, ""},
        {"99999999999", false, 0, ""},
    };
    for (const Case& c : cases) {
        CAPTURE(c.arguments);
        ReportRequest request;
        REQUIRE(ParseReportArguments(c.arguments, request) == c.valid);
        if (!c.valid) continue;
        CHECK(request.days == c.days);
        CHECK(request.folder == c.folder);
    }
}

struct ReportWorld {
    ReportWorld() { clock.SetLocalNow(LocalTime{2026, 12, 7, 18, 0, 0, 0}); }
    FakeFileSystem files{"C:\\Work"};
    FakeClock clock;
    int Run(const char* folder = "") {
        ReportRequest request;
        request.folder = folder;
        return WriteUsageReport(files, clock, request, 2);
    }
};

TEST_CASE("the report's exit codes: written, no record, record unreadable, report not writable") {
    ReportWorld world;
    CHECK(world.Run() == report::kExitNoRecord);
    CHECK_FALSE(world.files.Exists("C:\\Work\\Quorlan-usage.html"));

    world.files.SetFile("C:\\Data\\Quorlan.usage.1.csv", std::string(kUsageHeader) + FormatUsageLine(Open("old", 8, 0, 9, 0)));
    world.files.SetFile("C:\\Data\\Quorlan.usage.csv", std::string(kUsageHeader) + FormatUsageLine(Open("new", 8, 30, 9, 30)));
    CHECK(world.Run("C:\\Data\\") == report::kExitWritten);
    const std::string csv = world.files.Content("C:\\Data\\Quorlan-usage.csv");
    CHECK(csv.find("2026-12-07,(all users),2,2,0,0,0\r\n") != std::string::npos);  // both files read
    CHECK(world.files.Content("C:\\Data\\Quorlan-usage.html").find("<h1>") != std::string::npos);

    {
        auto writer = world.files.OpenExisting("C:\\Data\\Quorlan.usage.csv");
        CHECK(world.Run("C:\\Data") == report::kExitUnreadable);
    }
    world.files.SetReadOnly("C:\\Data\\Quorlan-usage.html");
    CHECK(world.Run("C:\\Data") == report::kExitNotWritten);
}

}  // namespace
}  // namespace ql::test

namespace ql::test {
TEST_CASE("/report, with or without arguments after a blank, asks for the usage report") {
    struct Case {
        const char* line;
        LaunchCommand command;
        const char* rest;
    };
    const Case cases[] = {
        {"/report", LaunchCommand::Report, ""},
        {" -REPORT 7 C:\\Data", LaunchCommand::Report, " 7 C:\\Data"},
        {"/report\t\"D:\\x\"", LaunchCommand::Report, "\t\"D:\\x\""},
        {"/reports", LaunchCommand::Start, nullptr},
        {"/repor", LaunchCommand::Start, nullptr},
        {"report", LaunchCommand::Start, nullptr},
    };
    for (const Case& c : cases) {
        CAPTURE(c.line);
        const char* rest = nullptr;
        CHECK(ParseCommandLine(c.line, &rest) == c.command);
        if (c.rest != nullptr) {
            REQUIRE(rest != nullptr);
            CHECK(std::string(rest) == c.rest);
        }
    }
}

TEST_CASE("the report's limit: the folder's Quorlan.ini, overridden by a policy") {
    FakeProfileStore profile;
    FakeRegistry registry;
    CHECK(ConfiguredMaxSession(profile, registry, "C:\\Data") == 0);
    profile.SetText("C:\\Data\\Quorlan.ini", "[BasicSetUp]\r\nMax.Session=3\r\n");
    CHECK(ConfiguredMaxSession(profile, registry, "C:\\Data") == 3);
    profile.SetText("C:\\Data\\Quorlan.ini", "[BasicSetUp]\r\nMax.Session=300\r\n");
    CHECK(ConfiguredMaxSession(profile, registry, "C:\\Data") == 0);
    registry.SetNumber(RegistryRoot::LocalMachine, kPolicyKeyPath, "MaxSession", 5);
    CHECK(ConfiguredMaxSession(profile, registry, "C:\\Data") == 5);
}
}  // namespace ql::test
