#pragma once
// TQL_Main, the hidden status window: runs the start-up, owns the settings,
// the supervisor and the tray icon, and drives them with its four timers.
#include <memory>

#include "platform/win32/Window.h"
#include "release/ReleaseRequest.h"
#include "release/win32/SplashWindow.h"
#include "settings/win32/SetupDialog.h"
#include "shell/win32/TrayIcon.h"
#include "supervisor/FatalErrorSink.h"
#include "supervisor/StartUp.h"
#include "supervisor/Supervisor.h"
#include "supervisor/win32/StatusGrid.h"
#include "supervisor/win32/Win32Services.h"

namespace ql::win32 {

class TQL_Main final : public Window, private StartUpHost, private FatalErrorSink, private TrayEvents {
public:
    explicit TQL_Main(Win32Services& services);
    ~TQL_Main() override;

    // 0: a close request only hides the window; 1: it ends the program.
    int ExitMode = 0;
    // This window's handle, sent to the hook library in every start message.
    HWND MainWindow = nullptr;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(WPARAM timer);
    void FormClose();
    void Paint();

    // StartUpHost
    const TSetup& CreateSetupDialog() override;
    void ShowSplash(SplashMode mode) override;
    void UpdateRelease() override;
    void ShowSetupModal() override;
    void SetStatusBarText(const char* text) override;
    void SetTimerInterval(TimerId timer, unsigned milliseconds) override;
    void SetProgramCaption(const char* text) override;
    void ResetSessions() override;
    bool BindHookLib() override;
    void EnableTimer(TimerId timer) override;
    void CreateTrayIcon() override;
    void RecordMainWindow() override;
    void WriteGridHeaders() override;
    void ClearRefreshing() override;
    void PostTip(const char* text) override;
    void LogTracking() override;
    // FatalErrorSink
    void FatalError(const char* text) override;
    // TrayEvents: requests reach the icon once it exists.
    void PostEvent(int kind, const char* text) override;

    Win32Services& m_services;
    std::unique_ptr<StatusGrid> m_grid;
    std::unique_ptr<TFConfig> m_setupDialog;
    std::unique_ptr<Supervisor> m_supervisor;
    std::unique_ptr<TTrayIcon> m_tray;
    std::unique_ptr<TFMInicio> m_splash;  // hidden once closed, destroyed with this window
    ReleaseServer m_releaseServer;
    unsigned m_timerIntervals[5] = {0, 5000, 1000, 1000, 250};
};

}  // namespace ql::win32
