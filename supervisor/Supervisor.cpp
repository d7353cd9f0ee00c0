#include "supervisor/Supervisor.h"

namespace ql {

Supervisor::Supervisor(const SupervisorServices& services, const TSetup& setup)
    : m_sessions(services.view),
      m_record(services.log, services.events),
      m_audit(m_sessions, services.desktop, services.processes, m_record),
      m_warning(m_sessions, setup, services.desktop, services.tray, m_audit),
      m_hooks(services.hookLibrary, services.companion, services.processes, services.log),
      m_keys(services.keyboard, services.desktop),
      m_closer(m_sessions, services.desktop, m_keys, services.processes, setup, services.log, services.tray, m_audit),
      m_activity(m_sessions, setup, m_audit, m_warning),
      m_foreground(m_sessions, services.desktop, m_activity, services.log),
      m_scan(m_sessions, m_hooks, services.desktop, setup, services.tray, services.view, m_closer, m_audit,
             m_foreground),
      m_usage(services.usage) {
    m_audit.CountUsageIn(m_usage);
}

// Lines of the usage record that were kept while it was held go out with
// the next scan.
void Supervisor::OnScanTimer() {
    m_scan.OnScanTimer();
    if (m_usage != nullptr) m_usage->Flush();
}

void Supervisor::OnAgeTimer() {
    m_foreground.CreditInput();
    m_activity.OnAgeTimer();
    m_foreground.ShowReasons();
}

void Supervisor::Shutdown() {
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        if (m_sessions[slot].Window != 0) m_hooks.UnhookSession(m_sessions[slot]);
    }
    m_hooks.Release();
    if (m_usage != nullptr) m_usage->EndAll();
}

}  // namespace ql
