#include "shell/LogFile.h"

#include <cstring>

#include "core/Text.h"

namespace ql {

namespace {

// Always this name, whatever the running program's file is called.
constexpr char kLogFileName[] = "Quorlan.exe.Log";

bool IsMidnight(const LocalTime& time) {
    return time.hour == 0 && time.minute == 0 && time.second == 0 && time.milliseconds == 0;
}

}  // namespace

LogFile::LogFile(FileSystem& files, Clock& clock) : m_files(files), m_clock(clock) {}

bool LogFile::WriteLog(const char* text) {
    // No exception may reach the caller (a window procedure, as a rule).
    try {
        char path[kLongestDirectory + 1 + sizeof kLogFileName];  // directory, "\\", name
        if (!BuildPath(path, sizeof path)) return true;
        auto file = OpenForAppend(path);
        if (!file) return true;
        char head[kLongestHead + 1];
        const std::size_t headLength = FormatHead(head);
        file->Write(head, headLength);
        if (text != nullptr) file->Write(text, std::strlen(text));
        return true;
    } catch (...) {
        return false;
    }
}

// The directory is read afresh for every entry: the log follows the process's
// current directory. One too long for the limit loses the entry.
bool LogFile::BuildPath(char* path, std::size_t capacity) {
    char directory[kLongestDirectory + 1];
    if (m_files.CurrentDirectory(directory, sizeof directory) == 0) return false;
    CopyText(path, capacity, directory);
    AppendText(path, capacity, "\\");
    AppendText(path, capacity, kLogFileName);
    return true;
}

// An existing file that cannot be opened (read-only, held by another program)
// is left as it is; its entry is lost.
std::unique_ptr<WritableFile> LogFile::OpenForAppend(const char* path) {
    if (m_files.Exists(path)) {
        auto file = m_files.OpenExisting(path);
        if (!file) return nullptr;
        const std::int64_t size = file->SeekToEnd();
        if (size < 0) return nullptr;  // appending at an unknown place would overwrite entries
        if (size <= kSizeLimit) return file;
        file.reset();
        m_files.Remove(path);
    }
    return m_files.Create(path);
}

std::size_t LogFile::FormatHead(char (&head)[kLongestHead + 1]) {
    const LocalTime now = m_clock.LocalNow();
    // Room between the line feed and the tab.
    constexpr std::size_t kDateTimeCapacity = sizeof head - 2;
    char dateTime[kDateTimeCapacity] = {};
    m_clock.FormatShortDate(now, dateTime, sizeof dateTime - 1);
    std::size_t length = strnlen(dateTime, sizeof dateTime - 1);
    // At exactly midnight the date stands alone; the time is left out too when
    // there is no room for it or the formatter gives none.
    if (length > 0 && !IsMidnight(now) && length + 2 < sizeof dateTime) {
        char* time = dateTime + length + 1;
        const std::size_t timeCapacity = sizeof dateTime - length - 2;
        m_clock.FormatLongTime(now, time, timeCapacity);
        const std::size_t timeLength = strnlen(time, timeCapacity);
        if (timeLength > 0) {
            dateTime[length] = ' ';
            length += 1 + timeLength;
        }
    }
    dateTime[length] = '\0';
    CopyText(head, "\n");
    AppendText(head, dateTime);
    AppendText(head, "\t");
    return std::strlen(head);
}

}  // namespace ql
