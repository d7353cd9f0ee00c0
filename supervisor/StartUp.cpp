#include "supervisor/StartUp.h"

#include <cstdio>

#include "settings/Setup.h"

namespace ql {

namespace {

void WriteHeader(LogSink& log) {
    log.WriteLog(" ");
    log.WriteLog("-----------------------------------------------------");
    log.WriteLog("Runing...");
}

void ShowSplashAndCheckRelease(StartUpHost& host, const TSetup& setup, std::int64_t now) {
    if (now - setup.SinchT > kReleaseCheckPeriod) {
        host.ShowSplash(SplashMode::ReleaseCheck);
        host.UpdateRelease();
    } else {
        host.ShowSplash(SplashMode::Plain);
    }
}

void ShowReleaseState(StartUpHost& host, const TSetup& setup) {
    if (!setup.Upgrade) {
        host.SetStatusBarText("Your Quorlan is up to date");
        return;
    }
    char text[256];
    std::snprintf(text, sizeof text, "New Release %s  Available. Visit %s to upgrade", setup.ActRelease,
                  kVendorAddress);
    host.SetStatusBarText(text);
}

}  // namespace

bool RunStartUp(StartUpHost& host, LogSink& log, std::int64_t now) {
    WriteHeader(log);
    const TSetup& setup = host.CreateSetupDialog();
    ShowSplashAndCheckRelease(host, setup, now);
    if (setup.Program[0] == '\0') host.ShowSetupModal();
    ShowReleaseState(host, setup);
    host.SetTimerInterval(TimerId::ITest, static_cast<unsigned>(setup.ScanInterval) * 1000u);
    host.SetProgramCaption(setup.Program);
    host.ResetSessions();
    if (!host.BindHookLib()) return false;
    host.EnableTimer(TimerId::ITest);
    host.CreateTrayIcon();
    host.EnableTimer(TimerId::TrayIconTimer);
    host.RecordMainWindow();
    host.WriteGridHeaders();
    host.ClearRefreshing();
    char tip[64];
    std::snprintf(tip, sizeof tip, "Quorlan\nTracking %02i Active Sesions", 0);
    host.PostTip(tip);
    host.LogTracking();
    host.EnableTimer(TimerId::TActivity);
    host.EnableTimer(TimerId::TGestionCierre);
    return true;
}

}  // namespace ql
