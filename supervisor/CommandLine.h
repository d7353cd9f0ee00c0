#pragma once
// What Quorlan.exe is asked to do by its command line. Without arguments it
// starts (and a second copy ends at once); "/close" asks the copy running in
// this log-on session to end as the menu's "Close" does, for scripts run
// before an upgrade. "/scan-only" is a test switch: the program starts
// without listening for window events, so the periodic scan alone finds the
// sessions, as where the system delivers no events.
namespace ql {

enum class LaunchCommand { Start, Close, Report, StartScanOnly };

// "/close" or "-close" (and so the test switch), any letter case, blanks
// around it allowed; "/report" (or "-report") followed by nothing or a
// blank, its own arguments after it (given to reportArguments); anything
// else starts the program as before.
LaunchCommand ParseCommandLine(const char* arguments, const char** reportArguments = nullptr);

// The window message, registered by this name, that asks the running copy's
// status window to end as "Close" does. Its answer is kCloseRequestAccepted.
constexpr const char* kCloseRequestMessageName = "Quorlan.CloseRequest";
constexpr long kCloseRequestAccepted = 0x51C1;

// Exit codes of "Quorlan.exe /close".
constexpr int kCloseExitEnded = 0;       // a running copy was asked and has ended
constexpr int kCloseExitNoneRunning = 1;  // no copy runs in this log-on session
constexpr int kCloseExitStillRunning = 2;  // a copy was asked but has not ended in time

}  // namespace ql
