// Quorlan's entry point: one copy at a time, a hidden status window, and
// its message loop.
#include <windows.h>

#include <exception>

#include "supervisor/CommandLine.h"
#include "supervisor/CountInstances.h"
#include "supervisor/win32/CloseRunningCopy.h"
#include "supervisor/win32/StatusWindow.h"

namespace {
// A start-up that fails is told first to the log, then to the user.
void ReportFailure(ql::LogSink& log, const char* text) {
    log.WriteLog(text);
    ::MessageBoxA(nullptr, text, "Quorlan", MB_OK | MB_ICONERROR);
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    const ql::LaunchCommand command = ql::ParseCommandLine(arguments);
    if (command == ql::LaunchCommand::Close) return ql::win32::CloseRunningCopy();
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
