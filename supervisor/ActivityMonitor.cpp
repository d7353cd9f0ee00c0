#include "supervisor/ActivityMonitor.h"

#include <algorithm>
#include <cstdio>

#include "settings/Setup.h"
#include "supervisor/IdleWarning.h"
#include "supervisor/SessionAudit.h"

namespace ql {

void ActivityMonitor::OnReport(MessageWord wParam, MessageLong lParam) {
    const auto slotNumber = static_cast<std::uintptr_t>(lParam);  // a negative number becomes huge
    if (slotNumber >= static_cast<std::uintptr_t>(kSessionSlots)) return;
    const int slot = static_cast<int>(slotNumber);
    // A report still queued when the scan freed its slot belongs to no session.
    if (m_sessions[slot].Window == 0) return;
    switch (wParam) {
    case report::kControlStarted: HooksAnswered(slot); break;
    case report::kKeyDown:
        m_sessions.SetStatus(slot, "Key Down", 1);
        Used(slot);
        break;
    case report::kMouseClick:
        m_sessions.SetStatus(slot, "Mouse Click", 1);
        Used(slot);
        break;
    default:
        break;  // the echo of Quorlan's own keys (kOwnKeyDown), or nothing we know
    }
}

// Only the hooks Quorlan (or its companion) placed answer for a session: an
// answer for a session without hooks is another program's message, and must
// not end the supervision by foreground input that stands in for them.
void ActivityMonitor::HooksAnswered(int slot) {
    TSessionEntry& entry = m_sessions[slot];
    if (entry.KeyHook == 0 || entry.MsgHook == 0) return;
    const bool wasBlind = !entry.Started;
    entry.Started = true;
    entry.NotHooked = HookRefusal::None;  // its hooks work after all
    m_sessions.SetStatus(slot, "Control Started", 2);
    // Seen all along through the foreground rule: its count goes on.
    if (!wasBlind) return;
    // What the session did while Quorlan could not see is unknown: whatever
    // closing ran before is over, and the count begins again, from a whole second.
    entry.IdleSecs = 0;
    entry.Activity = true;
    entry.CloseStage = 0;
    entry.ClosingBegun = false;
}

void ActivityMonitor::Used(int slot) {
    TSessionEntry& entry = m_sessions[slot];
    entry.Activity = true;
    entry.AwaitingAnswer = false;
    StopClosing(slot);
}

void ActivityMonitor::LostSight(int slot) {
    TSessionEntry& entry = m_sessions[slot];
    entry.Started = false;
    entry.IdleSecs = 0;
    entry.Activity = false;
    entry.CloseStage = 0;
    entry.ClosingBegun = false;
    entry.AwaitingAnswer = false;
    entry.UnansweredTicks = 0;
}

void ActivityMonitor::StopClosing(int slot) {
    TSessionEntry& entry = m_sessions[slot];
    if (entry.CloseStage == 0) return;
    entry.CloseStage = 0;
    entry.IdleSecs = 0;
    m_audit.ClosingStopped(slot);
}

void ActivityMonitor::OnAgeTimer(int seconds) {
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        if (m_sessions[slot].Started && m_sessions[slot].CloseStage == 0) AgeSession(slot, seconds);
    }
    m_warning.ShowDue();
}

int ActivityMonitor::SecondsUntilDue() const {
    int due = kNothingDue;
    const int warnAt = m_warning.WarnAt();
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        const TSessionEntry& entry = m_sessions[slot];
        if (entry.Window == 0 || !entry.Started || entry.CloseStage != 0) continue;
        if (entry.Activity || entry.RestartIdleCount) return 1;
        if (m_setup.MaxInact > 0) due = std::min(due, m_setup.MaxInact - entry.IdleSecs);
        if (warnAt > entry.IdleSecs) due = std::min(due, warnAt - entry.IdleSecs);
    }
    return std::max(due, 1);
}

// A use in the seconds aged counts as one at their end: the session is aged
// from then on, never from an earlier moment.
void ActivityMonitor::AgeSession(int slot, int seconds) {
    TSessionEntry& entry = m_sessions[slot];
    entry.StatusHold = std::max(0, entry.StatusHold - seconds);
    if (entry.Activity) {
        entry.IdleSecs = 0;
        entry.Activity = false;
        entry.ClosingBegun = false;  // in use again: a later disappearance is not our closing
        m_warning.Used(slot);
        return;
    }
    if (entry.RestartIdleCount) {
        entry.RestartIdleCount = false;
        return;
    }
    // One second at a time, so that neither the warning nor the limit is passed over.
    for (int second = 0; second < seconds && entry.CloseStage == 0; ++second) {
        ++entry.IdleSecs;
        m_warning.Aged(slot);
        // A limit of 0 means no closing for inactivity (as 0 sessions means no limit).
        if (m_setup.MaxInact > 0 && entry.IdleSecs >= m_setup.MaxInact) entry.CloseStage = 1;
    }
    char text[kStatusCapacity];
    std::snprintf(text, sizeof text, "%u secs. without activity", static_cast<unsigned>(entry.IdleSecs));
    m_sessions.SetIdleStatus(slot, text);
}

}  // namespace ql
