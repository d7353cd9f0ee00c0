#pragma once
// The periodic scan: finds the sessions of the supervised program among the
// top-level windows, hooks new ones, frees the slots of vanished ones.
#include "platform/Desktop.h"
#include "shell/TrayEvents.h"
#include "supervisor/HookBinding.h"
#include "settings/Setup.h"
#include "supervisor/SessionTable.h"

namespace ql {

class SessionCloser;
class SessionAudit;
class ForegroundRule;

// Class names are read into buffers of this many characters.
constexpr int kClassNameCapacity = 250;

class WindowScan {
public:
    WindowScan(SessionTable& sessions, HookBinding& hooks, Desktop& desktop, const TSetup& setup, TrayEvents& tray,
               StatusView& view, SessionCloser& closer, SessionAudit& audit, ForegroundRule& foreground)
        : m_sessions(sessions), m_hooks(hooks), m_desktop(desktop), m_setup(setup), m_tray(tray), m_view(view),
          m_closer(closer), m_audit(audit), m_foreground(foreground) {}

    // The window that receives the hook reports; sent with every start message.
    void SetMainWindow(WindowId window) { m_mainWindow = window; }

    void OnScanTimer();
    // Places the hooks of sessions still waiting for them (the companion was
    // starting, or ended and took their hooks along).
    void PlaceAwaitingHooks();
    // One top-level window of the enumeration.
    void CheckWindow(WindowId window);

    // The top of w's chain of parents and owners, as GetAncestor(GA_ROOTOWNER) finds it.
    static WindowId RootOf(Desktop& desktop, WindowId window);

private:
    void TrackNewSession(int slot, WindowId root, ThreadId thread, ProcessId process);
    // Hooks the session's thread and posts the start message; a session
    // that cannot be hooked goes to the foreground rule.
    void PlaceHooks(int slot, ThreadId thread);
    int SweepVanishedSessions();

    SessionTable& m_sessions;
    HookBinding& m_hooks;
    Desktop& m_desktop;
    const TSetup& m_setup;
    TrayEvents& m_tray;
    StatusView& m_view;
    SessionCloser& m_closer;
    SessionAudit& m_audit;
    ForegroundRule& m_foreground;
    WindowId m_mainWindow = 0;
    // The program the latest scan looked for; a scan for another one begins
    // the supervision of that program.
    char m_scannedProgram[sizeof(TSetup::Program)] = {};
};

}  // namespace ql
