#pragma once
// The periodic scan: finds the sessions of the supervised program among the
// top-level windows, hooks new ones, frees the slots of vanished ones. The
// window events told between scans do the same for one window at once; the
// scan stays as the net for whatever an event missed.
#include "platform/Desktop.h"
#include "shell/TrayEvents.h"
#include "supervisor/HookBinding.h"
#include "settings/Setup.h"
#include "supervisor/OtherWindows.h"
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
    // A top-level window was shown or renamed between scans: a new session
    // is tracked and hooked at once, and refused at once when it is surplus.
    // Nothing happens until a scan has begun the supervision of the program
    // set now: only then are the sessions open before it known.
    void CheckShownWindow(WindowId window);
    // A window was destroyed: when it was a session's root, the session is
    // gone and its slot freed, as the next scan's sweep would do.
    void ForgetDestroyedRoot(WindowId window);

    // The top of w's chain of parents and owners, as GetAncestor(GA_ROOTOWNER) finds it.
    static WindowId RootOf(Desktop& desktop, WindowId window);

private:
    // The slot of the window's session, and whether it was first found now;
    // a slot of -1 when the window makes no session (another program, a root
    // destroyed meanwhile, the table full).
    struct Match {
        int slot = -1;
        bool isNew = false;
        bool otherClass = false;  // not the supervised program's
    };
    Match SessionOf(WindowId window);
    // One top-level window of the enumeration.
    void CheckWindow(WindowId window, bool sameProgram);
    void TrackNewSession(int slot, WindowId root, ThreadId thread, ProcessId process);
    // Hooks the session's thread and posts the start message; a session
    // that cannot be hooked goes to the foreground rule.
    void PlaceHooks(int slot, ThreadId thread);
    int SweepVanishedSessions();
    // Says that the session has gone and frees its slot, its hooks removed.
    void FreeSlot(int slot);
    // Tracked sessions whose root window still exists.
    int OpenSessionCount();
    void ShowCount(int count);

    SessionTable& m_sessions;
    HookBinding& m_hooks;
    Desktop& m_desktop;
    const TSetup& m_setup;
    TrayEvents& m_tray;
    StatusView& m_view;
    SessionCloser& m_closer;
    SessionAudit& m_audit;
    ForegroundRule& m_foreground;
    OtherWindows m_otherWindows;
    WindowId m_mainWindow = 0;
    // The program the latest scan looked for; a scan for another one begins
    // the supervision of that program.
    char m_scannedProgram[sizeof(TSetup::Program)] = {};
};

}  // namespace ql
