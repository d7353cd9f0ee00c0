// Quorlan's entry point: one copy at a time, a hidden status window, and
// its message loop.
#include <windows.h>

#include <exception>

#include "platform/win32/DllSearch.h"
#include "platform/win32/UpgradeSignal.h"
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
    ql::win32::RestrictDllSearchToSystem();
    if (ql::ParseCommandLine(arguments) == ql::LaunchCommand::Close) return ql::win32::CloseRunningCopy();
    ql::win32::Win32Services services;
    int count = 0;
    if (ql::CountInstances(services.processList, count) && count > 1) return 0;
    try {
        ql::win32::StatusWindow statusWindow(services);
        // An installer about to replace the program's files ends this copy
        // as "Close" does, hooks removed, instead of closing supervised programs.
        const ql::win32::UpgradeWatcher upgrade(statusWindow.Handle(),
                                                ::RegisterWindowMessageA(ql::kCloseRequestMessageName));
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
