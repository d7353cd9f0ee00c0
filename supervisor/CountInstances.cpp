#include "supervisor/CountInstances.h"

#include "core/Text.h"

namespace ql {

bool CountInstances(ProcessList& processes, int& count) {
    static const char kProgramFile[260] = "Quorlan.exe";
    int found = 0;
    const bool listed = processes.ForEachProcess([&](const char* exeFile) {
        if (StartsWithNoCase(exeFile, kProgramFile)) ++found;
    });
    if (listed) count = found;
    return listed;
}

}  // namespace ql
