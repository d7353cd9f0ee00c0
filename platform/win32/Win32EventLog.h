#pragma once
// The application event log under the source "Quorlan", which the
// installer registers with the program's own message table.
#include <windows.h>

#include "platform/EventLog.h"

namespace ql::win32 {

class Win32EventLog final : public EventLog {
public:
    Win32EventLog() = default;
    Win32EventLog(const Win32EventLog&) = delete;
    Win32EventLog& operator=(const Win32EventLog&) = delete;
    ~Win32EventLog() override;

    void Report(EventType type, unsigned id, const char* text) override;

private:
    HANDLE m_source = nullptr;
    bool m_opened = false;  // opening is tried once; a failure is not retried
};

}  // namespace ql::win32
