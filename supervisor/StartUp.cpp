#include "supervisor/StartUp.h"

#include <cstdio>

#include "settings/Setup.h"
#include "shell/AuditRecord.h"

namespace ql {

namespace {

void WriteHeader(LogSink& log) {
    log.WriteLog(" ");
    log.WriteLog("-----------------------------------------------------");
    log.WriteLog("Runing...");
}

// What this start knows of the current release.
enum class ReleaseKnowledge { Known, CheckOff, CheckFailed };

ReleaseKnowledge ShowSplashAndCheckRelease(StartUpHost& host, const TSetup& setup, std::int64_t now) {
    const bool due = now - setup.SinchT > kReleaseCheckPeriod;
    host.ShowSplash(due ? SplashMode::ReleaseCheck : SplashMode::Plain);
    // A release learnt before the check was switched off may be long outdated.
    if (host.ReleaseCheckOff()) return ReleaseKnowledge::CheckOff;
    if (!due) return ReleaseKnowledge::Known;
    return host.UpdateRelease() ? ReleaseKnowledge::Known : ReleaseKnowledge::CheckFailed;
}

void RecordReleaseKnowledge(AuditRecord& record, ReleaseKnowledge knowledge) {
    if (knowledge == ReleaseKnowledge::CheckOff) record.Record(audit::kReleaseCheckOff, kReleaseOffText);
    if (knowledge == ReleaseKnowledge::CheckFailed) {
        record.Record(audit::kReleaseCheckFailed, kReleaseFailedText, EventType::Warning);
    }
}

void ShowReleaseState(StartUpHost& host, const TSetup& setup, ReleaseKnowledge knowledge) {
    if (knowledge != ReleaseKnowledge::Known) {
        host.SetStatusBarText(knowledge == ReleaseKnowledge::CheckOff ? kReleaseOffText : kReleaseFailedText);
        return;
    }
    if (!setup.Upgrade) {
        host.SetStatusBarText(kUpToDateText);
        return;
    }
    char text[256];
    std::snprintf(text, sizeof text, "New Release %s  Available. Visit %s to upgrade", setup.ActRelease,
                  kVendorAddress);
    host.SetStatusBarText(text);
}

}  // namespace

bool RunStartUp(StartUpHost& host, LogSink& log, EventLog& events, std::int64_t now) {
    WriteHeader(log);
    const TSetup& setup = host.CreateSetupDialog();
    const ReleaseKnowledge knowledge = ShowSplashAndCheckRelease(host, setup, now);
    AuditRecord record(log, events);
    RecordReleaseKnowledge(record, knowledge);
    if (setup.Program[0] == '\0') host.ShowSetupModal();
    ShowReleaseState(host, setup, knowledge);
    host.SetTimerInterval(TimerId::Scan, static_cast<unsigned>(setup.ScanInterval) * 1000u);
    host.SetProgramCaption(setup.Program);
    host.ResetSessions();
    if (!host.BindHookLib()) return false;
    host.EnableTimer(TimerId::Scan);
    host.CreateTrayIcon();
    host.EnableTimer(TimerId::TrayAnimation);
    host.RecordMainWindow();
    host.WriteGridHeaders();
    host.ClearRefreshing();
    char tip[64];
    std::snprintf(tip, sizeof tip, "Quorlan\nTracking %02i Active Sesions", 0);
    host.PostTip(tip);
    host.LogTracking();
    host.EnableTimer(TimerId::Age);
    host.EnableTimer(TimerId::Close);
    return true;
}

}  // namespace ql
