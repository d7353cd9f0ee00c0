#pragma once
// Processes through Toolhelp snapshots, OpenProcess and TerminateProcess.
#include "platform/Processes.h"

namespace ql::win32 {

class Win32ProcessList final : public ProcessList {
public:
    bool ForEachProcess(FunctionRef<void(const char* exeFile, ProcessId process)> visit) override;
    bool LogonSessionOf(ProcessId process, std::uint32_t& session) override;
    ProcessId CurrentProcess() override;
};

class Win32ProcessControl final : public ProcessControl {
public:
    std::unique_ptr<ProcessHandle> OpenForTermination(ProcessId process) override;
    bool AccountOf(ProcessId process, char* buffer, std::size_t capacity) override;
    ProcessWidth WidthOf(ProcessId process) override;
    bool HasEnded(ProcessId process) override;
};

}  // namespace ql::win32
