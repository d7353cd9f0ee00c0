#include "supervisor/SessionAudit.h"

#include <cstdio>

#include "core/Text.h"
#include "shell/KillProcess.h"

namespace ql {

namespace {
constexpr std::size_t kAccountCapacity = 260;
}

const char* SessionAudit::TitleOf(int slot) {
    TSessionEntry& entry = m_sessions[slot];
    if (entry.Window != 0 && m_desktop.Exists(entry.Window)) {
        char title[kRecordedTitleCapacity] = {};
        m_desktop.TitleOf(entry.Window, title, static_cast<int>(sizeof title));
        // A title is the program's to choose: a line break in it would forge a log entry.
        for (char& c : title) {
            if (c != '\0' && IsControl(c)) c = ' ';
        }
        CopyText(entry.Title, title);
    }
    return entry.Title;
}

void SessionAudit::Found(int slot) {
    const ProcessId process = m_sessions[slot].ProcessId;
    char account[kAccountCapacity];
    if (!m_processes.AccountOf(process, account, sizeof account)) CopyText(account, "unknown");
    if (m_usage != nullptr) m_usage->Found(slot, account);
    m_record.Recordf(audit::kSessionFound, EventType::Information, "Session found: \"%s\" (process %u, user %s)",
                     TitleOf(slot), static_cast<unsigned>(process), account);
}

void SessionAudit::IdleClosingBegun(int slot) {
    TSessionEntry& entry = m_sessions[slot];
    entry.ClosingBegun = true;
    if (m_usage != nullptr) m_usage->ClosingBegun(slot, SessionEnd::Inactivity);
    m_record.Recordf(audit::kIdleClosingBegun, EventType::Warning, "Closing begun: \"%s\" was not used for %d s",
                     TitleOf(slot), entry.IdleSecs);
}

void SessionAudit::SurplusClosingBegun(int slot, int allowed) {
    m_sessions[slot].ClosingBegun = true;
    if (m_usage != nullptr) m_usage->ClosingBegun(slot, SessionEnd::Surplus);
    m_record.Recordf(audit::kSurplusClosingBegun, EventType::Warning,
                     "Closing begun: \"%s\" opened beyond the %d sessions allowed", TitleOf(slot), allowed);
}

void SessionAudit::KeysTyped(int slot, const char* script) {
    m_record.Recordf(audit::kKeysTyped, EventType::Information, "Keystrokes typed into \"%s\": %s", TitleOf(slot),
                     script);
}

void SessionAudit::KeysNotTyped(int slot, const char* reason, bool alsoInLog) {
    char line[512];
    std::snprintf(line, sizeof line, "Keystrokes not typed into \"%s\": %s", TitleOf(slot), reason);
    if (alsoInLog) {
        m_record.Record(audit::kKeysNotTyped, line, EventType::Warning);
    } else {
        m_record.EventOnly(audit::kKeysNotTyped, line, EventType::Warning);
    }
}

void SessionAudit::Gone(int slot) {
    if (m_usage != nullptr) m_usage->Gone(slot, m_sessions[slot].ProcessId, m_sessions[slot].ClosingBegun);
    if (!m_sessions[slot].ClosingBegun) return;
    m_sessions[slot].ClosingBegun = false;
    m_record.Recordf(audit::kSessionClosed, EventType::Information, "Session closed: \"%s\"", TitleOf(slot));
}

void SessionAudit::ClosingStopped(int slot) {
    m_sessions[slot].ClosingBegun = false;
    m_record.Recordf(audit::kClosingStopped, EventType::Information, "Closing stopped: \"%s\" was used", TitleOf(slot));
}

void SessionAudit::KillSkipped(int slot, KillSpared why) {
    m_record.Recordf(audit::kKillSkipped, EventType::Warning, "Process not ended: \"%s\" shares it with %s",
                     TitleOf(slot),
                     why == KillSpared::SessionInUse ? "another session in use" : "a window that is not being closed");
}

void SessionAudit::KillOutcome(int slot, int result) {
    TSessionEntry& entry = m_sessions[slot];
    const unsigned process = entry.ProcessId;
    if (result == kill::kFailed) {
        m_record.Recordf(audit::kKillFailed, EventType::Error,
                         "Kill step failed: \"%s\" (process %u) could not be ended", TitleOf(slot), process);
        return;
    }
    entry.ClosingBegun = false;  // recorded here, not again when the scan misses it
    if (m_usage != nullptr) m_usage->ProcessEnded(slot, result == kill::kTerminated);
    m_record.Recordf(audit::kSessionKilled, EventType::Warning, "Session ended by the kill step: \"%s\" (process %u)",
                     TitleOf(slot), process);
}

void SessionAudit::WarningShown(int slot, const char* balloonText) {
    m_record.Recordf(audit::kWarningShown, EventType::Information, "Warning shown for \"%s\": %s", TitleOf(slot),
                     balloonText);
}

void SessionAudit::WarningWithdrawn(int slot) {
    m_record.Recordf(audit::kWarningWithdrawn, EventType::Information, "Warning withdrawn: \"%s\" was used",
                     TitleOf(slot));
}

}  // namespace ql
