#include "supervisor/win32/StatusWindow.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "platform/win32/CommonControls.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Font.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/UpgradeSignal.h"
#include "release/win32/SplashWindow.h"
#include "supervisor/ActivityMonitor.h"
#include "supervisor/CommandLine.h"
#include "supervisor/StartUp.h"
#include "supervisor/win32/ResourceIds.h"

namespace ql::win32 {

namespace {

constexpr int kDesignWidth = 441;
constexpr int kDesignHeight = 333;
constexpr int kStatusBarHeight = 19;
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED, absent from older headers

HICON ProgramIcon(int size) {
    return static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_QUORLAN), IMAGE_ICON,
                                           size, size, LR_SHARED));
}

}  // namespace

StatusWindow::StatusWindow(Win32Services& services)
    : m_services(services),
      m_taskbarCreated(::RegisterWindowMessageA("TaskbarCreated")),
      m_closeRequest(::RegisterWindowMessageA(kCloseRequestMessageName)) {
    m_dpi = DpiOf(nullptr);
    const int width = Scaled(kDesignWidth, m_dpi);
    const int height = Scaled(kDesignHeight, m_dpi);
    // A hidden top-level window (not message-only, so broadcasts reach it),
    // and a tool window, so the program has no taskbar button. Without it
    // nothing could receive the timers or a close request, and the process
    // would live on unseen, refusing every later start.
    if (!CreateWindowOf(hookproto::kReportWindowClass, "Quorlan - Status Window",
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, WS_EX_TOOLWINDOW,
                        (::GetSystemMetrics(SM_CXSCREEN) - width) / 2, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2,
                        width, height, nullptr,
                        ProgramIcon(::GetSystemMetrics(SM_CXICON)))) {
        throw SystemError("The status window could not be created.");
    }
    AllowReportsFromAnyProgram();
    m_grid = std::make_unique<StatusGrid>(Handle());
    m_menu = std::make_unique<PopupMenu>(m_dpi);
    ApplyDpi(DpiOf(Handle()));
    StartUp();
}

StatusWindow::~StatusWindow() = default;

// The status bar is made when the window is first shown: it is the common
// controls library's, which, once loaded, stays in the program's memory for
// all its life, while most of that life the window is hidden. The library is
// not freed: the bar lives as long as this window.
void StatusWindow::EnsureStatusBar() {
    if (m_statusBar != nullptr) return;
    LoadCommonControls(ICC_BAR_CLASSES);
    m_statusBar = ::CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                    Handle(), nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ApplyDpi(m_dpi);
    SetStatusBarText(m_statusText.c_str());
}

// Run elevated, the window would otherwise drop the reports that the hook
// library posts from the supervised program, which runs with a user's rights.
// Loaded at run time: older systems have no message filter.
void StatusWindow::AllowReportsFromAnyProgram() {
    using ChangeFilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    const auto changeFilter = reinterpret_cast<ChangeFilterFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilterEx")));
    constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
    if (changeFilter != nullptr) changeFilter(Handle(), report::kReportMessage, kAllow, nullptr);
}

LRESULT StatusWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == m_taskbarCreated) {
        if (m_tray) m_tray->Restore();
        return 0;
    }
    if (message == m_closeRequest && m_closeRequest != 0) {
        OnCloseClicked();  // "Quorlan.exe /close" of a script
        return kCloseRequestAccepted;
    }
    switch (message) {
    case WM_QUERYENDSESSION:
        return TRUE;  // log-off, shut-down, or an installer's Restart Manager may end this program
    case WM_ENDSESSION:
        // The process may be ended as soon as this returns: end now, as "Close" does.
        if (wParam != FALSE) EndProgram();
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case report::kReportMessage:
        if (m_supervisor) m_supervisor->OnReport(wParam, lParam);
        ScheduleTimers();
        return 0;
    case kTrayCallbackMessage:
        TrayMessage(lParam);
        return 0;
    case WM_CONTEXTMENU: {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (at.x == -1 && at.y == -1) {  // from the keyboard: at the window's corner
            at = POINT{0, 0};
            ::ClientToScreen(Handle(), &at);
        }
        ShowMenuAt(at);
        return 0;
    }
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU) break;
        m_menu->MeasureImage(*item);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU) break;
        m_menu->DrawImage(*item);
        return TRUE;
    }
    case WM_SIZE:
        Layout();
        return 0;
    case kDpiChanged: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        ApplyDpi(HIWORD(wParam));
        WidenToShowAll();
        return 0;
    }
    case WM_SHOWWINDOW:
        if (wParam != FALSE) EnsureStatusBar();
        // Hidden, the grid skips what only a reader needs; shown, it is rebuilt.
        m_grid->SetShowing(wParam != FALSE);
        if (wParam != FALSE && m_supervisor) m_supervisor->Sessions().RefreshGrid(m_services.desktop);
        if (wParam != FALSE) WidenToShowAll();
        return Window::HandleMessage(message, wParam, lParam);
    case WM_SETFOCUS:
        m_grid->FocusList();  // the list is the one control that takes the keyboard
        return 0;
    case WM_CLOSE:
        OnCloseRequest();
        return 0;
    case WM_DESTROY:
        m_setupDialog.reset();
        if (m_settings) m_settings->Save();  // what changed in this run, once more
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

void StatusWindow::OnTimer(WPARAM timer) {
    if (!m_supervisor) return;
    switch (static_cast<TimerId>(timer)) {
    case TimerId::Scan:
        LookForUpgrade();
        m_supervisor->OnScanTimer();
        break;
    case TimerId::Age: OnAgeTimer(); break;
    case TimerId::Close: m_supervisor->OnCloseTimer(); break;
    case TimerId::TrayAnimation:
        OnTrayTimer();
        return;
    }
    ScheduleTimers();
}

// An installer about to replace the program's files ends this copy as
// "Close" does, hooks removed, instead of closing supervised programs.
void StatusWindow::LookForUpgrade() {
    if (m_upgradeSeen || !UpgradeSignalRaised()) return;
    m_upgradeSeen = true;
    ::PostMessageA(Handle(), m_closeRequest, 0, 0);
}

// Ages by the whole seconds since the last ageing; a part of a second left
// over is dropped, so that a use counted now never counts from earlier.
void StatusWindow::OnAgeTimer() {
    const DWORD now = ::GetTickCount();
    const DWORD seconds = (now - m_lastAgeTick) / 1000;
    if (seconds == 0) return;
    m_lastAgeTick = now;
    m_supervisor->OnAgeTimer(static_cast<int>(seconds));
}

// Nothing runs while nothing happens: the ageing timer waits for the nearest
// idle limit, warning or fallback (a second while the window shows the idle
// times), and the closing timer runs only while a session is being closed.
void StatusWindow::ScheduleTimers() {
    if (!m_supervisor) return;
    const DWORD now = ::GetTickCount();
    const int wanted = ::IsWindowVisible(Handle()) ? 1 : m_supervisor->SecondsUntilNextAge();
    // On whole seconds from the last ageing: a tick that comes a little late
    // drops only that little.
    const DWORD passed = (now - m_lastAgeTick + 999) / 1000;
    const DWORD due = m_lastAgeTick + std::max(static_cast<DWORD>(wanted), passed) * 1000;
    const auto left = static_cast<LONG>(due - now);
    ::SetTimer(Handle(), static_cast<UINT_PTR>(TimerId::Age), static_cast<UINT>(std::max(left, LONG{USER_TIMER_MINIMUM})),
               nullptr);
    const bool closing = m_supervisor->ClosingUnderWay();
    if (closing && !m_closeTimerOn) {
        ::SetTimer(Handle(), static_cast<UINT_PTR>(TimerId::Close), m_timerIntervals[static_cast<unsigned>(TimerId::Close)],
                   nullptr);
    } else if (!closing && m_closeTimerOn) {
        ::KillTimer(Handle(), static_cast<UINT_PTR>(TimerId::Close));
    }
    m_closeTimerOn = closing;
}

// Only the right button opens the menu; a click on the warning balloon keeps
// the sessions it names; other clicks on the icon do nothing.
void StatusWindow::TrayMessage(LPARAM mouseMessage) {
    if (mouseMessage == kBalloonClicked && m_supervisor) {
        m_supervisor->OnBalloonClicked();
        ScheduleTimers();
    }
    if (mouseMessage != WM_RBUTTONDOWN) return;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ShowMenuAt(cursor);
}

void StatusWindow::ShowMenuAt(POINT at) {
    switch (m_menu->TrackAt(Handle(), at)) {
    case PopupMenu::ShowCommand: OnShowClicked(); break;
    case PopupMenu::HideCommand: OnHideClicked(); break;
    case PopupMenu::SetupCommand: OnSetupClicked(); break;
    case PopupMenu::AboutCommand: OnAboutClicked(); break;
    case PopupMenu::CloseCommand: OnCloseClicked(); break;
    default: break;
    }
}

// The list takes the keyboard: the window may have had the focus before
// its list was made at this first showing.
void StatusWindow::OnShowClicked() {
    ::ShowWindow(Handle(), SW_SHOWNORMAL);
    ::SetForegroundWindow(Handle());
    m_grid->FocusList();
    ScheduleTimers();  // the idle times are shown once a second now
}

void StatusWindow::OnHideClicked() { ::ShowWindow(Handle(), SW_HIDE); }

// The icon's menu still works while the setup dialog or the about box runs
// its modal loop. One of them at a time: choosing either while one is open
// brings the open one forward rather than starting a second loop inside the
// first, which could not end before the inner one.
bool StatusWindow::BringOpenBoxForward() {
    if (m_setupDialog && m_setupDialog->IsShowing()) {
        m_setupDialog->BringToFront();
        return true;
    }
    if (m_aboutBox != nullptr) {
        ::SetForegroundWindow(m_aboutBox->Handle());
        ::BringWindowToTop(m_aboutBox->Handle());
        return true;
    }
    return false;
}

void StatusWindow::OnSetupClicked() {
    if (!BringOpenBoxForward()) m_setupDialog->ShowModal();
}

// "Close" chosen meanwhile destroys the box with this window, which ends its
// loop; this object lives on until the program's own loop has ended.
void StatusWindow::OnAboutClicked() {
    if (BringOpenBoxForward()) return;
    SplashWindow about(kVersionDisplayText, SplashMode::About, Handle());
    m_aboutBox = &about;
    about.ShowModal();
    m_aboutBox = nullptr;
}

void StatusWindow::OnCloseClicked() {
    m_exitMode = ExitMode::EndProgram;
    ::PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

void StatusWindow::EndProgram() {
    m_exitMode = ExitMode::EndProgram;
    OnCloseRequest();
}

// A close request hides the window, unless the program is to end: then every
// session is unhooked, the library released, "Exit" logged and the icon removed.
void StatusWindow::OnCloseRequest() {
    if (m_exitMode == ExitMode::HideWindow) {
        ::ShowWindow(Handle(), SW_HIDE);
        return;
    }
    m_services.windowEvents.Stop();
    if (m_supervisor) m_supervisor->Shutdown();
    m_services.log.WriteLog("Exit");
    if (m_tray) m_tray->Remove();
    ::DestroyWindow(Handle());
}

// The window grows, if it must, so that its columns show their texts whole
// at this scaling; it never shrinks below what the person made it.
void StatusWindow::WidenToShowAll() {
    if (m_grid->List() == nullptr) return;
    RECT window;
    RECT client;
    ::GetWindowRect(Handle(), &window);
    ::GetClientRect(Handle(), &client);
    const int missing = m_grid->WidthShowingAll() - client.right;
    if (missing <= 0) return;
    const int width = window.right - window.left + missing;
    const int screen = ::GetSystemMetrics(SM_CXSCREEN);
    const int left = std::max(0, std::min(static_cast<int>(window.left) - missing / 2, screen - width));
    ::SetWindowPos(Handle(), nullptr, left, window.top, width, window.bottom - window.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

// The status bar at the bottom; the panel (label and grid) above it.
void StatusWindow::Layout() {
    if (m_grid == nullptr) return;
    RECT client;
    ::GetClientRect(Handle(), &client);
    RECT bar{};
    if (m_statusBar != nullptr) {
        ::SendMessageA(m_statusBar, WM_SIZE, 0, 0);
        ::GetWindowRect(m_statusBar, &bar);
    }
    const int barHeight = bar.bottom - bar.top;
    ::MoveWindow(m_grid->Handle(), 0, 0, client.right, std::max(0L, client.bottom - barHeight), TRUE);
}

void StatusWindow::ApplyDpi(UINT dpi) {
    m_dpi = dpi;
    if (m_statusBar != nullptr) {
        m_font = MakeFont(-Scaled(13, dpi));
        ::SendMessageA(m_statusBar, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), TRUE);
        ::SendMessageA(m_statusBar, SB_SETMINHEIGHT, static_cast<WPARAM>(Scaled(kStatusBarHeight, dpi)), 0);
    }
    ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(ProgramIcon(::GetSystemMetrics(SM_CXSMICON))));
    m_grid->SetDpi(dpi);
    m_menu->SetDpi(dpi);
    Layout();
}

// One panel across the bar, its text centred, without a bevel.
void StatusWindow::SetStatusBarText(const char* text) {
    m_statusText = text;
    if (m_statusBar == nullptr) return;
    const std::string centred = "\t" + m_statusText;
    ::SendMessageA(m_statusBar, SB_SETTEXTA, SBT_NOBORDERS, reinterpret_cast<LPARAM>(centred.c_str()));
}

void StatusWindow::FatalError(const char* text) {
    ::MessageBoxA(nullptr, text, nullptr, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    m_exitMode = ExitMode::EndProgram;
    ::PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

void StatusWindow::PostState(TrayImage image) {
    if (!m_tray) return;
    m_tray->PostState(image);
    WakeTrayIcon();
}

// An exempt user's tip says so on its first line, in place of the name alone.
void StatusWindow::PostTip(const char* text) {
    if (!m_tray) return;
    if (!m_exempt) {
        m_tray->PostTip(text);
    } else {
        const std::string tip = text;
        const std::size_t lineEnd = tip.find('\n');
        m_tray->PostTip(
            ("Quorlan - Exempt" + (lineEnd == std::string::npos ? std::string() : tip.substr(lineEnd))).c_str());
    }
    WakeTrayIcon();
}

void StatusWindow::PostBalloon(const char* text) {
    if (!m_tray) return;
    m_tray->PostBalloon(text);
    WakeTrayIcon();
}

// The icon's ticks run from a request until it rests again.
void StatusWindow::WakeTrayIcon() {
    if (m_trayTimerOn) return;
    ::SetTimer(Handle(), static_cast<UINT_PTR>(TimerId::TrayAnimation),
               m_timerIntervals[static_cast<unsigned>(TimerId::TrayAnimation)], nullptr);
    m_trayTimerOn = true;
}

void StatusWindow::OnTrayTimer() {
    if (m_tray) m_tray->Animate();
    if (m_tray && !m_tray->AtRest()) return;
    ::KillTimer(Handle(), static_cast<UINT_PTR>(TimerId::TrayAnimation));
    m_trayTimerOn = false;
}

}  // namespace ql::win32
