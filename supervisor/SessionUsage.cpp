#include "supervisor/SessionUsage.h"

namespace ql {

StampedTime SessionUsage::Now() {
    const LocalTime now = m_clock.LocalNow();
    return StampedTime{now.year, now.month, now.day, now.hour, now.minute, now.second};
}

void SessionUsage::Found(int slot, const char* user) {
    Open& open = m_open[static_cast<std::size_t>(slot)];
    open = Open{};
    open.tracked = true;
    open.session.program = m_settings.Program;
    open.session.user = user;
    open.session.machine = m_identity.machine;
    open.session.logonSession = m_identity.logonSession;
    open.session.found = Now();
}

void SessionUsage::ClosingBegun(int slot, SessionEnd reason) {
    m_open[static_cast<std::size_t>(slot)].reason = reason;
}

void SessionUsage::ProcessEnded(int slot, bool terminated) {
    const Open& open = m_open[static_cast<std::size_t>(slot)];
    End(slot, terminated ? SessionEnd::Killed : open.reason);
}

void SessionUsage::Gone(int slot, ProcessId process, bool closedByUs) {
    const Open& open = m_open[static_cast<std::size_t>(slot)];
    if (!open.tracked) return;
    if (closedByUs) {
        End(slot, open.reason);
    } else {
        End(slot, m_processes.HasEnded(process) ? SessionEnd::ProgramEnded : SessionEnd::ByUser);
    }
}

void SessionUsage::EndAll() {
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        if (m_open[static_cast<std::size_t>(slot)].tracked) End(slot, SessionEnd::QuorlanEnded);
    }
    m_record.FlushAtExit();
}

// Written once: the slot forgets the session.
void SessionUsage::End(int slot, SessionEnd how) {
    Open& open = m_open[static_cast<std::size_t>(slot)];
    if (!open.tracked) return;
    open.session.ended = Now();
    open.session.how = how;
    open.tracked = false;
    m_record.Add(open.session);
}

}  // namespace ql
