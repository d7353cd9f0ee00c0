#pragma once
// The supervisor's side of the activity reports: stamps each report into its
// session's slot, and ages every started session once a second.
#include "core/HookProtocol.h"
#include "platform/Types.h"
#include "supervisor/SessionTable.h"

namespace ql {

class TSetup;
class IdleWarning;
class SessionAudit;

namespace report {
constexpr unsigned kStartMessage = hookproto::kStartMessage;    // supervisor -> session window
constexpr unsigned kReportMessage = hookproto::kReportMessage;  // hook library -> status window
constexpr MessageWord kControlStarted = hookproto::kControlStarted;
constexpr MessageWord kKeyDown = hookproto::kKeyDown;
constexpr MessageWord kMouseClick = hookproto::kMouseClick;
constexpr MessageWord kOwnKeyDown = hookproto::kOwnKeyDown;
}  // namespace report

class ActivityMonitor {
public:
    ActivityMonitor(SessionTable& sessions, const TSetup& setup, SessionAudit& audit, IdleWarning& warning)
        : m_sessions(sessions), m_setup(setup), m_audit(audit), m_warning(warning) {}

    // wParam: the report kind; lParam: the session's slot.
    void OnReport(MessageWord wParam, MessageLong lParam);
    // Ages every started session by the whole seconds since the last tick.
    void OnAgeTimer(int seconds = 1);
    // Whole seconds until ageing can next change a session: its idle limit,
    // its warning, or a use to count; kNothingDue when nothing is due.
    int SecondsUntilDue() const;
    static constexpr int kNothingDue = 1 << 30;
    // A person used the session: it counts as active, and a closing in
    // progress ends.
    void Used(int slot);
    // Quorlan can no longer see the session's input (the hooks went with the
    // companion): its clock stops and any closing ends, until its hooks
    // answer again and its idle count begins from zero.
    void LostSight(int slot);

private:
    void AgeSession(int slot, int seconds);
    // A person's key or click in a session being closed answers the closing:
    // it ends, and the session is aged from zero again.
    void StopClosing(int slot);
    // The session's hooks answered the start message.
    void HooksAnswered(int slot);

    SessionTable& m_sessions;
    const TSetup& m_setup;
    SessionAudit& m_audit;
    IdleWarning& m_warning;
};

}  // namespace ql
