#include "supervisor/Supervisor.h"

#include <algorithm>

namespace ql {

namespace {
constexpr const char* kAwaitingHooksStatusText = "Companion ended: waiting for hooks";
}

Supervisor::Supervisor(const SupervisorServices& services, const TSetup& setup)
    : m_sessions(services.view),
      m_record(services.log, services.events),
      m_audit(m_sessions, services.desktop, services.processes, m_record),
      m_warning(m_sessions, setup, services.desktop, services.tray, m_audit),
      m_hooks(services.hookLibrary, services.companion, services.processes, services.log),
      m_keys(services.keyboard, services.desktop),
      m_activity(m_sessions, setup, m_audit, m_warning),
      m_foreground(m_sessions, services.desktop, m_activity, services.log),
      m_closer(m_sessions, services.desktop, m_keys, services.processes, setup, services.log, services.tray, m_audit,
               m_foreground),
      m_scan(m_sessions, m_hooks, services.desktop, setup, services.tray, services.view, m_closer, m_audit,
             m_foreground),
      m_usage(services.usage) {
    m_audit.CountUsageIn(m_usage);
}

// Lines of the usage record that were kept while it was held go out with
// the next scan.
void Supervisor::OnScanTimer() {
    if (m_hooks.CompanionEnded()) LoseCompanionSessions();
    m_scan.OnScanTimer();
    if (m_usage != nullptr) m_usage->Flush();
}

void Supervisor::LookBeforeTick() {
    if (m_hooks.CompanionEnded()) LoseCompanionSessions();
    m_foreground.CreditInput();
}

void Supervisor::OnAgeTimer(int seconds) {
    LookBeforeTick();
    // Hooks the companion could not place yet, it may place now; a companion
    // that would not start is not asked again before the next scan.
    m_scan.PlaceAwaitingHooks();
    m_foreground.FallBackUnanswered(seconds);
    m_activity.OnAgeTimer(seconds);
    m_foreground.ShowReasons();
}

int Supervisor::SecondsUntilNextAge() const {
    return std::min({m_activity.SecondsUntilDue(), m_foreground.SecondsUntilFallBack(), kLongestAgeWait});
}

bool Supervisor::ClosingUnderWay() const {
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        if (m_sessions[slot].Started && m_sessions[slot].CloseStage != 0) return true;
    }
    return false;
}

void Supervisor::OnCloseTimer() {
    LookBeforeTick();
    m_closer.OnCloseTimer();
}

void Supervisor::OnReport(MessageWord kind, MessageLong slot) {
    // A session under the foreground rule may leave it now: input it had
    // since the last look is credited first, while the rule still counts it.
    if (kind == report::kControlStarted) m_foreground.CreditInput();
    m_activity.OnReport(kind, slot);
}

void Supervisor::OnBalloonClicked() {
    m_warning.BalloonClicked([this](int slot) { m_activity.Used(slot); });
}

// A new 64-bit session may need the companion: one that ended is seen to
// first, so that its sessions are placed again and the new one only once.
void Supervisor::CheckShownWindow(WindowId window) {
    if (m_hooks.CompanionEnded()) LoseCompanionSessions();
    m_scan.CheckShownWindow(window);
}

void Supervisor::OnForegroundChanged(WindowId window) { m_foreground.OnForegroundChanged(window); }

void Supervisor::LoseCompanionSessions() {
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        TSessionEntry& entry = m_sessions[slot];
        if (entry.Window == 0 || !entry.ViaCompanion) continue;
        entry.KeyHook = 0;
        entry.MsgHook = 0;
        entry.AwaitingHooks = true;
        // A session under the foreground rule is still seen through it.
        if (entry.NotHooked != HookRefusal::None) continue;
        m_activity.LostSight(slot);
        m_sessions.SetStatus(slot, kAwaitingHooksStatusText, 0);
    }
}

void Supervisor::Shutdown() {
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        if (m_sessions[slot].Window != 0) m_hooks.UnhookSession(m_sessions[slot]);
    }
    m_hooks.Release();
    if (m_usage != nullptr) m_usage->EndAll();
}

}  // namespace ql
