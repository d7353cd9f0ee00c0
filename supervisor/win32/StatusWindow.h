#pragma once
// StatusWindow, the status window: the program's main window, hidden until the
// user asks for it from the notification-area icon's menu. It runs the
// start-up, owns the settings, the supervisor and the tray icon, and drives
// them with its four timers.
#include <memory>
#include <string>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Window.h"
#include "release/win32/SplashWindow.h"
#include "settings/win32/SetupDialog.h"
#include "shell/win32/TrayIcon.h"
#include "supervisor/FatalErrorSink.h"
#include "supervisor/Supervisor.h"
#include "supervisor/win32/PopupMenu.h"
#include "supervisor/win32/StatusGrid.h"
#include "supervisor/win32/Win32Services.h"

namespace ql::win32 {

class StatusWindow final : public Window, private FatalErrorSink, private TrayEvents {
public:
    // What a close request on the window does.
    enum class ExitMode { HideWindow, EndProgram };

    explicit StatusWindow(Win32Services& services);
    ~StatusWindow() override;

private:
    class StartUpSteps;  // carries out the start-up sequence on this window
    void StartUp();
    void AllowReportsFromAnyProgram();
    void EnsureStatusBar();

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(WPARAM timer);
    void LookForUpgrade();
    void WakeTrayIcon();
    void OnTrayTimer();
    void OnAgeTimer();
    void ScheduleTimers();
    void TrayMessage(LPARAM mouseMessage);
    void ShowMenuAt(POINT at);
    void OnCloseRequest();
    // Ends the program at once, as "Close" does (settings saved, sessions
    // unhooked, "Exit" logged), before the handler returns.
    void EndProgram();
    void Layout();
    void WidenToShowAll();
    void ApplyDpi(UINT dpi);
    void SetStatusBarText(const char* text);
    bool BringOpenBoxForward();

    // The menu's handlers.
    void OnShowClicked();         // "Show"
    void OnHideClicked();       // "Hide"
    void OnSetupClicked();         // "Setup"
    void OnAboutClicked();  // "About"
    void OnCloseClicked();        // "Close"

    // FatalErrorSink
    void FatalError(const char* text) override;
    // TrayEvents: the supervisor's requests reach the icon once it exists.
    void PostState(TrayImage image) override;
    void PostTip(const char* text) override;
    void PostBalloon(const char* text) override;

    Win32Services& m_services;
    ExitMode m_exitMode = ExitMode::HideWindow;
    bool m_exempt = false;  // the administrator exempts this user: nothing is closed
    const UINT m_taskbarCreated;  // broadcast by a shell that has (re)started
    const UINT m_closeRequest;    // sent by "Quorlan.exe /close"
    UINT m_dpi = 96;
    UniqueFont m_font;
    HWND m_statusBar = nullptr;  // a child destroyed with this window; made when first shown
    std::string m_statusText;    // what the status bar says, kept while it does not exist
    std::unique_ptr<StatusGrid> m_grid;
    std::unique_ptr<PopupMenu> m_menu;
    std::unique_ptr<TSetup> m_settings;  // in effect; lent to the dialog and the supervisor
    std::unique_ptr<SetupDialog> m_setupDialog;
    std::unique_ptr<SessionUsage> m_usage;  // lent to the supervisor, which ends before it
    std::unique_ptr<Supervisor> m_supervisor;
    std::unique_ptr<TrayIcon> m_tray;
    std::unique_ptr<SplashWindow> m_splash;  // hidden once closed, destroyed with this window
    SplashWindow* m_aboutBox = nullptr;      // the about box while its modal loop runs
    unsigned m_timerIntervals[5] = {0, 5000, 1000, 1000, 250};  // by TimerId
    DWORD m_lastAgeTick = 0;    // tick count at the latest ageing
    bool m_closeTimerOn = true;  // started with the others
    bool m_trayTimerOn = false;
    bool m_upgradeSeen = false;  // an installer's signal, acted on once
};

}  // namespace ql::win32
