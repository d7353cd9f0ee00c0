#pragma once
// Processes in memory: a list of running programs, and processes that end
// (or refuse to) when asked.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Processes.h"

namespace ql::test {

struct FakeProcessEntry {
    std::string exeFile;
    std::uint32_t logonSession = 1;
    bool sessionKnown = true;  // false: asking for its session fails (it has ended)
};

// The processes of a machine; ids are the list's indexes plus 100, and the
// caller is the process with id currentProcess.
class FakeProcessList final : public ProcessList {
public:
    std::vector<FakeProcessEntry> entries;
    ProcessId currentProcess = 100;
    bool snapshotFails = false;

    // Adds processes of one log-on session.
    void Add(std::initializer_list<const char*> exeFiles, std::uint32_t logonSession = 1);
    bool ForEachProcess(FunctionRef<void(const char*, ProcessId)> visit) override;
    bool LogonSessionOf(ProcessId process, std::uint32_t& session) override;
    ProcessId CurrentProcess() override { return currentProcess; }
};

struct FakeProcess {
    ProcessWidth width = ProcessWidth::Bits32;
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
    std::map<ProcessId, std::string> accounts;  // a process missing here cannot be told
    int openHandles = 0;
    // Called before a process is terminated.
    std::function<void(ProcessId)> onTerminate;
    // Called while the caller waits for a process to end: the rest of the
    // world goes on meanwhile.
    std::function<void(unsigned milliseconds)> onWait;
    std::unique_ptr<ProcessHandle> OpenForTermination(ProcessId process) override;
    bool AccountOf(ProcessId process, char* buffer, std::size_t capacity) override;
    // Processes the test does not list are 32-bit, as the supervised program was.
    ProcessWidth WidthOf(ProcessId process) override;
    // Processes the test does not list run on.
    bool HasEnded(ProcessId process) override;
};

}  // namespace ql::test
