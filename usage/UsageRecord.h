#pragma once
// The usage record: one line per ended session, appended to
// Quorlan.usage.csv in the working folder, which every user's copy of
// Quorlan on a terminal server shares. Writers take turns through a lock
// file; a line that cannot be written now is kept and written later.
#include <cstdint>
#include <deque>
#include <string>

#include "platform/FileSystem.h"
#include "shell/LogSink.h"
#include "usage/UsageLine.h"

namespace ql {

namespace usage {
constexpr char kRecordName[] = "Quorlan.usage.csv";
constexpr char kRolledName[] = "Quorlan.usage.1.csv";  // the record before the latest rollover
constexpr char kLockName[] = "Quorlan.usage.lock";      // held while one copy writes
// A record longer than this is renamed to the rolled name before the next
// line (about 20 000 sessions), replacing the older one.
constexpr std::int64_t kRolloverSize = 2 * 1024 * 1024;
// Lines kept in memory while the record cannot be written; more are lost,
// with one log line.
constexpr std::size_t kMostPendingLines = 2000;
// How long one write waits for another copy's turn or a reader to finish.
constexpr unsigned kBriefWaitMs = 50;
constexpr unsigned kExitWaitMs = 3000;
}  // namespace usage

class UsageRecord {
public:
    UsageRecord(FileSystem& files, LogSink& log) : m_files(files), m_log(log) {}

    // Keeps the session's line and writes every kept line if the record is free.
    void Add(const UsageSession& session);
    // Writes the kept lines, each whole, waiting up to waitMs for the record;
    // true when none is left.
    bool Flush(unsigned waitMs = usage::kBriefWaitMs);
    // The last chance before the program ends: a longer wait, and a log line
    // for what could still not be written.
    void FlushAtExit();

    std::size_t PendingLines() const { return m_pending.size(); }

private:
    bool WritePending(unsigned waitMs);
    std::unique_ptr<WritableFile> OpenRecord(const std::string& folder, unsigned waitMs);

    FileSystem& m_files;
    LogSink& m_log;
    std::deque<std::string> m_pending;
    std::size_t m_lost = 0;       // lines dropped since the last log line about it
    bool m_toldHeld = false;      // the log already says the record is held
};

}  // namespace ql
