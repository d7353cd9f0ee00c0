// Quorlan's entry point: one copy at a time, a hidden status window, and
// its message loop.
#include <windows.h>

#include <exception>

#include "platform/win32/DllSearch.h"
#include "supervisor/CommandLine.h"
#include "supervisor/CountInstances.h"
#include "supervisor/win32/CloseRunningCopy.h"
#include "supervisor/win32/StatusWindow.h"
#include "usage/ReportCommand.h"

namespace {
// A start-up that fails is told first to the log, then to the user.
void ReportFailure(ql::LogSink& log, const char* text) {
    log.WriteLog(text);
    ::MessageBoxA(nullptr, text, "Quorlan", MB_OK | MB_ICONERROR);
}

// "Quorlan.exe /report [days] [folder]": the usage report, without starting
// anything else; its exit code tells the outcome.
int WriteReport(const char* arguments) {
    ql::ReportRequest request;
    if (!ql::ParseReportArguments(arguments, request)) return ql::report::kExitBadArguments;
    ql::win32::Win32FileSystem files;
    ql::win32::Win32Clock clock;
    ql::win32::Win32ProfileStore profile;
    ql::win32::Win32Registry registry;
    const std::string folder = ql::ResolvedFolder(files, request.folder);
    const int maxSession = ql::ConfiguredMaxSession(profile, registry, folder);
    return ql::WriteUsageReport(files, clock, request, maxSession);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    ql::win32::RestrictDllSearchToSystem();
    const char* reportArguments = nullptr;
    const ql::LaunchCommand command = ql::ParseCommandLine(arguments, &reportArguments);
    switch (command) {
    case ql::LaunchCommand::Close: return ql::win32::CloseRunningCopy();
    case ql::LaunchCommand::Report: return WriteReport(reportArguments);
    case ql::LaunchCommand::Start:
    case ql::LaunchCommand::StartScanOnly: break;
    }
    ql::win32::Win32Services services;
    if (command == ql::LaunchCommand::StartScanOnly) services.windowEvents.SwitchOff();
    int count = 0;
    if (ql::CountInstances(services.processList, count) && count > 1) return 0;
    try {
        ql::win32::StatusWindow statusWindow(services);
        MSG message;
        while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    } catch (const std::exception& error) {
        ReportFailure(services.log, error.what());
    } catch (...) {
        ReportFailure(services.log, "An unexpected error stopped Quorlan.");
    }
    return 0;
}
