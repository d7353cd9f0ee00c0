#include "supervisor/Supervisor.h"

namespace ql {

Supervisor::Supervisor(const SupervisorServices& services, const TSetup& setup)
    : Sessions(services.view),
      Record(services.log, services.events),
      Audit(Sessions, services.desktop, services.processes, Record),
      Warning(Sessions, setup, services.desktop, services.tray, Audit),
      Hooks(services.hookLibrary, services.companion, services.processes, services.log),
      Keys(services.keyboard, services.desktop),
      Closer(Sessions, services.desktop, Keys, services.processes, setup, services.log, services.tray, Audit),
      Activity(Sessions, setup, Audit, Warning),
      Foreground(Sessions, services.desktop, Activity, services.log),
      Scan(Sessions, Hooks, services.desktop, setup, services.tray, services.view, Closer, Audit, Foreground) {}

void Supervisor::TActivityTimer() {
    Foreground.CreditInput();
    Activity.TActivityTimer();
    Foreground.ShowReasons();
}

void Supervisor::Shutdown() {
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        if (Sessions[slot].Window != 0) Hooks.UnhookSession(Sessions[slot]);
    }
    Hooks.Release();
}

}  // namespace ql
