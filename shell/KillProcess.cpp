#include "shell/KillProcess.h"

namespace ql {

int KillProcess(Desktop& desktop, ProcessControl& processes, ProcessId process, unsigned waitMs) {
    std::unique_ptr<ProcessHandle> handle = processes.OpenForTermination(process);
    if (!handle) return kill::kFailed;
    desktop.EnumTopLevelWindows([&](WindowId window) {
        ProcessId owner = 0;
        desktop.ThreadOf(window, &owner);
        if (owner == process) desktop.Post(window, msg::kClose, 0, 0);
        return true;
    });
    if (handle->WaitForExit(waitMs)) return kill::kEnded;
    return handle->Terminate(0) ? kill::kTerminated : kill::kFailed;
}

}  // namespace ql
