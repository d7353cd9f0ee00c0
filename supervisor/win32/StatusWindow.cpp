#include "supervisor/win32/StatusWindow.h"

#include <ctime>
#include <stdexcept>
#include <string>

#include "release/UpdateRelease.h"
#include "supervisor/ActivityMonitor.h"

namespace ql::win32 {

namespace {
constexpr unsigned kTrayCallbackMessage = WM_USER + 1;
constexpr int kDesignWidth = 441;
constexpr int kDesignHeight = 333;
}  // namespace

TQL_Main::TQL_Main(Win32Services& services) : m_services(services) {
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - kDesignWidth) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - kDesignHeight) / 2;
    // A hidden top-level window (not message-only, so broadcasts reach it),
    // and a tool window, so the program has no taskbar button.
    // Without it nothing could receive the timers or a close request, and
    // the process would live on unseen, refusing every later start.
    if (!CreateWindowOf("TQL_Main", "Quorlan - Status Window", WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX, WS_EX_TOOLWINDOW,
                        x, y, kDesignWidth, kDesignHeight)) {
        throw std::runtime_error("The status window could not be created.");
    }
    m_grid = std::make_unique<StatusGrid>(Handle());
    RunStartUp(*this, m_services.log, static_cast<std::int64_t>(std::time(nullptr)));
}

TQL_Main::~TQL_Main() = default;

LRESULT TQL_Main::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case report::kReportMessage:
        if (m_supervisor) m_supervisor->Activity.ActivityMessage(wParam, lParam);
        return 0;
    case kTrayCallbackMessage:
        return 0;
    case WM_SHOWWINDOW:
        // Hidden, the grid skips what only a reader needs; shown, it is rebuilt.
        m_grid->SetShowing(wParam != FALSE);
        if (wParam != FALSE && m_supervisor) m_supervisor->Sessions.RefreshGrid(m_services.desktop);
        return Window::HandleMessage(message, wParam, lParam);
    case WM_PAINT:
        Paint();
        return 0;
    case WM_CLOSE:
        FormClose();
        return 0;
    case WM_DESTROY:
        m_setupDialog.reset();  // saves the settings once more
        if (m_tray) m_tray->Remove();
        ::PostQuitMessage(0);
        return 0;
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

void TQL_Main::OnTimer(WPARAM timer) {
    if (!m_supervisor) return;
    switch (static_cast<TimerId>(timer)) {
    case TimerId::ITest: m_supervisor->Scan.ITestTimer(); break;
    case TimerId::TActivity: m_supervisor->Activity.TActivityTimer(); break;
    case TimerId::TGestionCierre: m_supervisor->Closer.TGestionCierreTimer(); break;
    case TimerId::TrayIconTimer:
        if (m_tray) m_tray->Animate();
        break;
    }
}

void TQL_Main::FormClose() {
    if (ExitMode != 1) {
        ::ShowWindow(Handle(), SW_HIDE);
        return;
    }
    if (m_supervisor) m_supervisor->Shutdown();
    m_services.log.WriteLog("Exit");
    ::DestroyWindow(Handle());
}

void TQL_Main::Paint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Handle(), &paint);
    RECT client;
    ::GetClientRect(Handle(), &client);
    m_grid->Paint(dc, client);
    ::EndPaint(Handle(), &paint);
}

const TSetup& TQL_Main::CreateSetupDialog() {
    m_setupDialog = std::make_unique<TFConfig>(m_services.profile, m_services.files, m_services.guids);
    m_supervisor = std::make_unique<Supervisor>(
        SupervisorServices{m_services.desktop, m_services.hookLibrary, m_services.processes, m_services.keyboard,
                           m_services.log, *this, *m_grid},
        m_setupDialog->Setup);
    return m_setupDialog->Setup;
}

void TQL_Main::ShowSplash(SplashMode mode) {
    m_releaseServer = ReadReleaseServer(m_services.profile, m_setupDialog->Setup);
    if (!m_releaseServer.enabled) mode = SplashMode::Plain;  // switched off: nothing to look for
    m_splash = std::make_unique<TFMInicio>(kVersionDisplayText, mode, Handle());
    m_splash->Show();
}

void TQL_Main::UpdateRelease() {
    if (!m_releaseServer.enabled) return;
    ql::UpdateRelease(m_setupDialog->Setup, m_services.http, m_services.log, m_releaseServer,
                      static_cast<std::int64_t>(std::time(nullptr)));
}

void TQL_Main::ShowSetupModal() { m_setupDialog->ShowModal(); }

void TQL_Main::SetStatusBarText(const char* /*text*/) {}

void TQL_Main::SetTimerInterval(TimerId timer, unsigned milliseconds) {
    m_timerIntervals[static_cast<unsigned>(timer)] = milliseconds;
}

void TQL_Main::SetProgramCaption(const char* text) { m_grid->SetProgramCaption(text); }

void TQL_Main::ResetSessions() { m_supervisor->Sessions.ResetAll(); }

bool TQL_Main::BindHookLib() { return m_supervisor->Hooks.BindHookLib(*this); }

void TQL_Main::EnableTimer(TimerId timer) {
    ::SetTimer(Handle(), static_cast<UINT_PTR>(timer), m_timerIntervals[static_cast<unsigned>(timer)], nullptr);
}

void TQL_Main::CreateTrayIcon() { m_tray = std::make_unique<TTrayIcon>(); }

void TQL_Main::RecordMainWindow() {
    MainWindow = Handle();
    m_supervisor->Scan.SetMainWindow(ToWindowId(MainWindow));
}

void TQL_Main::WriteGridHeaders() { m_supervisor->Sessions.WriteGridHeaders(); }

void TQL_Main::ClearRefreshing() { m_supervisor->Sessions.Refreshing = false; }

void TQL_Main::PostTip(const char* text) { PostEvent(tray::kTip, text); }

void TQL_Main::LogTracking() { ql::LogTracking(m_setupDialog->Setup, m_services.log); }

void TQL_Main::FatalError(const char* text) {
    ::MessageBoxA(nullptr, text, nullptr, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    ExitMode = 1;
    ::PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

void TQL_Main::PostEvent(int kind, const char* text) {
    if (m_tray) m_tray->PostEvent(kind, text);
}

}  // namespace ql::win32
