#pragma once
// Ends sessions: the escalating closing sequence of an idle session, one step
// a second, and the single close request of the surplus rule.
#include "platform/Desktop.h"
#include "platform/Processes.h"
#include "shell/LogSink.h"
#include "shell/TrayEvents.h"
#include "supervisor/SessionAudit.h"
#include "supervisor/SessionTable.h"

namespace ql {

class TSetup;
class KeySender;
class ForegroundRule;

namespace stage {
constexpr int kNone = 0;
constexpr int kIdleLimitReached = 1;
constexpr int kFirstRequestSent = 2;
constexpr int kSecondRequestSent = 3;
constexpr int kKeysSent = 4;
constexpr int kKillWaiting = 5;  // asked to close a last time; the process is ended when the wait is over
}  // namespace stage

// The key script that answers the session's standard dialog, by key group;
// null for a group without one.
const char* CloseKeyScript(int keyGroup);

class SessionCloser {
public:
    SessionCloser(SessionTable& sessions, Desktop& desktop, KeySender& keys, ProcessControl& processes,
                  const TSetup& setup, LogSink& log, TrayEvents& tray, SessionAudit& audit, ForegroundRule& foreground)
        : m_sessions(sessions), m_desktop(desktop), m_keys(keys), m_processes(processes), m_setup(setup), m_log(log),
          m_tray(tray), m_audit(audit), m_foreground(foreground) {}

    void OnCloseTimer();
    void CloseStep(int slot, int closeStage);
    void CloseAltF4(int slot);
    void SendCloseKeys(int slot);
    // Enumeration step of SendCloseKeys: remembers w when it is a standard
    // dialog of the slot's session that answers better than the one kept so
    // far: the question a close request raised (modal) before any other, else
    // the topmost. Always true.
    bool FindDialog(WindowId window, int slot);
    // The kill step: the session is asked to close a last time, and its
    // process is ended kKillWaitSteps closing steps later unless the session
    // went or was used meanwhile. Nothing waits on the interface thread.
    void BeginKill(int slot);
    void FinishKill(int slot);
    // Closes new sessions beyond the allowed number; count is the number tracked.
    void ApplySurplus(int count);
    // Supervision of a program begins (start-up, another program chosen): the
    // sessions already open are none of them surplus, however many there are.
    void AcceptOpenSessions(int count);

    static constexpr int kKillWaitSteps = 2;
    static constexpr const char* kKeysNotSentLogText = "Keystrokes not sent: the session is not in the foreground";
    static constexpr const char* kAwaitingAnswerStatusText = "Waiting for an answer";
    static constexpr const char* kAwaitingAnswerLogText =
        "The session shows a question raised by a close request: no further close request until it is answered";
    static constexpr const char* kSessionsAlreadyOpenLogText =
        "More sessions open than Max.Session allows when supervision began: they are kept";

private:
    // Runs the key script only while the foreground window is in the session's tree.
    void TypeIntoSession(int slot, const char* script);
    // The close request of stage 1 or 4, unless the session still shows the
    // question an earlier request raised: asking again would stack another.
    void RequestCloseUnlessAsking(int slot);
    bool IsSessionDialog(WindowId window, int slot);
    // An enabled dialog whose owner is disabled: modal, waiting for its answer.
    bool IsModalDialog(WindowId window);
    // The session's modal standard dialog, topmost first; 0 when it shows none.
    WindowId PendingQuestion(int slot);
    // Another tracked session of the slot's process that is open and not being closed itself.
    bool ProcessHasSessionInUse(int slot);
    // A visible, titled top-level window of the slot's process outside every
    // session being closed: work the closing knows nothing of.
    bool ProcessShowsOtherWindow(int slot);
    bool IsBeingClosed(WindowId root) const;
    // The process may be ended: no other session of it in use, no other
    // window of it in sight. Says why not in the record otherwise.
    bool MayEndProcess(int slot);
    void EndClosing(int slot);

    SessionTable& m_sessions;
    Desktop& m_desktop;
    KeySender& m_keys;
    ProcessControl& m_processes;
    const TSetup& m_setup;
    LogSink& m_log;
    TrayEvents& m_tray;
    SessionAudit& m_audit;
    ForegroundRule& m_foreground;
};

}  // namespace ql
