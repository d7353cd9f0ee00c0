#pragma once
// One line of the usage record, Quorlan.usage.csv: the life of one session of
// the supervised program, written when it ends. The record holds no window
// titles (they can name documents).
#include <cstdint>
#include <string>
#include <vector>

namespace ql {

// How a session ended.
enum class SessionEnd : std::uint8_t {
    Inactivity,     // closed by Quorlan for inactivity
    Surplus,        // refused: opened beyond the sessions allowed
    Killed,         // its process was ended by the kill step
    ByUser,         // its windows closed while its process lives on
    ProgramEnded,   // its process ended
    QuorlanEnded,   // still open when Quorlan ended
};

// A calendar time as the clock gives it, to the second; compared and
// subtracted as seconds from a fixed day.
struct StampedTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
// Seconds since 1970-01-01 00:00 of the same calendar (no time zone applied).
std::int64_t SecondsOf(const StampedTime& time);
StampedTime TimeOfSeconds(std::int64_t seconds);
// Days since 1970-01-01 of the time's date.
std::int64_t DayOf(const StampedTime& time);

struct UsageSession {
    std::string program;
    std::string user;  // DOMAIN\name, or "unknown"
    std::uint32_t logonSession = 0;
    std::string machine;
    StampedTime found;
    StampedTime ended;
    SessionEnd how = SessionEnd::QuorlanEnded;
};

// The first line of every record file.
constexpr char kUsageHeader[] = "program,user,logon_session,machine,found,ended,how\r\n";

// "2026-12-07 23:05:42"
std::string FormatStamp(const StampedTime& time);
const char* EndWord(SessionEnd how);

// One field as a spreadsheet reads it: quoted when it holds a comma, a quote,
// a line break or blanks at its ends, with quotes doubled.
std::string CsvField(const std::string& text);
// The session's line, "\r\n" included.
std::string FormatUsageLine(const UsageSession& session);

// What a record file's text gives: its sessions, and how many lines could not
// be read as one (a line cut short by a full disk, a hand-made edit).
struct ParsedRecord {
    std::vector<UsageSession> sessions;
    int unreadable = 0;
};
// Appends the sessions of one file's text (the header line is skipped).
void ParseUsageRecord(const std::string& text, ParsedRecord& into);

}  // namespace ql
