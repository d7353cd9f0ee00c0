#include "usage/UsageRecord.h"

#include <cstdio>

#include "shell/LogFile.h"

namespace ql {

namespace {

std::string PathIn(const std::string& folder, const char* name) { return folder + "\\" + name; }

}  // namespace

void UsageRecord::Add(const UsageSession& session) {
    // No exception may reach the caller (a window procedure, as a rule).
    try {
        if (m_pending.size() >= usage::kMostPendingLines) {
            ++m_lost;
            if (m_lost == 1) {
                m_log.WriteLog("Usage record: Quorlan.usage.csv stays unwritable; sessions ending now are not recorded");
            }
            return;
        }
        m_pending.push_back(FormatUsageLine(session));
    } catch (...) {
        return;
    }
    Flush();
}

bool UsageRecord::Flush(unsigned waitMs) {
    if (m_pending.empty()) return true;
    bool written = false;
    try {
        written = WritePending(waitMs);
    } catch (...) {
        written = false;
    }
    if (written) {
        if (m_toldHeld || m_lost > 0) {
            char line[160];
            std::snprintf(line, sizeof line, "Usage record: written again (%lu sessions were lost meanwhile)",
                          static_cast<unsigned long>(m_lost));
            m_log.WriteLog(line);
        }
        m_toldHeld = false;
        m_lost = 0;
    } else if (!m_toldHeld) {
        m_toldHeld = true;
        m_log.WriteLog("Usage record: Quorlan.usage.csv cannot be written now; its lines are kept until it can");
    }
    return written;
}

void UsageRecord::FlushAtExit() {
    if (Flush(usage::kExitWaitMs)) return;
    char line[160];
    std::snprintf(line, sizeof line, "Usage record: %lu sessions could not be written to Quorlan.usage.csv",
                  static_cast<unsigned long>(m_pending.size() + m_lost));
    m_log.WriteLog(line);
}

// Under the lock file: roll the record over when it has grown past its
// size, begin a new one with the header, then append the kept lines, each
// with one write, so another copy's lines never land inside one of ours.
bool UsageRecord::WritePending(unsigned waitMs) {
    char directory[LogFile::kLongestDirectory + 1];
    if (m_files.CurrentDirectory(directory, sizeof directory) == 0) return false;
    const std::string folder = directory;
    const auto lock = m_files.OpenLocked(PathIn(folder, usage::kLockName).c_str(), waitMs);
    if (!lock) return false;
    auto record = OpenRecord(folder, waitMs);
    if (!record) return false;
    const std::int64_t size = record->SeekToEnd();
    if (size < 0) return false;  // appending at an unknown place would overwrite lines
    if (size == 0 && !record->Write(kUsageHeader, sizeof kUsageHeader - 1)) return false;
    while (!m_pending.empty()) {
        const std::string& line = m_pending.front();
        if (!record->Write(line.data(), line.size())) return false;
        m_pending.pop_front();
    }
    return true;
}

// The record, open at its end; one grown past its size is first renamed,
// which needs it closed. When the rename fails (a reader holds the older
// record), lines go on being appended to the one there is.
std::unique_ptr<WritableFile> UsageRecord::OpenRecord(const std::string& folder, unsigned waitMs) {
    const std::string path = PathIn(folder, usage::kRecordName);
    auto record = m_files.OpenLocked(path.c_str(), waitMs);
    if (!record) return nullptr;
    if (record->SeekToEnd() <= usage::kRolloverSize) return record;
    record.reset();
    m_files.Rename(path.c_str(), PathIn(folder, usage::kRolledName).c_str());
    return m_files.OpenLocked(path.c_str(), waitMs);
}

}  // namespace ql
