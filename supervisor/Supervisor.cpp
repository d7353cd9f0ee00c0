#include "supervisor/Supervisor.h"

namespace ql {

Supervisor::Supervisor(const SupervisorServices& services, const TSetup& setup)
    : Sessions(services.view),
      Hooks(services.hookLibrary, services.companion, services.processes, services.log),
      Keys(services.keyboard, services.desktop),
      Closer(Sessions, services.desktop, Keys, services.processes, setup, services.log, services.tray),
      Activity(Sessions, setup),
      Foreground(Sessions, services.desktop, services.log),
      Scan(Sessions, Hooks, services.desktop, setup, services.tray, services.view, Closer, Foreground) {}

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
