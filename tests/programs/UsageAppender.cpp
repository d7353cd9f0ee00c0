// Appends sessions to the usage record in its working folder, as many copies
// of Quorlan on one terminal server do at once: "UsageAppender <tag> <count>".
// It begins when the file "go" appears (so that copies started one after
// another write at the same time) and exits with the number of lines it
// could not write.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/win32/Win32FileSystem.h"
#include "shell/LogSink.h"
#include "usage/UsageRecord.h"

namespace {

class NoLog final : public ql::LogSink {
public:
    bool WriteLog(const char*) override { return true; }
};

void WaitForStart() {
    for (int i = 0; i < 1000 && GetFileAttributesA("go") == INVALID_FILE_ATTRIBUTES; ++i) Sleep(10);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 100;
    const std::string tag = argv[1];
    const int count = std::atoi(argv[2]);
    ql::win32::Win32FileSystem files;
    NoLog log;
    ql::UsageRecord record(files, log);
    WaitForStart();
    for (int i = 0; i < count; ++i) {
        ql::UsageSession session;
        session.program = "TestApp";
        // Separators in the name: a line cut or mixed with another copy's would not read back.
        session.user = tag + ", \"no. " + std::to_string(i) + "\"\r\nend";
        session.logonSession = static_cast<std::uint32_t>(i);
        session.machine = "WINE";
        session.found = ql::StampedTime{2026, 12, 7, 8, 0, 0};
        session.ended = ql::StampedTime{2026, 12, 7, 9, 0, 0};
        record.Add(session);
    }
    record.FlushAtExit();
    return static_cast<int>(record.PendingLines());
}
