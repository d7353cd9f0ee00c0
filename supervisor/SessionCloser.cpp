#include "supervisor/SessionCloser.h"

#include "core/Text.h"
#include "keys/ActivateWindow.h"
#include "keys/KeySender.h"
#include "settings/Setup.h"
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
    // The echo of keys typed a step ago has arrived by now.
    m_sessions[slot].TypingKeys = false;
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
        KillSession(slot);
        m_sessions[slot].CloseStage = stage::kNone;
        m_sessions[slot].IdleSecs = 0;
        return;
    default:
        return;
    }
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
    m_sessions[slot].TypingKeys = true;
    m_keys.Run(script, false);
    m_audit.KeysTyped(slot, script);
    // The saved foreground window comes back next: the keys must be taken first.
    m_keys.LetKeysArrive();
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

void SessionCloser::KillSession(int slot) {
    if (!m_setup.CloseKill) return;
    if (ProcessHasSessionInUse(slot)) {
        m_audit.KillSkipped(slot);
        return;
    }
    m_sessions.SetStatus(slot, "Closing/Killing !", 5);
    const int result = KillProcess(m_desktop, m_processes, m_sessions[slot].ProcessId, kKillWaitMs);
    m_audit.KillOutcome(slot, result);
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
