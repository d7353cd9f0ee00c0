#pragma once
// The status window's initialisation: the one place where the order of
// start-up is fixed. The host carries out each step.
#include <cstdint>

#include "platform/EventLog.h"
#include "core/Version.h"
#include "release/ReleaseEndpoint.h"
#include "release/SplashMode.h"
#include "shell/LogSink.h"

namespace ql {

class TSetup;

enum class TimerId : unsigned { Scan = 1, Age = 2, Close = 3, TrayAnimation = 4 };

constexpr std::int64_t kReleaseCheckPeriod = 2592000;  // 30 days, in seconds

class StartUpHost {
public:
    virtual ~StartUpHost() = default;
    // Creates the setup dialog, which loads the settings; returns them.
    virtual const TSetup& CreateSetupDialog() = 0;
    virtual void ShowSplash(SplashMode mode) = 0;
    // Whether the settings switch the release check off; known once the splash shows.
    virtual bool ReleaseCheckOff() = 0;
    // Runs the release check; false when no answer came.
    virtual bool UpdateRelease() = 0;
    virtual void ShowSetupModal() = 0;
    virtual void SetStatusBarText(const char* text) = 0;
    virtual void SetTimerInterval(TimerId timer, unsigned milliseconds) = 0;
    virtual void SetProgramCaption(const char* text) = 0;
    virtual void ResetSessions() = 0;
    virtual bool BindHookLib() = 0;
    virtual void EnableTimer(TimerId timer) = 0;
    virtual void CreateTrayIcon() = 0;
    virtual void RecordMainWindow() = 0;
    virtual void WriteGridHeaders() = 0;
    virtual void ClearRefreshing() = 0;
    virtual void PostTip(const char* text) = 0;
    virtual void LogTracking() = 0;
};

// Runs the initialisation; false when it stopped because the hook library
// could not be bound (the program then ends).
bool RunStartUp(StartUpHost& host, LogSink& log, EventLog& events, std::int64_t now);

constexpr const char* kUpToDateText = "Your Quorlan is up to date";
constexpr const char* kReleaseOffText = "Latest release not known: the release check is switched off";
constexpr const char* kReleaseFailedText = "Latest release not known: the release check failed";

}  // namespace ql
