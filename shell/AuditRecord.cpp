#include "shell/AuditRecord.h"

#include <cstdarg>
#include <cstdio>

namespace ql {

namespace {
// Titles are cut well before this; the event log takes far longer texts.
constexpr std::size_t kAuditLineCapacity = 512;
}  // namespace

void AuditRecord::Record(unsigned id, const char* text, EventType type) {
    m_log.WriteLog(text);
    m_events.Report(type, id, text);
}

void AuditRecord::EventOnly(unsigned id, const char* text, EventType type) { m_events.Report(type, id, text); }

void AuditRecord::Recordf(unsigned id, EventType type, const char* format, ...) {
    char line[kAuditLineCapacity];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    Record(id, line, type);
}

}  // namespace ql
