#include "supervisor/WindowScan.h"

#include <cstdio>

#include "core/HookProtocol.h"
#include "core/Text.h"
#include "settings/Setup.h"
#include "supervisor/ActivityMonitor.h"
#include "supervisor/SessionCloser.h"

namespace ql {

void WindowScan::ITestTimer() {
    if (m_setup.Program[0] == '\0') {
        m_view.SetProgramCaption(" - undefined - ");
        m_tray.PostState(TrayImage::Closing);
        return;
    }
    m_tray.PostState(TrayImage::Scanning);
    m_view.SetProgramCaption(m_setup.Program);
    m_desktop.EnumTopLevelWindows([this](WindowId window) {
        CheckWindow(window);
        return true;
    });
    const int count = SweepVanishedSessions();
    m_sessions.RefreshGrid(m_desktop);
    char tip[64];
    std::snprintf(tip, sizeof tip, "Quorlan\nTracking %02i Active Sessions", count);
    m_tray.PostTip(tip);
    m_closer.ApplySurplus(count);
}

void WindowScan::CheckWindow(WindowId window) {
    char className[kClassNameCapacity];
    m_desktop.ClassNameOf(window, className, kClassNameCapacity);
    if (!StartsWithNoCase(className, m_setup.Program)) return;

    const WindowId root = RootOf(m_desktop, window);
    const int known = m_sessions.SlotOf(root);
    if (known >= 0) {
        m_sessions[known].Seen = true;
        m_sessions[known].IsNew = false;
        return;
    }
    const int slot = m_sessions.FirstFreeSlot();
    if (slot < 0) return;
    ProcessId process = 0;
    const ThreadId thread = m_desktop.ThreadOf(root, &process);
    // No thread means the root was destroyed while the scan looked at it.
    // It is no session, and thread 0 would hook every program on the desktop.
    if (thread == 0) return;
    TrackNewSession(slot, root, thread, process);
}

WindowId WindowScan::RootOf(Desktop& desktop, WindowId window) {
    WindowId root = window;
    for (int depth = 0; depth < hookproto::kMaxRootWalk; ++depth) {
        const WindowId parent = desktop.ParentOf(root);
        if (parent == 0) break;
        root = parent;
    }
    return root;
}

void WindowScan::TrackNewSession(int slot, WindowId root, ThreadId thread, ProcessId process) {
    TSessionEntry& entry = m_sessions[slot];
    entry.ProcessId = process;
    // Hooks first: the get-message hook must be in place when the session's
    // thread retrieves the start message.
    m_hooks.InstallHooks(entry, thread);
    entry.Window = root;
    entry.Seen = true;
    entry.CloseStage = 0;
    m_desktop.Post(root, report::kStartMessage, static_cast<MessageWord>(slot), static_cast<MessageLong>(m_mainWindow));
    entry.IsNew = true;
    m_tray.PostState(TrayImage::NewSession);
}

int WindowScan::SweepVanishedSessions() {
    int count = 0;
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        TSessionEntry& entry = m_sessions[slot];
        if (entry.Seen) {
            ++count;
        } else if (entry.Window != 0) {
            m_hooks.UnhookSession(entry);
            m_sessions.ResetSession(slot);
        }
        entry.Seen = false;
    }
    return count;
}

}  // namespace ql
