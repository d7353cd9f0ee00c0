#pragma once
// Processes: the list of running programs, and ending one of them.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/FunctionRef.h"
#include "platform/Types.h"

namespace ql {

class ProcessList {
public:
    virtual ~ProcessList() = default;
    // Calls visit with the executable file name and the id of every running
    // process. False when no snapshot could be taken or its first entry not read.
    virtual bool ForEachProcess(FunctionRef<void(const char* exeFile, ProcessId process)> visit) = 0;
    // The log-on session (one user's desktop on the machine) the process runs
    // in; false when that cannot be told, for instance for a process that has ended.
    virtual bool LogonSessionOf(ProcessId process, std::uint32_t& session) = 0;
    virtual ProcessId CurrentProcess() = 0;
};

// An open process; closed when destroyed.
class ProcessHandle {
public:
    virtual ~ProcessHandle() = default;
    // True when the process ended within the wait.
    virtual bool WaitForExit(unsigned milliseconds) = 0;
    virtual bool Terminate(unsigned exitCode) = 0;
};

enum class ProcessWidth : std::uint8_t { Unknown, Bits32, Bits64 };

class ProcessControl {
public:
    virtual ~ProcessControl() = default;
    // Whether the process runs 32-bit or 64-bit code; Unknown when it cannot
    // be opened for the question.
    virtual ProcessWidth WidthOf(ProcessId process) = 0;
    // Opens the process for waiting and termination; null when refused.
    virtual std::unique_ptr<ProcessHandle> OpenForTermination(ProcessId process) = 0;
    // The account the process runs as, "DOMAIN\\name", at most capacity-1
    // characters and always zero-terminated; false when it cannot be told.
    virtual bool AccountOf(ProcessId process, char* buffer, std::size_t capacity) = 0;
    // True only when the process is known to have ended; a process that
    // cannot be opened for the question counts as running.
    virtual bool HasEnded(ProcessId process) = 0;
};

}  // namespace ql
