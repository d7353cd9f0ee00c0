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

void SessionCloser::TGestionCierreTimer() {
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
        CloseAltF4(slot);
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
    if (const char* script = CloseKeyScript(m_setup.KeyGroup)) TypeIntoSession(slot, script);
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
        return;
    }
    m_keys.Run(script, false);
    // The saved foreground window comes back next: the keys must be taken first.
    m_keys.LetKeysArrive();
}

bool SessionCloser::FindDialog(WindowId window, int slot) {
    if (WindowScan::RootOf(m_desktop, window) != m_sessions[slot].Window) return true;
    char className[kClassNameCapacity] = {};
    m_desktop.ClassNameOf(window, className, kClassNameCapacity);
    // The last standard dialog met wins.
    if (CompareNoCase(className, kStandardDialogClass, 6) == 0) m_sessions[slot].DialogWindow = window;
    return true;
}

void SessionCloser::KillSession(int slot) {
    if (!m_setup.CloseKill) return;
    m_sessions.SetStatus(slot, "Closing/Killing !", 5);
    KillProcess(m_desktop, m_processes, m_sessions[slot].ProcessId, kKillWaitMs);
}

void SessionCloser::ApplySurplus(int count) {
    if (m_setup.MaxSession <= 0 || m_setup.MaxSession >= count) return;
    for (int slot = 0; slot < kSessionSlots && m_setup.MaxSession < count; ++slot) {
        if (!m_sessions[slot].IsNew) continue;
        CloseAltF4(slot);
        --count;
    }
}

}  // namespace ql
