#pragma once
// The record of what the supervisor did to each session, naming the
// session's window title: one log line and one event for each action.
#include "platform/Desktop.h"
#include "platform/Processes.h"
#include "shell/AuditRecord.h"
#include "supervisor/SessionTable.h"
#include "supervisor/SessionUsage.h"

namespace ql {

class SessionAudit {
public:
    SessionAudit(SessionTable& sessions, Desktop& desktop, ProcessControl& processes, AuditRecord& record)
        : m_sessions(sessions), m_desktop(desktop), m_processes(processes), m_record(record) {}

    // The usage record hears of every session's life from here; none when null.
    void CountUsageIn(SessionUsage* usage) { m_usage = usage; }

    // The session window's title, read afresh while the window exists; the
    // last one read once it is gone. Control characters become blanks.
    const char* TitleOf(int slot);

    void Found(int slot);
    void IdleClosingBegun(int slot);
    void SurplusClosingBegun(int slot, int allowed);
    void KeysTyped(int slot, const char* script);
    // reason completes "Keystrokes not typed into "title": ".
    void KeysNotTyped(int slot, const char* reason, bool alsoInLog);
    // The session went: recorded as closed when we had asked it to close.
    void Gone(int slot);
    // A person's key or click ended the closing.
    void ClosingStopped(int slot);
    // Why the kill step left a process alone.
    enum class KillSpared { SessionInUse, OtherWindow };
    void KillSkipped(int slot, KillSpared why);
    // The outcome of the kill step (a kill:: result).
    void KillOutcome(int slot, int result);
    void WarningShown(int slot, const char* balloonText);
    void WarningWithdrawn(int slot);

private:
    SessionTable& m_sessions;
    Desktop& m_desktop;
    ProcessControl& m_processes;
    AuditRecord& m_record;
    SessionUsage* m_usage = nullptr;
};

}  // namespace ql
