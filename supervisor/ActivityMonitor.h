#pragma once
// The supervisor's side of the activity reports: stamps each report into its
// session's slot, and ages every started session once a second.
#include "platform/Types.h"
#include "supervisor/SessionTable.h"

namespace ql {

class TSetup;

namespace report {
constexpr unsigned kStartMessage = msg::kUser + 3;   // supervisor -> session window
constexpr unsigned kReportMessage = msg::kUser + 4;  // hook library -> status window
constexpr MessageWord kControlStarted = 0;
constexpr MessageWord kKeyDown = 1;
constexpr MessageWord kMouseClick = 2;
}  // namespace report

class ActivityMonitor {
public:
    ActivityMonitor(SessionTable& sessions, const TSetup& setup) : m_sessions(sessions), m_setup(setup) {}

    // wParam: the report kind; lParam: the session's slot.
    void ActivityMessage(MessageWord wParam, MessageLong lParam);
    void TActivityTimer();

private:
    void AgeSession(int slot);

    SessionTable& m_sessions;
    const TSetup& m_setup;
};

}  // namespace ql
