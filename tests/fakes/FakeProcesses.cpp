#include "FakeProcesses.h"

#include "core/Text.h"

namespace ql::test {

namespace {
constexpr ProcessId kFirstProcessId = 100;
}

void FakeProcessList::Add(std::initializer_list<const char*> exeFiles, std::uint32_t logonSession) {
    for (const char* exe : exeFiles) entries.push_back({exe, logonSession, true});
}

bool FakeProcessList::ForEachProcess(FunctionRef<void(const char*, ProcessId)> visit) {
    if (snapshotFails || entries.empty()) return false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        visit(entries[i].exeFile.c_str(), kFirstProcessId + static_cast<ProcessId>(i));
    }
    return true;
}

bool FakeProcessList::LogonSessionOf(ProcessId process, std::uint32_t& session) {
    const std::size_t index = process - kFirstProcessId;
    if (process < kFirstProcessId || index >= entries.size() || !entries[index].sessionKnown) return false;
    session = entries[index].logonSession;
    return true;
}

namespace {

class FakeProcessHandle final : public ProcessHandle {
public:
    FakeProcessHandle(FakeProcess& process, int& openHandles, std::function<void()> onTerminate,
                      std::function<void(unsigned)> onWait)
        : m_process(process), m_openHandles(openHandles), m_onTerminate(std::move(onTerminate)),
          m_onWait(std::move(onWait)) {
        ++m_openHandles;
    }
    ~FakeProcessHandle() override { --m_openHandles; }

    bool WaitForExit(unsigned milliseconds) override {
        if (m_onWait && milliseconds != 0) m_onWait(milliseconds);
        m_process.waitedMs += milliseconds;
        if (m_process.exitsWithinWait) m_process.ended = true;
        return m_process.ended;
    }
    bool Terminate(unsigned) override {
        if (m_onTerminate) m_onTerminate();
        ++m_process.terminations;
        if (m_process.canTerminate) m_process.ended = true;
        return m_process.canTerminate;
    }

private:
    FakeProcess& m_process;
    int& m_openHandles;
    std::function<void()> m_onTerminate;
    std::function<void(unsigned)> m_onWait;
};

}  // namespace

std::unique_ptr<ProcessHandle> FakeProcessControl::OpenForTermination(ProcessId process) {
    auto found = processes.find(process);
    if (found == processes.end() || !found->second.canOpen || found->second.ended) return nullptr;
    std::function<void()> terminated;
    if (onTerminate) terminated = [this, process] { onTerminate(process); };
    return std::make_unique<FakeProcessHandle>(found->second, openHandles, std::move(terminated), onWait);
}

bool FakeProcessControl::AccountOf(ProcessId process, char* buffer, std::size_t capacity) {
    const auto found = accounts.find(process);
    if (found == accounts.end()) return false;
    CopyText(buffer, capacity, found->second.c_str());
    return true;
}

bool FakeProcessControl::HasEnded(ProcessId process) {
    const auto found = processes.find(process);
    return found != processes.end() && found->second.ended;
}

ProcessWidth FakeProcessControl::WidthOf(ProcessId process) {
    const auto found = processes.find(process);
    return found == processes.end() ? ProcessWidth::Bits32 : found->second.width;
}

}  // namespace ql::test
