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

enum class Answer { Accepted, Refused, None };

// Asks one window of the status window's class to end its program. Only
// Quorlan's status window accepts; another program may have a window of
// that class name too, and a hung one does not answer.
Answer AskToEnd(HWND window, UINT request) {
    DWORD_PTR answer = 0;
    if (::SendMessageTimeoutA(window, request, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer) == 0) {
        return Answer::None;
    }
    return answer == static_cast<DWORD_PTR>(kCloseRequestAccepted) ? Answer::Accepted : Answer::Refused;
}

}  // namespace

// Windows of other log-on sessions are on other desktops and never found here.
int CloseRunningCopy() {
    const UINT request = ::RegisterWindowMessageA(kCloseRequestMessageName);
    if (request == 0) return kCloseExitStillRunning;
    bool unanswered = false;
    for (HWND window = ::FindWindowExA(nullptr, nullptr, kStatusWindowClass, nullptr); window != nullptr;
         window = ::FindWindowExA(nullptr, window, kStatusWindowClass, nullptr)) {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        if (processId == 0 || processId == ::GetCurrentProcessId() || !InThisLogOnSession(processId)) continue;
        // Opened before asking, so that the wait is for that very process.
        UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
        const Answer answer = AskToEnd(window, request);
        unanswered = unanswered || answer == Answer::None;
        if (answer != Answer::Accepted) continue;
        if (!process) return ::IsWindow(window) ? kCloseExitStillRunning : kCloseExitEnded;
        return ::WaitForSingleObject(process.get(), kEndTimeoutMs) == WAIT_OBJECT_0 ? kCloseExitEnded
                                                                                    : kCloseExitStillRunning;
    }
    // A window that did not answer may be a copy that hangs.
    return unanswered ? kCloseExitStillRunning : kCloseExitNoneRunning;
}

}  // namespace ql::win32
