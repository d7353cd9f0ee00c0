// The start-up sequence carried out on the status window's own parts.
#include <ctime>

#include "release/UpdateRelease.h"
#include "release/win32/SplashWindow.h"
#include "supervisor/StartUp.h"
#include "supervisor/win32/StatusWindow.h"

namespace ql::win32 {

class TQL_Main::StartUpSteps final : public StartUpHost {
public:
    explicit StartUpSteps(TQL_Main& window) : w(window) {}

    const TSetup& CreateSetupDialog() override {
        w.m_setupDialog = std::make_unique<TFConfig>(w.m_services.profile, w.m_services.files, w.m_services.guids);
        w.m_supervisor = std::make_unique<Supervisor>(
            SupervisorServices{w.m_services.desktop, w.m_services.hookLibrary, w.m_services.processes,
                               w.m_services.keyboard, w.m_services.log, w, *w.m_grid},
            w.m_setupDialog->Setup);
        return w.m_setupDialog->Setup;
    }
    void ShowSplash(SplashMode mode) override { TFMInicio(kVersionDisplayText, mode).Show(); }
    void UpdateRelease() override { ql::UpdateRelease(w.m_setupDialog->Setup); }
    void ShowSetupModal() override { w.m_setupDialog->ShowModal(); }
    void SetStatusBarText(const char* text) override { w.SetStatusBarText(text); }
    void SetTimerInterval(TimerId timer, unsigned milliseconds) override {
        w.m_timerIntervals[static_cast<unsigned>(timer)] = milliseconds;
    }
    void SetProgramCaption(const char* text) override { w.m_grid->SetProgramCaption(text); }
    void ResetSessions() override { w.m_supervisor->Sessions.ResetAll(); }
    bool BindHookLib() override { return w.m_supervisor->Hooks.BindHookLib(w); }
    void EnableTimer(TimerId timer) override {
        ::SetTimer(w.Handle(), static_cast<UINT_PTR>(timer), w.m_timerIntervals[static_cast<unsigned>(timer)], nullptr);
    }
    void CreateTrayIcon() override { w.m_tray = std::make_unique<TTrayIcon>(w.Handle(), w.m_setupDialog->Setup); }
    void RecordMainWindow() override { w.m_supervisor->Scan.SetMainWindow(ToWindowId(w.Handle())); }
    void WriteGridHeaders() override { w.m_supervisor->Sessions.WriteGridHeaders(); }
    void ClearRefreshing() override { w.m_supervisor->Sessions.Refreshing = false; }
    void PostTip(const char* text) override { w.PostEvent(tray::kTip, text); }
    void LogTracking() override { ql::LogTracking(w.m_setupDialog->Setup, w.m_services.log); }

private:
    TQL_Main& w;
};

void TQL_Main::StartUp() {
    StartUpSteps steps(*this);
    RunStartUp(steps, m_services.log, static_cast<std::int64_t>(std::time(nullptr)));
}

}  // namespace ql::win32
