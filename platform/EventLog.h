#pragma once
// The system's application event log, where administrators collect what
// programs on many machines did.

namespace ql {

enum class EventType { Error, Warning, Information };

class EventLog {
public:
    virtual ~EventLog() = default;
    // Adds one entry with the message id and its finished text. Never fails
    // in a way the caller sees: a log that cannot be reached loses the entry.
    virtual void Report(EventType type, unsigned id, const char* text) = 0;
};

}  // namespace ql
