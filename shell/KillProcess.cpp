#include "shell/KillProcess.h"

namespace ql {

int EndProcess(ProcessControl& processes, ProcessId process) {
    std::unique_ptr<ProcessHandle> handle = processes.OpenForTermination(process);
    if (!handle) return kill::kFailed;
    if (handle->WaitForExit(0)) return kill::kEnded;
    return handle->Terminate(0) ? kill::kTerminated : kill::kFailed;
}

}  // namespace ql
