#pragma once
// Files and the process's current directory.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace ql {

// A file open for writing, not shared with other openers; closed when destroyed.
class WritableFile {
public:
    virtual ~WritableFile() = default;
    // Moves to the end; returns the new position (the file's size), -1 on failure.
    virtual std::int64_t SeekToEnd() = 0;
    virtual bool Write(const char* data, std::size_t size) = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Copies the current directory into buffer, zero-terminated; returns its
    // length, or 0 when it cannot be read or does not fit in capacity-1.
    virtual std::size_t CurrentDirectory(char* buffer, std::size_t capacity) = 0;
    virtual bool Exists(const char* path) = 0;
    // Opens an existing file for writing; null when it cannot be opened.
    virtual std::unique_ptr<WritableFile> OpenExisting(const char* path) = 0;
    // Creates the file empty (replacing one that exists); null on failure.
    virtual std::unique_ptr<WritableFile> Create(const char* path) = 0;
    virtual bool Remove(const char* path) = 0;

    // Opens the file for writing, creating it empty when it does not exist
    // (an existing one keeps its content). While another opener holds it,
    // tries again for up to waitMilliseconds; null when it stays held or
    // cannot be opened. Held without sharing, it serves as a lock between
    // processes that write the same file.
    virtual std::unique_ptr<WritableFile> OpenLocked(const char* path, unsigned waitMilliseconds) = 0;
    // Renames a closed file, replacing a file of the new name.
    virtual bool Rename(const char* from, const char* to) = 0;

    enum class ReadResult { Read, Missing, Failed };
    // Reads the whole file into content, while others may read it too but not
    // write it. Failed when it cannot be opened, read, or is over limit bytes.
    virtual ReadResult ReadWhole(const char* path, std::string& content, std::size_t limit) = 0;
};

}  // namespace ql
