#include <doctest/doctest.h>

#include <string>

#include "supervisor/SessionUsage.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeProcesses.h"
#include "tests/fakes/Recorders.h"
#include "usage/UsageRecord.h"

namespace ql::test {
namespace {

constexpr const char* kRecord = "C:\\Work\\Quorlan.usage.csv";
constexpr const char* kRolled = "C:\\Work\\Quorlan.usage.1.csv";
constexpr const char* kLock = "C:\\Work\\Quorlan.usage.lock";

UsageSession SessionOf(const std::string& user, SessionEnd how = SessionEnd::ByUser) {
    UsageSession session;
    session.program = "Notepad";
    session.user = user;
    session.logonSession = 3;
    session.machine = "TS01";
    session.found = StampedTime{2026, 12, 7, 8, 0, 5};
    session.ended = StampedTime{2026, 12, 7, 9, 30, 0};
    session.how = how;
    return session;
}

TEST_CASE("a session's line, and names that hold the separators read back whole") {
    CHECK(FormatUsageLine(SessionOf("CORP\\ana")) ==
          "Notepad,CORP\\ana,3,TS01,2026-12-07 08:00:05,2026-12-07 09:30:00,user\r\n");
    struct Case {
        const char* user;
        const char* field;
    };
    const Case cases[] = {
        {"CORP\\Smith, Ana", "\"CORP\\Smith, Ana\""},
        {"CORP\\the \"boss\"", "\"CORP\\the \"\"boss\"\"\""},
        {"CORP\\two\r\nlines", "\"CORP\\two\r\nlines\""},
        {" padded ", "\" padded \""},
        {"", ""},
    };
    for (const Case& c : cases) {
        CAPTURE(c.user);
        const std::string line = FormatUsageLine(SessionOf(c.user));
        CHECK(line.find(std::string(",") + c.field + ",3,") != std::string::npos);
        ParsedRecord parsed;
        ParseUsageRecord(std::string(kUsageHeader) + line + line, parsed);
        REQUIRE(parsed.sessions.size() == 2);
        CHECK(parsed.unreadable == 0);
        CHECK(parsed.sessions[1].user == c.user);
        CHECK(parsed.sessions[1].machine == "TS01");
        CHECK(parsed.sessions[1].how == SessionEnd::ByUser);
    }
}

TEST_CASE("lines that are not a session are counted, not taken") {
    const std::string good = FormatUsageLine(SessionOf("u"));
    const char* bad[] = {
        "Notepad,u,3,TS01,2026-12-07 08:00:05,2026-12-07 09:30:00\r\n",           // a column short
        "Notepad,u,3,TS01,2026-12-07 08:00:05,2026-12-07 09:30:00,user,x\r\n",    // one too many
        "Notepad,u,x3,TS01,2026-12-07 08:00:05,2026-12-07 09:30:00,user\r\n",     // session not a number
        "Notepad,u,3,TS01,2026-13-07 08:00:05,2026-12-07 09:30:00,user\r\n",      // month 13
        "Notepad,u,3,TS01,2026-12-07 10:00:05,2026-12-07 09:30:00,user\r\n",      // ends before it began
        "Notepad,u,3,TS01,2026-12-07 08:00:05,2026-12-07 09:30:00,vanished\r\n",  // unknown ending
        "Notepad,u,3,TS01,2026-12-07 08:00,2026-12-07 09:30:00,user\r\n",         // no seconds
    };
    for (const char* line : bad) {
        CAPTURE(line);
        ParsedRecord parsed;
        ParseUsageRecord(good + line + "\r\n" + good, parsed);
        CHECK(parsed.sessions.size() == 2);
        CHECK(parsed.unreadable == 1);
    }
}

TEST_CASE("calendar seconds run through month, year and leap-day ends") {
    const StampedTime times[] = {{1970, 1, 1, 0, 0, 0}, {2024, 2, 29, 23, 59, 59}, {2026, 12, 31, 12, 0, 1},
                                 {2100, 3, 1, 0, 0, 0}};
    for (const StampedTime& time : times) {
        const StampedTime back = TimeOfSeconds(SecondsOf(time));
        CHECK(FormatStamp(back) == FormatStamp(time));
    }
    CHECK(SecondsOf(StampedTime{2024, 3, 1, 0, 0, 0}) - SecondsOf(StampedTime{2024, 2, 28, 0, 0, 0}) == 2 * 86400);
    CHECK(SecondsOf(StampedTime{1970, 1, 2, 0, 0, 0}) == 86400);
}

struct RecordWorld {
    FakeFileSystem files{"C:\\Work"};
    RecordingLog log;
    UsageRecord record{files, log};
};

TEST_CASE("the first line makes the record with its header; later lines are appended") {
    RecordWorld world;
    world.record.Add(SessionOf("a"));
    world.record.Add(SessionOf("b"));
    CHECK(world.files.Content(kRecord) ==
          std::string(kUsageHeader) + FormatUsageLine(SessionOf("a")) + FormatUsageLine(SessionOf("b")));
    CHECK_FALSE(world.files.IsOpen(kRecord));
    CHECK_FALSE(world.files.IsOpen(kLock));
    CHECK(world.log.lines.empty());
}

TEST_CASE("lines are kept while another copy holds the lock or a reader the record, and written in order after") {
    for (const char* held : {kLock, kRecord}) {
        CAPTURE(held);
        RecordWorld world;
        world.files.SetFile(held, "");
        {
            auto holder = world.files.OpenExisting(held);
            world.record.Add(SessionOf("a"));
            world.record.Add(SessionOf("b"));
            CHECK(world.record.PendingLines() == 2);
            CHECK(world.log.lines.size() == 1);  // said once, not per line
        }
        CHECK(world.files.longestWait == usage::kBriefWaitMs);
        CHECK(world.record.Flush());
        CHECK(world.files.Content(kRecord) ==
              std::string(kUsageHeader) + FormatUsageLine(SessionOf("a")) + FormatUsageLine(SessionOf("b")));
        CHECK(world.log.lines.back().find("written again") != std::string::npos);
    }
}

TEST_CASE("kept lines are bounded: beyond the bound they are lost with one log line") {
    RecordWorld world;
    world.files.SetFile(kLock, "");
    auto holder = world.files.OpenExisting(kLock);
    for (std::size_t i = 0; i < usage::kMostPendingLines + 5; ++i) world.record.Add(SessionOf("a"));
    CHECK(world.record.PendingLines() == usage::kMostPendingLines);
    CHECK(world.log.lines.size() == 2);
    world.record.FlushAtExit();
    CHECK(world.files.longestWait == usage::kExitWaitMs);
    CHECK(world.log.lines.back() == "Usage record: 2005 sessions could not be written to Quorlan.usage.csv");
}

TEST_CASE("a record over its size rolls over to the .1 file, replacing the older one") {
    RecordWorld world;
    const std::string big = std::string(kUsageHeader) + std::string(usage::kRolloverSize, 'x');
    world.files.SetFile(kRolled, "oldest");
    SUBCASE("at its size it is still appended to") {
        world.files.SetFile(kRecord, big.substr(0, usage::kRolloverSize));
        world.record.Add(SessionOf("a"));
        CHECK(world.files.Content(kRecord).size() == usage::kRolloverSize + FormatUsageLine(SessionOf("a")).size());
        CHECK(world.files.Content(kRolled) == "oldest");
    }
    SUBCASE("one byte over, it becomes the .1 file and a new record begins") {
        world.files.SetFile(kRecord, big.substr(0, usage::kRolloverSize + 1));
        world.record.Add(SessionOf("a"));
        CHECK(world.files.Content(kRolled).size() == usage::kRolloverSize + 1);
        CHECK(world.files.Content(kRecord) == std::string(kUsageHeader) + FormatUsageLine(SessionOf("a")));
    }
    SUBCASE("when the .1 file is held, lines go on into the big record") {
        world.files.SetFile(kRecord, big.substr(0, usage::kRolloverSize + 1));
        auto reader = world.files.OpenExisting(kRolled);
        world.record.Add(SessionOf("a"));
        CHECK(world.record.PendingLines() == 0);
        CHECK(world.files.Content(kRecord).size() == usage::kRolloverSize + 1 + FormatUsageLine(SessionOf("a")).size());
    }
}

struct UsageWorld {
    UsageWorld() {
        clock.SetLocalNow(LocalTime{2026, 12, 7, 8, 0, 0, 0});
        CopyText(settings.Program, "Notepad");
    }
    FakeFileSystem files{"C:\\Work"};
    RecordingLog log;
    FakeClock clock;
    FakeProcessControl processes;
    UserSettings settings;
    UsageRecord record{files, log};
    SessionUsage usage{record, clock, processes, settings, UsageIdentity{"TS01", 4}};

    void At(int hour, int minute) { clock.SetLocalNow(LocalTime{2026, 12, 7, hour, minute, 0, 0}); }
    ParsedRecord Read() const {
        ParsedRecord parsed;
        ParseUsageRecord(files.Content(kRecord), parsed);
        return parsed;
    }
};

TEST_CASE("how a session ended follows what the supervisor did and whether its process lives") {
    UsageWorld world;
    world.processes.processes[201].ended = true;  // the program of slot 1 ended
    world.usage.Found(0, "CORP\\ana");
    world.usage.Found(1, "CORP\\ben");
    world.usage.Found(2, "CORP\\cy");
    world.usage.Found(3, "CORP\\dee");
    world.usage.Found(4, "CORP\\eve");
    world.usage.Found(5, "CORP\\fay");
    world.At(9, 15);
    world.usage.ClosingBegun(2, SessionEnd::Inactivity);
    world.usage.ClosingBegun(3, SessionEnd::Surplus);
    world.usage.ClosingBegun(4, SessionEnd::Inactivity);  // then used again: its closing is over
    world.usage.ClosingBegun(5, SessionEnd::Surplus);
    world.usage.Gone(0, 200, false);
    world.usage.Gone(1, 201, false);
    world.usage.Gone(2, 202, true);
    world.usage.Gone(3, 203, true);
    world.usage.Gone(4, 204, false);
    world.usage.ProcessEnded(5, true);
    world.usage.Gone(5, 205, false);  // already written by the kill step
    const ParsedRecord parsed = world.Read();
    REQUIRE(parsed.sessions.size() == 6);
    const SessionEnd expected[] = {SessionEnd::ByUser,     SessionEnd::ProgramEnded, SessionEnd::Inactivity,
                                   SessionEnd::Surplus,    SessionEnd::ByUser,       SessionEnd::Killed};
    for (std::size_t i = 0; i < 6; ++i) {
        CAPTURE(i);
        CHECK(parsed.sessions[i].how == expected[i]);
        CHECK(parsed.sessions[i].program == "Notepad");
        CHECK(parsed.sessions[i].machine == "TS01");
        CHECK(parsed.sessions[i].logonSession == 4);
        CHECK(FormatStamp(parsed.sessions[i].found) == "2026-12-07 08:00:00");
        CHECK(FormatStamp(parsed.sessions[i].ended) == "2026-12-07 09:15:00");
    }
    CHECK(parsed.sessions[0].user == "CORP\\ana");
}

TEST_CASE("a process that ends by itself after the close request ends for the closing's reason") {
    UsageWorld world;
    world.usage.Found(7, "u");
    world.usage.ClosingBegun(7, SessionEnd::Surplus);
    world.usage.ProcessEnded(7, false);
    REQUIRE(world.Read().sessions.size() == 1);
    CHECK(world.Read().sessions[0].how == SessionEnd::Surplus);
}

TEST_CASE("at Quorlan's end the sessions still open are written as ended by it, and only those") {
    UsageWorld world;
    world.usage.Found(0, "a");
    world.usage.Found(29, "b");
    world.usage.Found(3, "c");
    world.usage.Gone(3, 203, false);
    world.At(18, 0);
    world.usage.EndAll();
    const ParsedRecord parsed = world.Read();
    REQUIRE(parsed.sessions.size() == 3);
    CHECK(parsed.sessions[1].how == SessionEnd::QuorlanEnded);
    CHECK(parsed.sessions[2].user == "b");
    CHECK(FormatStamp(parsed.sessions[2].ended) == "2026-12-07 18:00:00");
    world.usage.EndAll();
    CHECK(world.Read().sessions.size() == 3);
}

}  // namespace
}  // namespace ql::test
