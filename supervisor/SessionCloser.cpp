#include "supervisor/SessionCloser.h"

#include "core/Text.h"
#include "keys/ActivateWindow.h"
#include "keys/KeySender.h"
#include "settings/Setup.h"
#include "supervisor/ForegroundRule.h"
#include "shell/KillProcess.h"
#include "supervisor/WindowScan.h"

namespace ql {

namespace {
constexpr const char* kStandardDialogClass = "#32770";
constexpr unsigned kShowParentOpening = 3;  // SW_PARENTOPENING
constexpr unsigned kNullMessage = 0;        // WM_NULL
}  // namespace

const char* CloseKeyScript(int keyGroup) {
    switch (keyGroup) {
    case 0: return "[Esc][Esc][Esc]";
    case 1: return "[Tab][Enter][Esc]";
    case 2: return "[Enter][Esc]";
    default: return nullptr;
    }
}

void SessionCloser::OnCloseTimer() {
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        if (m_sessions[slot].Started && m_sessions[slot].CloseStage > 0) CloseStep(slot, m_sessions[slot].CloseStage);
    }
}

void SessionCloser::CloseStep(int slot, int closeStage) {
    if (!m_desktop.Exists(m_sessions[slot].Window)) {
        m_sessions[slot].CloseStage = stage::kNone;
        m_sessions.SetStatus(slot, "Closed", 10);
        return;
    }
    switch (closeStage) {
    case stage::kIdleLimitReached:
    case stage::kKeysSent:
        if (closeStage == stage::kIdleLimitReached) m_audit.IdleClosingBegun(slot);
        RequestCloseUnlessAsking(slot);
        m_sessions[slot].CloseStage =
            closeStage == stage::kIdleLimitReached ? stage::kFirstRequestSent : stage::kSecondRequestSent;
        return;
    case stage::kFirstRequestSent:
        if (m_setup.SendKeys) {
            SendCloseKeys(slot);
            m_sessions[slot].CloseStage = stage::kKeysSent;
            return;
        }
        [[fallthrough]];
    case stage::kSecondRequestSent:
        BeginKill(slot);
        return;
    case stage::kKillWaiting:
        if (--m_sessions[slot].KillWaitTicks <= 0) FinishKill(slot);
        return;
    default:
        return;
    }
}

// The closing sequence is over without the session going: it is aged from
// zero again, and closed again when it stays idle.
void SessionCloser::EndClosing(int slot) {
    m_sessions[slot].CloseStage = stage::kNone;
    m_sessions[slot].IdleSecs = 0;
    m_sessions[slot].RestartIdleCount = true;
}

void SessionCloser::RequestCloseUnlessAsking(int slot) {
    TSessionEntry& entry = m_sessions[slot];
    if (PendingQuestion(slot) == 0) {
        entry.AwaitingAnswer = false;
        CloseAltF4(slot);
        return;
    }
    if (!entry.AwaitingAnswer) m_log.WriteLog(kAwaitingAnswerLogText);
    // The flag keeps the idle text from replacing this status.
    entry.AwaitingAnswer = true;
    m_sessions.SetStatus(slot, kAwaitingAnswerStatusText, 1);
}

void SessionCloser::CloseAltF4(int slot) {
    m_tray.PostState(TrayImage::Closing);
    m_sessions.SetStatus(slot, "Closing - [Alt+F4]", 1);
    const WindowId window = m_sessions[slot].Window;
    m_desktop.Post(window, msg::kShowWindow, 1, kShowParentOpening);
    m_desktop.Post(window, msg::kClose, 0, 0);
}

void SessionCloser::SendCloseKeys(int slot) {
    m_tray.PostState(TrayImage::Closing);
    m_sessions.SetStatus(slot, "Closing - [Sending Keystrokes]", 1);
    m_sessions[slot].DialogWindow = 0;
    m_desktop.EnumTopLevelWindows([&](WindowId window) { return FindDialog(window, slot); });
    const WindowId previousForeground = m_desktop.Foreground();
    if (m_sessions[slot].DialogWindow == 0) {
        m_sessions[slot].DialogWindow = m_sessions[slot].Window;
        m_log.WriteLog("Standard dialog Window not found");
    }
    ActivateWindow(m_desktop, m_sessions[slot].DialogWindow);
    if (const char* script = CloseKeyScript(m_setup.KeyGroup)) {
        TypeIntoSession(slot, script);
    } else {
        m_audit.KeysNotTyped(slot, "no key script for this KeyGroup", true);
    }
    ActivateWindow(m_desktop, previousForeground);
}

// The system may refuse the activation (a foreground lock, an open menu):
// keys typed then would land in whatever program the user works in.
void SessionCloser::TypeIntoSession(int slot, const char* script) {
    // The activation reaches the session's thread as a message of its own; one
    // round trip of an empty message makes sure that thread has handled it, so
    // the foreground and focus asked for below are settled.
    m_desktop.Send(m_sessions[slot].DialogWindow, kNullMessage, 0, 0);
    const WindowId foreground = m_desktop.Foreground();
    if (foreground == 0 || WindowScan::RootOf(m_desktop, foreground) != m_sessions[slot].Window) {
        m_log.WriteLog(kKeysNotSentLogText);
        m_audit.KeysNotTyped(slot, "the session is not in the foreground", false);
        return;
    }
    m_keys.Run(script, false);
    m_audit.KeysTyped(slot, script);
    // The saved foreground window comes back next: the keys must be taken first.
    m_keys.LetKeysArrive();
    // The input the system saw last is these keys, not a person's.
    m_foreground.NoteOwnInput();
}

// The enumeration meets windows front to back, so the first standard dialog
// met is the topmost. A modal one goes first: it is the question the close
// request raised, while a modeless one (a search box) may be older than it.
bool SessionCloser::FindDialog(WindowId window, int slot) {
    if (!IsSessionDialog(window, slot)) return true;
    WindowId& chosen = m_sessions[slot].DialogWindow;
    if (chosen == 0 || (!IsModalDialog(chosen) && IsModalDialog(window))) chosen = window;
    return true;
}

bool SessionCloser::IsSessionDialog(WindowId window, int slot) {
    if (WindowScan::RootOf(m_desktop, window) != m_sessions[slot].Window) return false;
    char className[kClassNameCapacity] = {};
    m_desktop.ClassNameOf(window, className, kClassNameCapacity);
    return CompareNoCase(className, kStandardDialogClass, 6) == 0;
}

bool SessionCloser::IsModalDialog(WindowId window) {
    const WindowId owner = m_desktop.OwnerOf(window);
    return owner != 0 && m_desktop.IsEnabled(window) && !m_desktop.IsEnabled(owner);
}

WindowId SessionCloser::PendingQuestion(int slot) {
    WindowId question = 0;
    m_desktop.EnumTopLevelWindows([&](WindowId window) {
        if (IsSessionDialog(window, slot) && IsModalDialog(window)) question = window;
        return question == 0;
    });
    return question;
}

// Ending the process ends every session in it: not while a person may be
// working in another one.
bool SessionCloser::ProcessHasSessionInUse(int slot) {
    for (int other = 0; other < kSessionSlots; ++other) {
        const TSessionEntry& entry = m_sessions[other];
        if (other == slot || entry.Window == 0 || entry.ProcessId != m_sessions[slot].ProcessId) continue;
        if (entry.CloseStage == stage::kNone && m_desktop.Exists(entry.Window)) return true;
    }
    return false;
}

bool SessionCloser::IsBeingClosed(WindowId root) const {
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        if (m_sessions[slot].Window == root) return m_sessions[slot].CloseStage != stage::kNone;
    }
    return false;
}

bool SessionCloser::ProcessShowsOtherWindow(int slot) {
    const ProcessId process = m_sessions[slot].ProcessId;
    bool shows = false;
    m_desktop.EnumTopLevelWindows([&](WindowId window) {
        ProcessId owner = 0;
        m_desktop.ThreadOf(window, &owner);
        if (owner != process || (m_desktop.StyleOf(window) & style::kVisible) == 0) return true;
        char title[2] = {};
        if (m_desktop.TitleOf(window, title, static_cast<int>(sizeof title)) == 0) return true;
        shows = !IsBeingClosed(WindowScan::RootOf(m_desktop, window));
        return !shows;
    });
    return shows;
}

bool SessionCloser::MayEndProcess(int slot) {
    if (ProcessHasSessionInUse(slot)) {
        m_audit.KillSkipped(slot, SessionAudit::KillSpared::SessionInUse);
        return false;
    }
    if (ProcessShowsOtherWindow(slot)) {
        m_audit.KillSkipped(slot, SessionAudit::KillSpared::OtherWindow);
        return false;
    }
    return true;
}

void SessionCloser::BeginKill(int slot) {
    if (!m_setup.CloseKill || !MayEndProcess(slot)) {
        EndClosing(slot);
        return;
    }
    TSessionEntry& entry = m_sessions[slot];
    m_sessions.SetStatus(slot, "Closing/Killing !", kKillWaitSteps + 3);
    // A last request, to the session's own window only: the process gets its
    // time to end by itself while reports (a click on "Cancel") are read.
    m_desktop.Post(entry.Window, msg::kClose, 0, 0);
    entry.KillWaitTicks = kKillWaitSteps;
    entry.CloseStage = stage::kKillWaiting;
}

// Right before the end, everything is checked once more: the session was not
// used (that would have ended the closing), and the process shows nothing else.
void SessionCloser::FinishKill(int slot) {
    if (MayEndProcess(slot)) m_audit.KillOutcome(slot, EndProcess(m_processes, m_sessions[slot].ProcessId));
    EndClosing(slot);
}

void SessionCloser::AcceptOpenSessions(int count) {
    for (int slot = 0; slot < kSessionSlots; ++slot) m_sessions[slot].IsNew = false;
    if (m_setup.MaxSession > 0 && m_setup.MaxSession < count) m_log.WriteLog(kSessionsAlreadyOpenLogText);
}

void SessionCloser::ApplySurplus(int count) {
    if (m_setup.MaxSession <= 0 || m_setup.MaxSession >= count) return;
    for (int slot = 0; slot < kSessionSlots && m_setup.MaxSession < count; ++slot) {
        if (!m_sessions[slot].IsNew) continue;
        m_audit.SurplusClosingBegun(slot, m_setup.MaxSession);
        CloseAltF4(slot);
        --count;
    }
}

}  // namespace ql
