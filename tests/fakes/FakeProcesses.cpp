#include "FakeProcesses.h"

namespace ql::test {

bool FakeProcessList::ForEachProcess(FunctionRef<void(const char*)> visit) {
    if (snapshotFails || exeFiles.empty()) return false;
    for (const std::string& exe : exeFiles) visit(exe.c_str());
    return true;
}

namespace {

class FakeProcessHandle final : public ProcessHandle {
public:
    FakeProcessHandle(FakeProcess& process, int& openHandles) : m_process(process), m_openHandles(openHandles) {
        ++m_openHandles;
    }
    ~FakeProcessHandle() override { --m_openHandles; }

    bool WaitForExit(unsigned milliseconds) override {
        m_process.waitedMs += milliseconds;
        if (m_process.exitsWithinWait) m_process.ended = true;
        return m_process.ended;
    }
    bool Terminate(unsigned) override {
        ++m_process.terminations;
        if (m_process.canTerminate) m_process.ended = true;
        return m_process.canTerminate;
    }

private:
    FakeProcess& m_process;
    int& m_openHandles;
};

}  // namespace

std::unique_ptr<ProcessHandle> FakeProcessControl::OpenForTermination(ProcessId process) {
    auto found = processes.find(process);
    if (found == processes.end() || !found->second.canOpen || found->second.ended) return nullptr;
    return std::make_unique<FakeProcessHandle>(found->second, openHandles);
}

}  // namespace ql::test
