#include "supervisor/CountInstances.h"

#include "core/Text.h"

namespace ql {

bool CountInstances(ProcessList& processes, int& count) {
    static const char kProgramFile[260] = "Quorlan.exe";
    std::uint32_t ownSession = 0;
    const bool ownSessionKnown = processes.LogonSessionOf(processes.CurrentProcess(), ownSession);
    // A copy of another user (fast user switching, a terminal server) guards
    // that user's sessions, not ours. A copy whose session cannot be told has
    // ended or is not ours to look at; ours always can be.
    const auto inOwnSession = [&](ProcessId process) {
        std::uint32_t session = 0;
        return !ownSessionKnown || (processes.LogonSessionOf(process, session) && session == ownSession);
    };
    int found = 0;
    const bool listed = processes.ForEachProcess([&](const char* exeFile, ProcessId process) {
        if (StartsWithNoCase(exeFile, kProgramFile) && inOwnSession(process)) ++found;
    });
    if (listed) count = found;
    return listed;
}

}  // namespace ql
