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

namespace stage {
constexpr int kNone = 0;
constexpr int kIdleLimitReached = 1;
constexpr int kFirstRequestSent = 2;
constexpr int kSecondRequestSent = 3;
constexpr int kKeysSent = 4;
}  // namespace stage

// The key script that answers the session's standard dialog, by key group;
// null for a group without one.
const char* CloseKeyScript(int keyGroup);

class SessionCloser {
public:
    SessionCloser(SessionTable& sessions, Desktop& desktop, KeySender& keys, ProcessControl& processes,
                  const TSetup& setup, LogSink& log, TrayEvents& tray, SessionAudit& audit)
        : m_sessions(sessions), m_desktop(desktop), m_keys(keys), m_processes(processes), m_setup(setup), m_log(log),
          m_tray(tray), m_audit(audit) {}

    void TGestionCierreTimer();
    void CloseStep(int slot, int closeStage);
    void CloseAltF4(int slot);
    void SendCloseKeys(int slot);
    // Enumeration step of SendCloseKeys: remembers w when it is a standard
    // dialog of the slot's session. Always true.
    bool FindDialog(WindowId window, int slot);
    void KillSession(int slot);
    // Closes new sessions beyond the allowed number; count is the number tracked.
    void ApplySurplus(int count);

    static constexpr unsigned kKillWaitMs = 2000;
    static constexpr const char* kKeysNotSentLogText = "Keystrokes not sent: the session is not in the foreground";

private:
    // Runs the key script only while the foreground window is in the session's tree.
    void TypeIntoSession(int slot, const char* script);

    SessionTable& m_sessions;
    Desktop& m_desktop;
    KeySender& m_keys;
    ProcessControl& m_processes;
    const TSetup& m_setup;
    LogSink& m_log;
    TrayEvents& m_tray;
    SessionAudit& m_audit;
};

}  // namespace ql
