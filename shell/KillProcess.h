#pragma once
// Ends a process: asks each of its top-level windows to close, waits, and
// terminates it if it is still running.
#include "platform/Desktop.h"
#include "platform/Processes.h"

namespace ql {

namespace kill {
constexpr int kFailed = 0;      // could not be opened, or termination failed
constexpr int kEnded = 1;       // ended by itself within the wait
constexpr int kTerminated = 2;  // terminated after the wait
}  // namespace kill

int KillProcess(Desktop& desktop, ProcessControl& processes, ProcessId process, unsigned waitMs);

}  // namespace ql
