// The start-up sequence carried out on the status window's own parts.
#include <ctime>

#include "release/UpdateRelease.h"
#include "platform/win32/MachineName.h"
#include "release/win32/SplashWindow.h"
#include "supervisor/Exemption.h"
#include "supervisor/StartUp.h"
#include "supervisor/win32/StatusWindow.h"

namespace ql::win32 {

class StatusWindow::StartUpSteps final : public StartUpHost {
public:
    explicit StartUpSteps(StatusWindow& main) : m_main(main), m_os(main.m_services) {}

    const TSetup& CreateSetupDialog() override {
        m_main.m_settings = std::make_unique<TSetup>(m_os.profile, m_os.files, m_os.guids, &m_os.log, &m_os.registry);
        m_main.m_exempt = ApplyExemption(*m_main.m_settings, m_os.groups, m_os.log);
        m_main.m_setupDialog =
            std::make_unique<SetupDialog>(m_main.Handle(), Setup(), m_os.registry, m_os.files, m_os.log);
        m_main.m_usage = std::make_unique<SessionUsage>(m_os.usageRecord, m_os.clock, m_os.processes, Setup(),
                                                         UsageIdentity{MachineName(), OwnLogonSession()});
        m_main.m_supervisor = std::make_unique<Supervisor>(
            SupervisorServices{m_os.desktop, m_os.hookLibrary, m_os.companion, m_os.processes, m_os.keyboard, m_os.log,
                               m_main, *m_main.m_grid, m_os.events, m_main.m_usage.get()},
            Setup());
        return Setup();
    }
    void ShowSplash(SplashMode mode) override {
        m_releaseServer = ReadReleaseServer(Setup(), m_os.log);
        if (!m_releaseServer.enabled) mode = SplashMode::Plain;  // switched off: nothing to look for
        m_main.m_splash = std::make_unique<SplashWindow>(kVersionDisplayText, mode, m_main.Handle());
        m_main.m_splash->Show();
    }
    bool ReleaseCheckOff() override { return !m_releaseServer.enabled; }
    bool UpdateRelease() override {
        if (!m_releaseServer.enabled) return false;
        return ql::UpdateRelease(Setup(), m_os.http, m_os.log, m_releaseServer,
                                 static_cast<std::int64_t>(std::time(nullptr)));
    }
    void ShowSetupModal() override { m_main.m_setupDialog->ShowModal(); }
    void SetStatusBarText(const char* text) override { m_main.SetStatusBarText(text); }
    void SetTimerInterval(TimerId timer, unsigned milliseconds) override {
        m_main.m_timerIntervals[static_cast<unsigned>(timer)] = milliseconds;
    }
    void SetProgramCaption(const char* text) override { m_main.m_grid->SetProgramCaption(text); }
    void ResetSessions() override { Core().ResetSessions(); }
    bool BindHookLib() override { return Core().BindHookLib(m_main); }
    void EnableTimer(TimerId timer) override {
        if (timer == TimerId::TrayAnimation) {
            m_main.WakeTrayIcon();
            return;
        }
        ::SetTimer(m_main.Handle(), static_cast<UINT_PTR>(timer), m_main.m_timerIntervals[static_cast<unsigned>(timer)],
                   nullptr);
    }
    void CreateTrayIcon() override {
        m_main.m_tray = std::make_unique<TrayIcon>(m_main.Handle(), ReleaseNotice{Setup().Upgrade, Setup().ActRelease});
    }
    void RecordMainWindow() override { Core().SetReportWindow(ToWindowId(m_main.Handle())); }
    void WriteGridHeaders() override { Core().Sessions().WriteGridHeaders(); }
    void ClearRefreshing() override { Core().Sessions().Refreshing = false; }
    void PostTip(const char* text) override { m_main.PostTip(text); }
    void LogTracking() override { ql::LogTracking(Setup(), m_os.log); }

private:
    TSetup& Setup() { return *m_main.m_settings; }
    Supervisor& Core() { return *m_main.m_supervisor; }
    // Sessions found by this copy run on its desktop, in its log-on session.
    std::uint32_t OwnLogonSession() {
        std::uint32_t session = 0;
        m_os.processList.LogonSessionOf(m_os.processList.CurrentProcess(), session);
        return session;
    }

    StatusWindow& m_main;
    Win32Services& m_os;
    ReleaseServer m_releaseServer;  // read with the splash, used by the check right after
};

void StatusWindow::StartUp() {
    StartUpSteps steps(*this);
    RunStartUp(steps, m_services.log, m_services.events, static_cast<std::int64_t>(std::time(nullptr)));
    m_lastAgeTick = ::GetTickCount();  // the ageing timer has just started
    // Told as they happen from now on; the scan stays as the net for what an event missed.
    if (m_supervisor) m_services.windowEvents.Watch(*m_supervisor);
}

}  // namespace ql::win32
