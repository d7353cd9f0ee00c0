#pragma once
// Processes in memory: a list of running programs, and processes that end
// (or refuse to) when asked.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Processes.h"

namespace ql::test {

class FakeProcessList final : public ProcessList {
public:
    std::vector<std::string> exeFiles;
    bool snapshotFails = false;
    bool ForEachProcess(FunctionRef<void(const char*)> visit) override;
};

struct FakeProcess {
    bool canOpen = true;
    bool exitsWithinWait = false;  // ends by itself while waited for
    bool canTerminate = true;
    bool ended = false;
    unsigned waitedMs = 0;
    int terminations = 0;
};

class FakeProcessControl final : public ProcessControl {
public:
    std::map<ProcessId, FakeProcess> processes;
    int openHandles = 0;
    std::unique_ptr<ProcessHandle> OpenForTermination(ProcessId process) override;
};

}  // namespace ql::test
