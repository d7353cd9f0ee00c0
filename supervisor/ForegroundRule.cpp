#include "supervisor/ForegroundRule.h"

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
    const bool logged = entry.NotHooked != HookRefusal::None;
    entry.NotHooked = reason;
    if (!entry.Started) {
        entry.Started = true;
        entry.IdleSecs = 0;
        entry.Activity = false;
    }
    if (!logged) {
        char text[160];
        std::snprintf(text, sizeof text, "Session %u not hooked (%s): supervised by foreground input",
                      static_cast<unsigned>(entry.Window), ReasonText(reason));
        m_log.WriteLog(text);
    }
    entry.StatusHold = 0;
    ShowReasons();
}

void ForegroundRule::CreditInput() {
    const std::uint32_t lastInput = m_desktop.LastInputTime();
    // The first reading has nothing to compare with: it counts as input.
    const bool input = !m_inputSeen || lastInput != m_lastInput;
    m_lastInput = lastInput;
    m_inputSeen = true;
    const WindowId foreground = m_desktop.Foreground();
    const WindowId foregroundRoot = foreground != 0 ? WindowScan::RootOf(m_desktop, foreground) : 0;
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        TSessionEntry& entry = m_sessions[slot];
        if (entry.Window == 0) continue;
        if (entry.NotHooked == HookRefusal::None) {
            CountUnanswered(slot);
        } else if (input && entry.Window != 0 &&
                   (entry.Window == foregroundRoot || entry.Window == m_lastForegroundRoot)) {
            // Input can be Quorlan's own key script, typed into the session in front.
            m_activity.Used(slot, entry.TypingKeys);
        }
    }
    m_lastForegroundRoot = foregroundRoot;
}

void ForegroundRule::CountUnanswered(int slot) {
    TSessionEntry& entry = m_sessions[slot];
    if (entry.Started) return;
    if (++entry.UnansweredTicks >= kStartAnswerTicks) Assign(slot, HookRefusal::NoAnswer);
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
