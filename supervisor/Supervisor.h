#pragma once
// Everything the status window drives with its timers and messages: the
// session table, the hook binding, the scan, the ageing and the closing.
#include "keys/KeySender.h"
#include "platform/Keyboard.h"
#include "supervisor/ActivityMonitor.h"
#include "platform/EventLog.h"
#include "platform/WindowEvents.h"
#include "shell/AuditRecord.h"
#include "supervisor/ForegroundRule.h"
#include "supervisor/HookBinding.h"
#include "supervisor/IdleWarning.h"
#include "supervisor/SessionAudit.h"
#include "supervisor/SessionCloser.h"
#include "supervisor/SessionTable.h"
#include "supervisor/WindowScan.h"

namespace ql {

struct SupervisorServices {
    Desktop& desktop;
    HookLibrary& hookLibrary;
    CompanionHost& companion;
    ProcessControl& processes;
    Keyboard& keyboard;
    LogSink& log;
    TrayEvents& tray;
    StatusView& view;
    EventLog& events;
    SessionUsage* usage = nullptr;  // where each session's life is counted; none when null
};

class Supervisor final : public WindowEventSink {
public:
    Supervisor(const SupervisorServices& services, const TSetup& setup);
    Supervisor(const Supervisor&) = delete;
    Supervisor& operator=(const Supervisor&) = delete;

    // Start-up: every slot free, the hook library bound (false after the
    // failure was logged and reported), and the window the reports go to.
    void ResetSessions() { m_sessions.ResetAll(); }
    bool BindHookLib(FatalErrorSink& errors) { return m_hooks.BindHookLib(errors); }
    void SetReportWindow(WindowId window) { m_scan.SetMainWindow(window); }

    // The status window's timers and messages.
    void OnScanTimer();
    // What Quorlan can see is brought up to date first (a companion that
    // ended, input in sessions without hooks), then the tick's own work.
    // seconds: the whole seconds since the last ageing tick (see SecondsUntilNextAge).
    void OnAgeTimer(int seconds = 1);
    void OnCloseTimer();
    // How long the ageing timer may wait before its next tick: until the
    // nearest idle limit, warning or fallback, a second while a use is to be
    // counted, and never more than kLongestAgeWait. Nothing runs between.
    int SecondsUntilNextAge() const;
    static constexpr int kLongestAgeWait = 60;
    // A session is being closed: the closing timer steps it once a second.
    bool ClosingUnderWay() const;
    // A report of the hook library: wParam the kind, lParam the slot.
    void OnReport(MessageWord kind, MessageLong slot);
    void OnBalloonClicked();

    // WindowEventSink: what the window system tells as it happens. A window
    // shown or renamed may be a new session, found at once; a destroyed root
    // frees its session's slot.
    void OnWindowShown(WindowId window) override { CheckShownWindow(window); }
    void OnWindowRenamed(WindowId window) override { CheckShownWindow(window); }
    void OnWindowDestroyed(WindowId window) override { m_scan.ForgetDestroyedRoot(window); }
    void OnForegroundChanged(WindowId window) override;

    // Removes the hooks of every tracked session and releases the library.
    void Shutdown();

    // The table the status window's grid shows.
    SessionTable& Sessions() { return m_sessions; }

private:
    // The companion ended: the hooks it placed went with it. Its sessions
    // wait, unaged, for new hooks.
    void LoseCompanionSessions();
    void LookBeforeTick();
    void CheckShownWindow(WindowId window);

    SessionTable m_sessions;
    AuditRecord m_record;
    SessionAudit m_audit;
    IdleWarning m_warning;
    HookBinding m_hooks;
    KeySender m_keys;
    ActivityMonitor m_activity;
    ForegroundRule m_foreground;
    SessionCloser m_closer;
    WindowScan m_scan;
    SessionUsage* m_usage;
};

}  // namespace ql
