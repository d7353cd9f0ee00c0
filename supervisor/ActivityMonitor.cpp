#include "supervisor/ActivityMonitor.h"

#include <cstdio>

#include "settings/Setup.h"

namespace ql {

void ActivityMonitor::ActivityMessage(MessageWord wParam, MessageLong lParam) {
    const auto slotNumber = static_cast<std::uintptr_t>(lParam);  // a negative number becomes huge
    if (slotNumber >= static_cast<std::uintptr_t>(kSessionSlots)) return;
    const int slot = static_cast<int>(slotNumber);
    TSessionEntry& entry = m_sessions[slot];
    // A report still queued when the scan freed its slot belongs to no session.
    if (entry.Window == 0) return;
    switch (wParam) {
    case report::kControlStarted:
        entry.Started = true;
        entry.NotHooked = HookRefusal::None;  // its hooks work after all
        entry.IdleSecs = 0;
        entry.Activity = false;
        m_sessions.SetStatus(slot, "Control Started", 2);
        break;
    case report::kKeyDown:
        entry.Activity = true;
        m_sessions.SetStatus(slot, "Key Down", 1);
        break;
    case report::kMouseClick:
        entry.Activity = true;
        m_sessions.SetStatus(slot, "Mouse Click", 1);
        break;
    default:
        break;
    }
}

void ActivityMonitor::TActivityTimer() {
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        if (m_sessions[slot].Started && m_sessions[slot].CloseStage == 0) AgeSession(slot);
    }
}

void ActivityMonitor::AgeSession(int slot) {
    TSessionEntry& entry = m_sessions[slot];
    if (entry.StatusHold != 0) --entry.StatusHold;
    if (entry.Activity) {
        entry.IdleSecs = 0;
        entry.Activity = false;
        return;
    }
    ++entry.IdleSecs;
    char text[kStatusCapacity];
    std::snprintf(text, sizeof text, "%u secs. without activity", static_cast<unsigned>(entry.IdleSecs));
    m_sessions.SetIdleStatus(slot, text);
    if (entry.IdleSecs >= m_setup.MaxInact) entry.CloseStage = 1;
}

}  // namespace ql
