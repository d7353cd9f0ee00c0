// Start-up time of Quorlan.exe with the release check due, printed, never
// judged: with the check switched off, against a local server that answers
// at once, and against one that accepts and never answers. Measured from
// starting the process to the settings summary in the log, which start-up
// writes right after it has added the tray icon.
// Usage: ReleaseCheckBench [rounds]  (default 3)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "LocalHttpServer.h"
#include "WinTestSupport.h"

using namespace ql::test;

namespace {

double NowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds from start to the end of start-up; negative when it never came.
double TimeStartUp(const std::string& releaseServer) {
    ScratchFolder folder;
    folder.Write("Quorlan.ini", "[BasicSetUp]\r\nProgram=QLBenchNone\r\n[AdvancedSetUp]\r\nReleaseServer=" +
                                    releaseServer + "\r\n");
    const double start = NowMs();
    QuorlanProcess quorlan(folder);
    if (!WaitForFileText(folder.File("Quorlan.exe.Log"), "Tracking: ", 30000)) return -1;
    return NowMs() - start;
}

void Report(const char* what, const std::string& releaseServer, int rounds) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) times.push_back(TimeStartUp(releaseServer));
    std::sort(times.begin(), times.end());
    std::printf("release: start-up to the tray icon, %-34s median %7.0f ms (min %.0f, max %.0f, %d rounds)\n", what,
                times[times.size() / 2], times.front(), times.back(), rounds);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    Report("check switched off:", "off", rounds);
    {
        LocalHttpServer answering(LocalHttpServer::Behaviour::Answer, "RELEASE=\"00.55.00\"");
        Report("check, server answers at once:", answering.Address(), rounds);
    }
    {
        LocalHttpServer silent(LocalHttpServer::Behaviour::Silent);
        Report("check, server never answers:", silent.Address(), rounds);
    }
    return 0;
}
