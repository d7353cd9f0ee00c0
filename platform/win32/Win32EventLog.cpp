#include "platform/win32/Win32EventLog.h"

namespace ql::win32 {

namespace {

constexpr const char* kEventSource = "Quorlan";

WORD EventTypeOf(EventType type) {
    switch (type) {
    case EventType::Error: return EVENTLOG_ERROR_TYPE;
    case EventType::Warning: return EVENTLOG_WARNING_TYPE;
    case EventType::Information: break;
    }
    return EVENTLOG_INFORMATION_TYPE;
}

}  // namespace

Win32EventLog::~Win32EventLog() {
    if (m_source != nullptr) ::DeregisterEventSource(m_source);
}

// A source nobody registered still takes entries on Windows (they show
// without their message text); a log that cannot be opened at all loses them.
void Win32EventLog::Report(EventType type, unsigned id, const char* text) {
    if (!m_opened) {
        m_opened = true;
        m_source = ::RegisterEventSourceA(nullptr, kEventSource);
    }
    if (m_source == nullptr) return;
    const char* strings[] = {text};
    ::ReportEventA(m_source, EventTypeOf(type), 0, id, nullptr, 1, 0, strings, nullptr);
}

}  // namespace ql::win32
