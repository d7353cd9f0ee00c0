#include "supervisor/ForegroundRule.h"

#include <algorithm>
#include <cstdio>

#include "supervisor/WindowScan.h"

namespace ql {

const char* ForegroundRule::ReasonText(HookRefusal reason) {
    switch (reason) {
    case HookRefusal::NoCompanion: return "no 64-bit companion";
    case HookRefusal::CompanionSilent: return "64-bit companion not answering";
    case HookRefusal::CompanionStarting: return "64-bit companion starting";
    case HookRefusal::AccessDenied: return "access denied";
    case HookRefusal::Refused: return "hooks refused";
    case HookRefusal::NoAnswer: return "hooks never answered";
    case HookRefusal::None: break;
    }
    return "";
}

void ForegroundRule::Assign(int slot, HookRefusal reason) {
    TSessionEntry& entry = m_sessions[slot];
    const bool logged = entry.NotHookedLogged;
    entry.NotHooked = reason;
    if (!entry.Started) {
        entry.Started = true;
        entry.IdleSecs = 0;
        entry.Activity = true;  // aged from its first whole second on
    }
    if (!logged) {
        entry.NotHookedLogged = true;
        char text[160];
        std::snprintf(text, sizeof text, "Session %u not hooked (%s): supervised by foreground input",
                      static_cast<unsigned>(entry.Window), ReasonText(reason));
        m_log.WriteLog(text);
    }
    entry.StatusHold = 0;
    ShowReasons();
}

// The event may come after its window went (a question answered at once):
// whose session it was cannot be told then, so it may have been any one's.
void ForegroundRule::OnForegroundChanged(WindowId window) {
    if (window == 0) return;
    if (!m_desktop.Exists(window)) {
        m_inFrontOverflow = true;
        return;
    }
    RecordInFront(WindowScan::RootOf(m_desktop, window));
}

void ForegroundRule::RecordInFront(WindowId root) {
    if (WasInFront(root)) return;
    if (m_inFrontCount == m_inFront.size()) {
        m_inFrontOverflow = true;
        return;
    }
    m_inFront[m_inFrontCount++] = root;
}

bool ForegroundRule::WasInFront(WindowId root) const {
    const auto recorded = m_inFront.begin() + static_cast<std::ptrdiff_t>(m_inFrontCount);
    return m_inFrontOverflow || std::find(m_inFront.begin(), recorded, root) != recorded;
}

// The window in front now is in front at the start of the next stretch too.
void ForegroundRule::StartRecord() {
    m_inFrontCount = 0;
    m_inFrontOverflow = false;
    const WindowId foreground = m_desktop.Foreground();
    if (foreground != 0) RecordInFront(WindowScan::RootOf(m_desktop, foreground));
}

void ForegroundRule::CreditInput() {
    const std::uint32_t lastInput = m_desktop.LastInputTime();
    // The first reading has nothing to compare with: it counts as input.
    const bool input = !m_inputSeen || lastInput != m_lastInput;
    m_lastInput = lastInput;
    m_inputSeen = true;
    if (input) {
        // The foreground may have changed without an event (where the system
        // tells none): the window in front now was in front too.
        OnForegroundChanged(m_desktop.Foreground());
        for (int slot = 0; slot < kSessionSlots; ++slot) {
            const TSessionEntry& entry = m_sessions[slot];
            if (entry.Window != 0 && entry.NotHooked != HookRefusal::None && WasInFront(entry.Window)) {
                m_activity.Used(slot);
            }
        }
    }
    StartRecord();
}

void ForegroundRule::NoteOwnInput() {
    m_lastInput = m_desktop.LastInputTime();
    m_inputSeen = true;
}

void ForegroundRule::FallBackUnanswered(int seconds) {
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        TSessionEntry& entry = m_sessions[slot];
        if (entry.Window == 0 || entry.Started || entry.NotHooked != HookRefusal::None) continue;
        entry.UnansweredTicks += seconds;
        if (entry.UnansweredTicks >= kStartAnswerTicks) Assign(slot, HookRefusal::NoAnswer);
    }
}

int ForegroundRule::SecondsUntilFallBack() const {
    int due = ActivityMonitor::kNothingDue;
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        const TSessionEntry& entry = m_sessions[slot];
        if (entry.Window == 0 || entry.Started || entry.NotHooked != HookRefusal::None) continue;
        // Hooks still to be placed are tried again at every tick.
        due = std::min(due, entry.AwaitingHooks ? 1 : kStartAnswerTicks - entry.UnansweredTicks);
    }
    return std::max(due, 1);
}

void ForegroundRule::ShowReasons() {
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        const TSessionEntry& entry = m_sessions[slot];
        if (entry.Window == 0 || entry.NotHooked == HookRefusal::None) continue;
        if (entry.CloseStage != 0 || entry.StatusHold != 0) continue;
        char text[kStatusCapacity];
        std::snprintf(text, sizeof text, "No hooks (%s): %u secs. idle", ReasonText(entry.NotHooked),
                      static_cast<unsigned>(entry.IdleSecs));
        m_sessions.SetStatus(slot, text, 0);
    }
}

}  // namespace ql
