#pragma once
// Supervision of sessions that have no hooks: their hooks could not be
// placed, or the hook library never answered the start message. Such a
// session is aged like any other, and input counts as its activity when it
// came while a window of its tree was in the foreground. The rule errs on
// the side of keeping: input in a second in which the foreground moved
// counts for the session of either window, so a session typed into is never
// closed, at worst an idle one lives a second longer.
#include "platform/Desktop.h"
#include "shell/LogSink.h"
#include "supervisor/ActivityMonitor.h"
#include "supervisor/SessionTable.h"

namespace ql {

// Ageing ticks a session's hooks may take to answer the start message
// before the session falls back to this rule.
constexpr int kStartAnswerTicks = 10;

class ForegroundRule {
public:
    ForegroundRule(SessionTable& sessions, Desktop& desktop, ActivityMonitor& activity, LogSink& log)
        : m_sessions(sessions), m_desktop(desktop), m_activity(activity), m_log(log) {}

    // The session is supervised by this rule from now on: listed with the
    // reason, logged once, and aged from 0.
    void Assign(int slot, HookRefusal reason);
    // Before the ageing tick: marks activity of the sessions under this rule,
    // and hands over hooked sessions whose start message was never answered.
    void CreditInput();
    // After the ageing tick: the status column keeps the reason in sight.
    void ShowReasons();

    static const char* ReasonText(HookRefusal reason);

private:
    void CountUnanswered(int slot);

    SessionTable& m_sessions;
    Desktop& m_desktop;
    ActivityMonitor& m_activity;
    LogSink& m_log;
    std::uint32_t m_lastInput = 0;
    bool m_inputSeen = false;  // m_lastInput holds a reading
    WindowId m_lastForegroundRoot = 0;
};

}  // namespace ql
