#pragma once
// The warning before an idle closing: when a session has Warning seconds
// left before its idle limit, one balloon from the icon names it (and any
// other session falling due in the same second). Used again, the session is
// no longer warned and the balloon goes when it names no other session.
#include <array>
#include <cstddef>

#include "platform/Desktop.h"
#include "platform/FunctionRef.h"
#include "shell/TrayEvents.h"
#include "supervisor/SessionAudit.h"
#include "supervisor/SessionTable.h"

namespace ql {

class TSetup;

constexpr std::size_t kBalloonTextCapacity = 256;  // the shell's limit: 255 characters and the zero

// The balloon's text for the sessions with these titles, closing in seconds:
// "\"Invoice 2041\" closes in 60 s unless it is used." for one; for several,
// the titles joined with commas and "and". Long titles are cut with "...";
// titles that do not fit are counted ("and 3 more") so the text never
// exceeds the shell's limit.
void FormatWarningText(const char* const* titles, std::size_t count, int seconds,
                       char (&text)[kBalloonTextCapacity]);

class IdleWarning {
public:
    IdleWarning(SessionTable& sessions, const TSetup& setup, Desktop& desktop, TrayEvents& tray, SessionAudit& audit)
        : m_sessions(sessions), m_setup(setup), m_desktop(desktop), m_tray(tray), m_audit(audit) {}

    // The ageing counted another idle second for the slot.
    void Aged(int slot);
    // The ageing found the slot used since its last tick.
    void Used(int slot);
    // After an ageing tick: one balloon for every session that fell due in it.
    void ShowDue();
    // The balloon was clicked: each session it names is handed to used (its
    // closing ends too, when it has begun), and the first one comes forward.
    void BalloonClicked(FunctionRef<void(int slot)> used);

    // The idle second at which a session is warned; 0 when warnings are off
    // or would come before the session could be idle at all.
    int WarnAt() const;

private:
    void ShowBalloonFor(const std::array<bool, kSessionSlots>& slots);
    bool AnyInBalloon() const;
    // The slot's session is the one the balloon names, not a later one in a freed slot.
    bool InBalloon(int slot) const;

    SessionTable& m_sessions;
    const TSetup& m_setup;
    Desktop& m_desktop;
    TrayEvents& m_tray;
    SessionAudit& m_audit;
    std::array<bool, kSessionSlots> m_due{};        // fell due in this tick
    // The session windows the balloon showing names, by slot; 0 for none.
    std::array<WindowId, kSessionSlots> m_inBalloon{};
    char m_balloonText[kBalloonTextCapacity] = {};
};

}  // namespace ql
