#include "supervisor/win32/CloseRunningCopy.h"

#include <windows.h>

#include "core/HookProtocol.h"
#include "platform/win32/UniqueHandle.h"
#include "supervisor/CommandLine.h"

namespace ql::win32 {

namespace {

constexpr const char* kStatusWindowClass = hookproto::kReportWindowClass;
constexpr UINT kAnswerTimeoutMs = 10000;
// Ending saves the settings and unhooks every session: generous on a busy machine.
constexpr DWORD kEndTimeoutMs = 20000;

bool InThisLogOnSession(DWORD processId) {
    DWORD own = 0;
    DWORD theirs = 0;
    return ::ProcessIdToSessionId(::GetCurrentProcessId(), &own) != FALSE &&
           ::ProcessIdToSessionId(processId, &theirs) != FALSE && own == theirs;
}

// The status window of another Quorlan process of this log-on session;
// windows of other sessions are on other desktops and never found here.
HWND FindRunningStatusWindow(DWORD& processId) {
    for (HWND window = ::FindWindowExA(nullptr, nullptr, kStatusWindowClass, nullptr); window != nullptr;
         window = ::FindWindowExA(nullptr, window, kStatusWindowClass, nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner != 0 && owner != ::GetCurrentProcessId() && InThisLogOnSession(owner)) {
            processId = owner;
            return window;
        }
    }
    return nullptr;
}

}  // namespace

int CloseRunningCopy() {
    DWORD processId = 0;
    HWND statusWindow = FindRunningStatusWindow(processId);
    if (statusWindow == nullptr) return kCloseExitNoneRunning;
    // Opened before asking, so that the wait is for that very process.
    UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    const UINT request = ::RegisterWindowMessageA(kCloseRequestMessageName);
    DWORD_PTR answer = 0;
    if (request == 0 ||
        ::SendMessageTimeoutA(statusWindow, request, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer) == 0 ||
        answer != static_cast<DWORD_PTR>(kCloseRequestAccepted)) {
        return kCloseExitStillRunning;
    }
    if (!process) return ::IsWindow(statusWindow) ? kCloseExitStillRunning : kCloseExitEnded;
    return ::WaitForSingleObject(process.get(), kEndTimeoutMs) == WAIT_OBJECT_0 ? kCloseExitEnded
                                                                                : kCloseExitStillRunning;
}

}  // namespace ql::win32
