#include "usage/UsageLine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ql {


namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::size_t kColumns = 7;

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

struct EndName {
    SessionEnd how;
    const char* word;
};
constexpr EndName kEndNames[] = {
    {SessionEnd::Inactivity, "inactivity"}, {SessionEnd::Surplus, "surplus"},
    {SessionEnd::Killed, "killed"},         {SessionEnd::ByUser, "user"},
    {SessionEnd::ProgramEnded, "program"},  {SessionEnd::QuorlanEnded, "exit"},
};

bool ParseEnd(const std::string& word, SessionEnd& how) {
    for (const EndName& name : kEndNames) {
        if (word == name.word) {
            how = name.how;
            return true;
        }
    }
    return false;
}

bool ParseNumber(const std::string& text, long long lowest, long long highest, long long& value) {
    if (text.empty() || text.size() > 10) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    value = std::strtoll(text.c_str(), nullptr, 10);
    return value >= lowest && value <= highest;
}

// "YYYY-MM-DD HH:MM:SS", nothing more or less.
bool ParseStamp(const std::string& text, StampedTime& time) {
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':') {
        return false;
    }
    long long year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!ParseNumber(text.substr(0, 4), 1970, 9999, year) || !ParseNumber(text.substr(5, 2), 1, 12, month) ||
        !ParseNumber(text.substr(8, 2), 1, 31, day) || !ParseNumber(text.substr(11, 2), 0, 23, hour) ||
        !ParseNumber(text.substr(14, 2), 0, 59, minute) || !ParseNumber(text.substr(17, 2), 0, 60, second)) {
        return false;
    }
    time = StampedTime{static_cast<int>(year), static_cast<int>(month), static_cast<int>(day),
                       static_cast<int>(hour), static_cast<int>(minute), static_cast<int>(second)};
    return true;
}

bool SessionOfFields(const std::vector<std::string>& fields, UsageSession& session) {
    if (fields.size() != kColumns) return false;
    long long logon = 0;
    if (!ParseNumber(fields[2], 0, 0xFFFFFFFFLL, logon)) return false;
    if (!ParseStamp(fields[4], session.found) || !ParseStamp(fields[5], session.ended)) return false;
    if (!ParseEnd(fields[6], session.how)) return false;
    if (SecondsOf(session.ended) < SecondsOf(session.found)) return false;
    session.program = fields[0];
    session.user = fields[1];
    session.logonSession = static_cast<std::uint32_t>(logon);
    session.machine = fields[3];
    return true;
}

// Reads one record (a line, line breaks inside quotes included) from text at
// position; false at the end of the text. A quote left open runs to the end.
bool NextRecord(const std::string& text, std::size_t& position, std::vector<std::string>& fields) {
    fields.clear();
    if (position >= text.size()) return false;
    std::string field;
    bool quoted = false;
    while (position < text.size()) {
        const char c = text[position++];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (position < text.size() && text[position] == '"') {
                field += '"';
                ++position;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
        } else if (c == '\n') {
            break;
        } else if (c != '\r') {
            field += c;
        }
    }
    fields.push_back(std::move(field));
    return true;
}

}  // namespace

std::int64_t SecondsOf(const StampedTime& time) {
    return DaysFromCivil(time.year, static_cast<unsigned>(time.month), static_cast<unsigned>(time.day)) *
               kSecondsPerDay +
           time.hour * 3600 + time.minute * 60 + time.second;
}

std::int64_t DayOf(const StampedTime& time) {
    return DaysFromCivil(time.year, static_cast<unsigned>(time.month), static_cast<unsigned>(time.day));
}

StampedTime TimeOfSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / kSecondsPerDay;
    std::int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    // The inverse of DaysFromCivil.
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(z - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2);
    StampedTime time;
    time.year = static_cast<int>(year);
    time.month = static_cast<int>(month);
    time.day = static_cast<int>(day);
    time.hour = static_cast<int>(rest / 3600);
    time.minute = static_cast<int>(rest / 60 % 60);
    time.second = static_cast<int>(rest % 60);
    return time;
}

std::string FormatStamp(const StampedTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day, time.hour,
                  time.minute, time.second);
    return text;
}

const char* EndWord(SessionEnd how) {
    for (const EndName& name : kEndNames) {
        if (name.how == how) return name.word;
    }
    return "exit";
}

std::string CsvField(const std::string& text) {
    const bool needsQuotes = text.find_first_of(",\"\r\n") != std::string::npos ||
                             (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!needsQuotes) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string FormatUsageLine(const UsageSession& session) {
    std::string line = CsvField(session.program);
    line += ',';
    line += CsvField(session.user);
    line += ',';
    line += std::to_string(session.logonSession);
    line += ',';
    line += CsvField(session.machine);
    line += ',';
    line += FormatStamp(session.found);
    line += ',';
    line += FormatStamp(session.ended);
    line += ',';
    line += EndWord(session.how);
    line += "\r\n";
    return line;
}

void ParseUsageRecord(const std::string& text, ParsedRecord& into) {
    std::size_t position = 0;
    std::vector<std::string> fields;
    bool first = true;
    while (NextRecord(text, position, fields)) {
        const bool header = first && !fields.empty() && fields[0] == "program";
        first = false;
        if (header || (fields.size() == 1 && fields[0].empty())) continue;  // the header, a blank line
        UsageSession session;
        if (SessionOfFields(fields, session)) {
            into.sessions.push_back(std::move(session));
        } else {
            ++into.unreadable;
        }
    }
}

}  // namespace ql
