#pragma once
// Where every part of the supervisor writes its log entries.

namespace ql {

class LogSink {
public:
    virtual ~LogSink() = default;
    // Appends one entry with the caller's finished text. True when the routine
    // ran to its end, also when the entry could not be stored.
    virtual bool WriteLog(const char* text) = 0;
};

}  // namespace ql
