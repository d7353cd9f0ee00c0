// The usage record written by Quorlan.exe supervising the test program for
// real, and "Quorlan.exe /report" reading it.
#include <doctest/doctest.h>

#include <memory>
#include <string>

#include "WinTestSupport.h"
#include "usage/ReportCommand.h"
#include "usage/UsageLine.h"

using namespace ql::test;

namespace {

constexpr DWORD kScenarioTimeout = 30000;

ql::ParsedRecord ReadRecord(const ScratchFolder& folder) {
    ql::ParsedRecord parsed;
    ql::ParseUsageRecord(folder.Read("Quorlan.usage.csv"), parsed);
    return parsed;
}

DWORD RunQuiet(const std::string& command) {
    ChildProcess child(command);
    if (!child.Started() || !child.WaitForExit(30000)) return ~DWORD{0};
    return child.ExitCode();
}

// The ExemptGroups policy, set as an administrator's script would and
// removed before and after.
class ExemptGroupsPolicy {
public:
    explicit ExemptGroupsPolicy(const std::string& groups) {
        Remove();
        REQUIRE(RunQuiet("reg add HKLM\\Software\\Policies\\Quorlan /v ExemptGroups /t REG_SZ /d \"" + groups +
                         "\" /f") == 0);
    }
    ~ExemptGroupsPolicy() { Remove(); }
    ExemptGroupsPolicy(const ExemptGroupsPolicy&) = delete;
    ExemptGroupsPolicy& operator=(const ExemptGroupsPolicy&) = delete;

private:
    static void Remove() { RunQuiet("reg delete HKLM\\Software\\Policies\\Quorlan /f"); }
};

DWORD RunReport(const ScratchFolder& workingFolder, const std::string& arguments) {
    ChildProcess report("\"" + BinPath("Quorlan.exe") + "\" /report " + arguments, workingFolder.Path());
    REQUIRE(report.WaitForExit(30000));
    return report.ExitCode();
}

}  // namespace

TEST_CASE("each session's end is recorded: its program ended, closed for inactivity, open when Quorlan ended; then reported") {
    ScratchFolder folder;
    folder.Write("Quorlan.ini", IniText({"QLUsage", 0, 3}));
    auto ended = std::make_unique<TestAppProcess>(folder, "QLUsage", "--title Ended");
    TestAppProcess kept(folder, "QLUsage", "--title Kept");
    QuorlanProcess quorlan(folder);
    REQUIRE(quorlan.StatusWindow() != nullptr);
    REQUIRE(WaitForFileText(folder.File("Quorlan.exe.Log"), "Session found: \"Kept 1\"", kScenarioTimeout));
    REQUIRE(WaitForFileText(folder.File("Quorlan.exe.Log"), "Session found: \"Ended 1\"", kScenarioTimeout));

    ended->Terminate();
    REQUIRE(WaitUntil([&] { return folder.Exists("Quorlan.usage.csv"); }, kScenarioTimeout));
    ql::ParsedRecord record = ReadRecord(folder);
    REQUIRE(record.sessions.size() == 1);
    CHECK(record.sessions[0].how == ql::SessionEnd::ProgramEnded);
    CHECK(record.sessions[0].program == "QLUsage");
    CHECK(record.sessions[0].user.find('\\') != std::string::npos);
    CHECK_FALSE(record.sessions[0].machine.empty());

    ChildProcess closer("\"" + BinPath("Quorlan.exe") + "\" /close", folder.Path());
    REQUIRE(closer.WaitForExit(30000));
    REQUIRE(quorlan.WaitForExit(5000));
    record = ReadRecord(folder);
    REQUIRE(record.sessions.size() == 2);
    CHECK(record.sessions[1].how == ql::SessionEnd::QuorlanEnded);
    CHECK(record.unreadable == 0);

    ScratchFolder elsewhere;
    CHECK(RunReport(elsewhere, "7 \"" + folder.Path() + "\"") == static_cast<DWORD>(ql::report::kExitWritten));
    const std::string csv = folder.Read("Quorlan-usage.csv");
    CHECK(csv.find(",(all users),2,2,0,0,0\r\n") != std::string::npos);
    const std::string html = folder.Read("Quorlan-usage.html");
    CHECK(html.find("Max.Session = 3") != std::string::npos);
    CHECK_FALSE(elsewhere.Exists("Quorlan-usage.html"));
}

TEST_CASE("an idle session is recorded as closed for inactivity") {
    ScratchFolder folder;
    folder.Write("Quorlan.ini", IniText({"QLUsageIdle", 2}));
    TestAppProcess app(folder, "QLUsageIdle");
    QuorlanProcess quorlan(folder);
    REQUIRE(quorlan.StatusWindow() != nullptr);
    REQUIRE(app.WaitForExit(kScenarioTimeout));
    REQUIRE(WaitUntil([&] { return ReadRecord(folder).sessions.size() == 1; }, kScenarioTimeout));
    CHECK(ReadRecord(folder).sessions[0].how == ql::SessionEnd::Inactivity);
}

TEST_CASE("the report's exit codes: no record, days out of range") {
    ScratchFolder folder;
    CHECK(RunReport(folder, "") == static_cast<DWORD>(ql::report::kExitNoRecord));
    CHECK(RunReport(folder, "0") == static_cast<DWORD>(ql::report::kExitBadArguments));
    CHECK_FALSE(folder.Exists("Quorlan-usage.html"));
}

TEST_CASE("a member of an exempt group: the idle session stays open, and is counted when Quorlan ends") {
    const ExemptGroupsPolicy policy("CORP\\NoSuchGroup;S-1-1-0");  // Everyone
    ScratchFolder folder;
    folder.Write("Quorlan.ini", IniText({"QLUsageExempt", 2, 1}));
    TestAppProcess app(folder, "QLUsageExempt", "--windows 2");
    QuorlanProcess quorlan(folder);
    REQUIRE(quorlan.StatusWindow() != nullptr);
    const std::string log = folder.File("Quorlan.exe.Log");
    REQUIRE(WaitForFileText(log, "Exempt: this user belongs to \"S-1-1-0\"", kScenarioTimeout));
    CHECK(WaitForFileText(log, "Policy ExemptGroups: \"CORP\\NoSuchGroup\" names no group", 1000));
    REQUIRE(WaitForFileText(log, "Session found: \"Test Session 2\"", kScenarioTimeout));
    // The icon's tip says so.
    POINT at{};
    REQUIRE(FirstTrayIconPoint(at));
    const std::string exemptTip = "Quorlan - Exempt\nTracking 02 Active Sessions";
    std::string tip;
    WaitUntil([&] { return (tip = TipShownAt(at)) == exemptTip; }, 10000);
    CHECK(tip == exemptTip);
    // Idle three times its limit, and one session over the number allowed: nothing closes.
    CHECK_FALSE(WaitForFileText(log, "Closing begun", 6000));
    CHECK_FALSE(app.WaitForExit(0));
    CHECK(app.CountEvents("close ") == 0);
    CHECK(folder.Read("Quorlan.exe.Log").find("Closing begun") == std::string::npos);

    ChildProcess closer("\"" + BinPath("Quorlan.exe") + "\" /close", folder.Path());
    REQUIRE(closer.WaitForExit(30000));
    REQUIRE(quorlan.WaitForExit(5000));
    const ql::ParsedRecord record = ReadRecord(folder);
    REQUIRE(record.sessions.size() == 2);
    CHECK(record.sessions[0].how == ql::SessionEnd::QuorlanEnded);
    CHECK(record.sessions[1].how == ql::SessionEnd::QuorlanEnded);
}
