#pragma once
// Supervision of sessions that have no hooks: their hooks could not be
// placed, or the hook library never answered the start message. Such a
// session is aged like any other, and input counts as its activity when it
// came while a window of its tree was in the foreground.
//
// The system tells only when the latest input came, not where each input
// went; the foreground changes are told as they happen. So input since the
// last look counts for every session that was in front at any moment since
// then: a session typed into is never closed, at worst an idle one that was
// only passed through lives longer.
#include <array>

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
    // Another window came to the foreground.
    void OnForegroundChanged(WindowId window);
    // Before every ageing and closing tick: marks activity of the sessions
    // under this rule that were in front while input came.
    void CreditInput();
    // Quorlan has just typed into a session: the latest input is its own.
    void NoteOwnInput();
    // On the ageing tick, with the seconds since the last one: hands over
    // hooked sessions whose start message was never answered.
    void FallBackUnanswered(int seconds = 1);
    // Whole seconds until a session waiting for its hooks' answer (or for
    // its hooks) needs the ageing tick again; ActivityMonitor::kNothingDue when none waits.
    int SecondsUntilFallBack() const;
    // After the ageing tick: the status column keeps the reason in sight.
    void ShowReasons();

    static const char* ReasonText(HookRefusal reason);

private:
    // Root windows in front since the last look; more than fit, or a window
    // gone before its root was known, count as every one.
    static constexpr std::size_t kFrontRecordSize = 32;
    void RecordInFront(WindowId window);
    bool WasInFront(WindowId root) const;
    void StartRecord();

    SessionTable& m_sessions;
    Desktop& m_desktop;
    ActivityMonitor& m_activity;
    LogSink& m_log;
    std::uint32_t m_lastInput = 0;
    bool m_inputSeen = false;  // m_lastInput holds a reading
    std::array<WindowId, kFrontRecordSize> m_inFront{};
    std::size_t m_inFrontCount = 0;
    bool m_inFrontOverflow = false;
};

}  // namespace ql
