// The usage record's costs: one line appended (it runs on Quorlan's
// interface thread, lock file and record opened and closed each time), and
// "Quorlan.exe /report" over two full record files (the rolled-over one and
// the current one). Prints figures; judges nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "BenchClock.h"
#include "WinScratchFiles.h"
#include "WinTestSupport.h"
#include "platform/win32/Win32FileSystem.h"
#include "shell/LogSink.h"
#include "usage/UsageRecord.h"

namespace {

class NoLog final : public ql::LogSink {
public:
    bool WriteLog(const char*) override { return true; }
};

ql::UsageSession SessionOf(int number) {
    ql::UsageSession session;
    session.program = "Ledger";
    session.user = "CORP\\user" + std::to_string(number % 100);
    session.logonSession = static_cast<std::uint32_t>(number % 100 + 2);
    session.machine = "TS01";
    const std::int64_t start = ql::SecondsOf(ql::StampedTime{2026, 11, 8, 8, 0, 0}) + (number % 30) * 86400 +
                               (number * 37) % 30000;
    session.found = ql::TimeOfSeconds(start);
    session.ended = ql::TimeOfSeconds(start + 600 + number % 5000);
    session.how = number % 3 == 0 ? ql::SessionEnd::Inactivity : ql::SessionEnd::ByUser;
    return session;
}

// A record of about the rollover size: as many lines as fit.
std::string FullRecord(int first) {
    std::string text = ql::kUsageHeader;
    for (int number = first; static_cast<std::int64_t>(text.size()) < ql::usage::kRolloverSize; ++number) {
        text += ql::FormatUsageLine(SessionOf(number));
    }
    return text;
}

}  // namespace

int main() {
    using namespace ql::test;
    ScratchFolder folder;
    {
        const ScopedCurrentDirectory here(folder.Path());
        ql::win32::Win32FileSystem files;
        NoLog log;
        ql::UsageRecord record(files, log);
        constexpr int kLines = 2000;
        const double start = NowMs();
        for (int number = 0; number < kLines; ++number) record.Add(SessionOf(number));
        const double elapsed = NowMs() - start;
        std::printf("usage: one line appended in %.3f ms (%d lines, each under the lock file)\n", elapsed / kLines,
                    kLines);
    }

    folder.Write("Quorlan.usage.1.csv", FullRecord(0));
    const std::string current = FullRecord(100000);
    folder.Write("Quorlan.usage.csv", current);
    const int sessions = static_cast<int>(std::count(current.begin(), current.end(), '\n')) * 2 - 2;
    const double start = NowMs();
    ChildProcess report("\"" + BinPath("Quorlan.exe") + "\" /report 30", folder.Path());
    const bool ended = report.WaitForExit(120000);
    const double elapsed = NowMs() - start;
    if (!ended || report.ExitCode() != 0) {
        std::printf("usage: the report did not end with 0\n");
        return 1;
    }
    std::printf("usage: report of %d sessions (two files of %lld bytes), 30 days, 100 users: %.0f ms\n", sessions,
                static_cast<long long>(ql::usage::kRolloverSize), elapsed);
    return 0;
}
