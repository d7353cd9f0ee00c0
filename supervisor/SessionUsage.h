#pragma once
// Each tracked session's life as the usage record counts it: when it was
// found, whose it is, and why it ended. Fed by the session audit, which hears
// of every session found, closed, refused, killed and gone.
#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/Clock.h"
#include "platform/Processes.h"
#include "settings/SettingKeys.h"
#include "supervisor/SessionTable.h"
#include "usage/UsageRecord.h"

namespace ql {

// Who writes the record: the same for every session of this copy.
struct UsageIdentity {
    std::string machine;
    std::uint32_t logonSession = 0;
};

class SessionUsage {
public:
    // The program is read from settings when a session is found.
    SessionUsage(UsageRecord& record, Clock& clock, ProcessControl& processes, const UserSettings& settings,
                 UsageIdentity identity)
        : m_record(record), m_clock(clock), m_processes(processes), m_settings(settings),
          m_identity(std::move(identity)) {}

    void Found(int slot, const char* user);
    // We began closing it for this reason (inactivity or surplus).
    void ClosingBegun(int slot, SessionEnd reason);
    // The kill step saw the process end: terminated by it, or by itself
    // after the close request (then it ended for the closing's reason).
    void ProcessEnded(int slot, bool terminated);
    // Its windows are gone: closed by us when our closing was still under way
    // (the session table tells; use since then ends it), else by its user,
    // or its program ended.
    void Gone(int slot, ProcessId process, bool closedByUs);
    // Quorlan ends: every session still open is recorded as such.
    void EndAll();
    // Kept lines are written when the record is free again.
    void Flush() { m_record.Flush(); }

private:
    struct Open {
        bool tracked = false;
        SessionEnd reason = SessionEnd::Inactivity;
        UsageSession session;
    };
    void End(int slot, SessionEnd how);
    StampedTime Now();

    UsageRecord& m_record;
    Clock& m_clock;
    ProcessControl& m_processes;
    const UserSettings& m_settings;
    UsageIdentity m_identity;
    std::array<Open, kSessionSlots> m_open{};
};

}  // namespace ql
