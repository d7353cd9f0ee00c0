#pragma once
// Ends a process that the closing has given its time to end by itself.
#include "platform/Processes.h"

namespace ql {

namespace kill {
constexpr int kFailed = 0;      // could not be opened, or termination failed
constexpr int kEnded = 1;       // had ended by itself
constexpr int kTerminated = 2;  // terminated
}  // namespace kill

// Never waits: a process still running is terminated at once.
int EndProcess(ProcessControl& processes, ProcessId process);

}  // namespace ql
