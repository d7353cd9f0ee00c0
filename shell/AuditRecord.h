#pragma once
// What the supervisor did, for the administrators: each action goes to the
// log file and, with its own message id, to the system's event log.
#include "platform/EventLog.h"
#include "shell/LogSink.h"

namespace ql {

// Message ids of the event log entries; the program's message table holds
// one "%1" message under each.
namespace audit {
constexpr unsigned kSessionFound = 100;
constexpr unsigned kIdleClosingBegun = 101;
constexpr unsigned kSurplusClosingBegun = 102;
constexpr unsigned kKeysTyped = 103;
constexpr unsigned kKeysNotTyped = 104;
constexpr unsigned kSessionClosed = 105;
constexpr unsigned kSessionKilled = 106;
constexpr unsigned kKillFailed = 107;
constexpr unsigned kWarningShown = 108;
constexpr unsigned kWarningWithdrawn = 109;
constexpr unsigned kReleaseCheckOff = 110;
constexpr unsigned kReleaseCheckFailed = 111;
constexpr unsigned kClosingStopped = 112;
constexpr unsigned kKillSkipped = 113;
}  // namespace audit

class AuditRecord {
public:
    AuditRecord(LogSink& log, EventLog& events) : m_log(log), m_events(events) {}

    // One log line and one event of the given id, with the same text.
    void Record(unsigned id, const char* text, EventType type = EventType::Information);
    // The event alone, for an action whose log line has a fixed text of its own.
    void EventOnly(unsigned id, const char* text, EventType type = EventType::Information);
    // printf-style forms of Record.
    void Recordf(unsigned id, EventType type, const char* format, ...) __attribute__((format(printf, 4, 5)));

private:
    LogSink& m_log;
    EventLog& m_events;
};

}  // namespace ql
