#include "supervisor/WindowScan.h"

#include <cstdio>

#include "core/HookProtocol.h"
#include "core/Text.h"
#include "settings/Setup.h"
#include "supervisor/ActivityMonitor.h"
#include "supervisor/SessionAudit.h"
#include "supervisor/ForegroundRule.h"
#include "supervisor/SessionCloser.h"

namespace ql {

void WindowScan::OnScanTimer() {
    if (m_setup.Program[0] == '\0') {
        m_view.SetProgramCaption(" - undefined - ");
        m_tray.PostState(TrayImage::Closing);
        m_scannedProgram[0] = '\0';
        return;
    }
    const bool supervisionBegins = !EqualsNoCase(m_scannedProgram, m_setup.Program);
    CopyText(m_scannedProgram, m_setup.Program);
    m_tray.PostState(TrayImage::Scanning);
    m_view.SetProgramCaption(m_setup.Program);
    m_hooks.BeginScan();
    PlaceAwaitingHooks();
    if (supervisionBegins) m_otherWindows.Clear();
    m_otherWindows.BeginScan();
    m_desktop.EnumTopLevelWindows([this, supervisionBegins](WindowId window) {
        CheckWindow(window, !supervisionBegins);
        return true;
    });
    m_otherWindows.EndScan();
    const int count = SweepVanishedSessions();
    ShowCount(count);
    if (supervisionBegins) {
        m_closer.AcceptOpenSessions(count);
    } else {
        m_closer.ApplySurplus(count);
    }
}

// A session's root found by an earlier scan for the same program is known
// to be of its class, as another window is known to be of another.
void WindowScan::CheckWindow(WindowId window, bool sameProgram) {
    if (m_otherWindows.Recall(window)) return;
    const int root = sameProgram && window != 0 ? m_sessions.SlotOf(window) : -1;
    const Match match = root >= 0 ? Match{root, false} : SessionOf(window);
    if (match.otherClass) m_otherWindows.Remember(window);
    if (match.slot < 0) return;
    m_sessions[match.slot].Seen = true;
    m_sessions[match.slot].IsNew = match.isNew;
}

void WindowScan::CheckShownWindow(WindowId window) {
    if (m_setup.Program[0] == '\0' || !EqualsNoCase(m_scannedProgram, m_setup.Program)) return;
    const Match match = SessionOf(window);
    if (!match.isNew) return;
    // The surplus rule judges this session alone: those found since the
    // last scan were judged as they came, and a scan judges only its own.
    for (int slot = 0; slot < kSessionSlots; ++slot) m_sessions[slot].IsNew = slot == match.slot;
    const int count = OpenSessionCount();
    ShowCount(count);
    m_closer.ApplySurplus(count);
}

// A handle that exists again names another window now: the scan tells.
void WindowScan::ForgetDestroyedRoot(WindowId window) {
    const int slot = window == 0 ? -1 : m_sessions.SlotOf(window);
    if (slot < 0 || m_desktop.Exists(window)) return;
    FreeSlot(slot);
    ShowCount(OpenSessionCount());
}

WindowScan::Match WindowScan::SessionOf(WindowId window) {
    char className[kClassNameCapacity];
    m_desktop.ClassNameOf(window, className, kClassNameCapacity);
    if (!StartsWithNoCase(className, m_setup.Program)) return {-1, false, true};

    const WindowId root = RootOf(m_desktop, window);
    const int known = m_sessions.SlotOf(root);
    if (known >= 0) return {known, false};
    const int slot = m_sessions.FirstFreeSlot();
    if (slot < 0) return {};
    ProcessId process = 0;
    const ThreadId thread = m_desktop.ThreadOf(root, &process);
    // No thread means the root was destroyed while the scan looked at it.
    // It is no session, and thread 0 would hook every program on the desktop.
    if (thread == 0) return {};
    TrackNewSession(slot, root, thread, process);
    return {slot, true};
}

// GetParent names the owner of an owned popup only: an owned overlapped
// window (a tool palette, a second editor window) leads to its owner through
// GW_OWNER alone, and still belongs to its owner's session.
WindowId WindowScan::RootOf(Desktop& desktop, WindowId window) {
    WindowId root = window;
    for (int depth = 0; depth < hookproto::kMaxRootWalk; ++depth) {
        WindowId up = desktop.ParentOf(root);
        if (up == 0) up = desktop.OwnerOf(root);
        if (up == 0) break;
        root = up;
    }
    return root;
}

void WindowScan::TrackNewSession(int slot, WindowId root, ThreadId thread, ProcessId process) {
    TSessionEntry& entry = m_sessions[slot];
    entry.ProcessId = process;
    entry.Window = root;
    entry.CloseStage = 0;
    PlaceHooks(slot, thread);
    entry.IsNew = true;
    m_tray.PostState(TrayImage::NewSession);
    m_audit.Found(slot);
}

void WindowScan::PlaceHooks(int slot, ThreadId thread) {
    TSessionEntry& entry = m_sessions[slot];
    // Hooks first: the get-message hook must be in place when the session's
    // thread retrieves the start message.
    const HookRefusal refusal = m_hooks.InstallHooks(entry, thread);
    // Unaged until the companion answers and the hooks are placed.
    entry.AwaitingHooks = refusal == HookRefusal::CompanionStarting;
    if (entry.AwaitingHooks) return;
    if (refusal != HookRefusal::None) {
        m_foreground.Assign(slot, refusal);
        return;
    }
    entry.UnansweredTicks = 0;
    m_desktop.Post(entry.Window, report::kStartMessage, static_cast<MessageWord>(slot),
                   static_cast<MessageLong>(m_mainWindow));
}

// A session under the foreground rule stays under it until its new hooks
// answer; any other waits for the answer unaged, as a new session does, and
// falls back to the rule without one.
void WindowScan::PlaceAwaitingHooks() {
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        TSessionEntry& entry = m_sessions[slot];
        if (entry.Window == 0 || !entry.AwaitingHooks) continue;
        const ThreadId thread = m_desktop.ThreadOf(entry.Window, nullptr);
        if (thread != 0) PlaceHooks(slot, thread);
    }
}

int WindowScan::SweepVanishedSessions() {
    int count = 0;
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        TSessionEntry& entry = m_sessions[slot];
        if (entry.Seen) {
            ++count;
        } else if (entry.Window != 0) {
            FreeSlot(slot);
        }
        entry.Seen = false;
    }
    return count;
}

void WindowScan::FreeSlot(int slot) {
    m_audit.Gone(slot);
    m_hooks.UnhookSession(m_sessions[slot]);
    m_sessions.ResetSession(slot);
}

int WindowScan::OpenSessionCount() {
    int count = 0;
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        const WindowId root = m_sessions[slot].Window;
        if (root != 0 && m_desktop.Exists(root)) ++count;
    }
    return count;
}

void WindowScan::ShowCount(int count) {
    m_sessions.RefreshGrid(m_desktop);
    char tip[64];
    std::snprintf(tip, sizeof tip, "Quorlan\nTracking %02i Active Sessions", count);
    m_tray.PostTip(tip);
}

}  // namespace ql
