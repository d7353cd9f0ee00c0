#pragma once
// A supervisor running on the real desktop inside a test process.
#include <string>

#include "Recorders.h"
#include "TestSettings.h"
#include "WinTestSupport.h"
#include "core/Text.h"
#include "platform/win32/Window.h"
#include "supervisor/Supervisor.h"
#include "supervisor/win32/Win32Services.h"

namespace ql::test {

// Receives the hook library's reports, as the status window does, and is of
// its class: the hook library takes start messages naming no other.
class ReportWindow final : public win32::Window {
public:
    explicit ReportWindow(Supervisor& supervisor) : m_supervisor(supervisor) {
        CreateWindowOf(hookproto::kReportWindowClass, "", WS_OVERLAPPED, 0, 0, 0, 10, 10);
    }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == report::kReportMessage) {
            m_supervisor.OnReport(wParam, lParam);
            return 0;
        }
        return Window::HandleMessage(message, wParam, lParam);
    }
    Supervisor& m_supervisor;
};

// The supervisor's own objects on the real system services, with recorders
// in place of the log, the tray icon and the grid, and the hook library bound.
struct LiveSupervisor {
    win32::Win32Services os;
    RecordingLog log;
    RecordingErrors errors;
    RecordingTray tray;
    RecordingStatusView view;
    RecordingEvents events;
    TestSettings settings;
    Supervisor supervisor{SupervisorServices{os.desktop, os.hookLibrary, os.companion, os.processes, os.keyboard, log,
                                             tray, view, events},
                          settings.setup};
    ReportWindow reports{supervisor};
    SessionTable& sessions = supervisor.Sessions();
    bool bound = false;

    explicit LiveSupervisor(const std::string& program) {
        CopyText(settings.setup.Program, program.c_str());
        supervisor.ResetSessions();
        bound = supervisor.BindHookLib(errors);
        supervisor.SetReportWindow(win32::ToWindowId(reports.Handle()));
    }
    ~LiveSupervisor() { supervisor.Shutdown(); }

    void Scan() { supervisor.OnScanTimer(); }
    bool WaitStarted(int slot) { return WaitUntil([&] { return sessions[slot].Started; }, 5000); }
};

}  // namespace ql::test
