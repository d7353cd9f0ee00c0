#pragma once
// Files in memory under a settable current directory. Files open for writing
// are held without sharing, as the real ones are: while one is open, opening,
// creating or removing it again fails.
#include <map>
#include <set>
#include <string>

#include "platform/FileSystem.h"
#include "tests/fakes/NoCaseLess.h"

namespace ql::test {

class FakeFileSystem final : public FileSystem {
public:
    explicit FakeFileSystem(std::string currentDirectory = "C:\\Work") : m_currentDirectory(std::move(currentDirectory)) {}

    std::size_t CurrentDirectory(char* buffer, std::size_t capacity) override;
    bool Exists(const char* path) override { return m_files.count(path) != 0; }
    std::unique_ptr<WritableFile> OpenExisting(const char* path) override;
    std::unique_ptr<WritableFile> Create(const char* path) override;
    bool Remove(const char* path) override;
    // A file held by another opener is refused at once: nothing waits here.
    std::unique_ptr<WritableFile> OpenLocked(const char* path, unsigned waitMilliseconds) override;
    bool Rename(const char* from, const char* to) override;
    ReadResult ReadWhole(const char* path, std::string& content, std::size_t limit) override;

    void SetCurrentDirectory(std::string directory) { m_currentDirectory = std::move(directory); }
    void SetFile(const std::string& path, const std::string& content) { m_files[path].content = content; }
    // The file's content; empty when there is no file.
    std::string Content(const std::string& path) const;
    // An existing file cannot be opened for writing, replaced or removed; at a
    // path without a file, none can be created (as in a read-only folder).
    void SetReadOnly(const std::string& path) { m_readOnly.insert(path); }
    // Every write raises an exception, as a failing runtime might.
    void ThrowOnWrite(bool enabled) { m_throwOnWrite = enabled; }
    bool IsOpen(const std::string& path) const;
    // Calls to OpenLocked, and the longest wait one asked for.
    int lockAttempts = 0;
    unsigned longestWait = 0;

private:
    struct Entry {
        std::string content;
        bool open = false;
    };
    class File;

    bool Writable(const char* path) const;
    std::unique_ptr<WritableFile> Open(Entry& entry);

    std::string m_currentDirectory;
    std::map<std::string, Entry, NoCaseLess> m_files;
    std::set<std::string, NoCaseLess> m_readOnly;
    bool m_throwOnWrite = false;
};

}  // namespace ql::test
