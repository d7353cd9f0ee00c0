#pragma once
// Everything the status window drives with its timers and messages: the
// session table, the hook binding, the scan, the ageing and the closing.
#include "keys/KeySender.h"
#include "platform/Keyboard.h"
#include "supervisor/ActivityMonitor.h"
#include "platform/EventLog.h"
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
};

class Supervisor {
public:
    Supervisor(const SupervisorServices& services, const TSetup& setup);
    Supervisor(const Supervisor&) = delete;
    Supervisor& operator=(const Supervisor&) = delete;

    // Removes the hooks of every tracked session and releases the library.
    void Shutdown();
    // The ageing timer: foreground input first, then the ageing itself.
    void TActivityTimer();

    SessionTable Sessions;
    AuditRecord Record;
    SessionAudit Audit;
    IdleWarning Warning;
    HookBinding Hooks;
    KeySender Keys;
    SessionCloser Closer;
    ActivityMonitor Activity;
    ForegroundRule Foreground;
    WindowScan Scan;
};

}  // namespace ql
