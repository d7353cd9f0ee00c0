// Start-up time of Quorlan.exe with the release check due, printed, never
// judged: with the check switched off, against a local server that answers
// at once, against one that accepts and never answers, and against one that
// sends its headers a byte at a time. Measured from
// starting the process to its icon being in the notification area.
// Usage: ReleaseCheckBench [rounds]  (default 3)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "LocalHttpServer.h"
#include "WinTestSupport.h"

using namespace ql::test;

namespace {

// Milliseconds from start to the icon in the notification area; negative
// when it never came.
double TimeToTrayIcon(const std::string& releaseServer) {
    ScratchFolder folder;
    folder.Write("Quorlan.ini", "[BasicSetUp]\r\nProgram=QLBenchNone\r\n[AdvancedSetUp]\r\nReleaseServer=" +
                                    releaseServer + "\r\n");
    WithTrayIcons(folder);
    const double start = NowMs();
    QuorlanProcess quorlan(folder, BinPath("Quorlan.exe"), QuorlanProcess::Icons::Missing);
    return MsUntilTrayIcon(quorlan, start, 30000);
}

void Report(const char* what, const std::string& releaseServer, int rounds) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) times.push_back(TimeToTrayIcon(releaseServer));
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
    {
        LocalHttpServer trickling(LocalHttpServer::Behaviour::SlowHeaders);
        Report("check, headers a byte at a time:", trickling.Address(), rounds);
    }
    return 0;
}
