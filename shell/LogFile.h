#pragma once
// The plain-text log in the working directory: one entry per call, the file
// opened and closed each time, started afresh once it grows past its limit.
#include <cstdint>
#include <memory>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "shell/LogSink.h"

namespace ql {

class LogFile final : public LogSink {
public:
    // A file longer than this is deleted before the next entry; one of exactly
    // this size is still appended to.
    static constexpr std::int64_t kSizeLimit = 32000;
    // Longest working directory the log path is built from.
    static constexpr std::size_t kLongestDirectory = 999;
    // Longest entry head: line feed, date and time, tab.
    static constexpr std::size_t kLongestHead = 127;

    LogFile(FileSystem& files, Clock& clock);
    // Appends "\n" + date and time + "\t" + text to Quorlan.exe.Log in the
    // current directory. An entry that cannot be stored is lost without notice
    // and the call still returns true; false only when an error was raised.
    bool WriteLog(const char* text) override;

private:
    bool BuildPath(char* path, std::size_t capacity);
    std::unique_ptr<WritableFile> OpenForAppend(const char* path);
    std::size_t FormatHead(char (&head)[kLongestHead + 1]);

    FileSystem& m_files;
    Clock& m_clock;
};

}  // namespace ql
