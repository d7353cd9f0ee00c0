#include "tests/fakes/FakeFileSystem.h"

#include <stdexcept>

#include "core/Text.h"

namespace ql::test {

class FakeFileSystem::File final : public WritableFile {
public:
    File(Entry& entry, const bool& throwOnWrite) : m_entry(entry), m_throwOnWrite(throwOnWrite) { m_entry.open = true; }
    ~File() override { m_entry.open = false; }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    std::int64_t SeekToEnd() override {
        m_position = m_entry.content.size();
        return static_cast<std::int64_t>(m_position);
    }

    bool Write(const char* data, std::size_t size) override {
        if (m_throwOnWrite) throw std::runtime_error("write failed");
        m_entry.content.replace(m_position, size, data, size);
        m_position += size;
        return true;
    }

private:
    Entry& m_entry;
    const bool& m_throwOnWrite;
    std::size_t m_position = 0;
};

std::size_t FakeFileSystem::CurrentDirectory(char* buffer, std::size_t capacity) {
    if (capacity == 0) return 0;
    if (m_currentDirectory.size() >= capacity) {
        buffer[0] = '\0';
        return 0;
    }
    return CopyText(buffer, capacity, m_currentDirectory.c_str());
}

std::string FakeFileSystem::Content(const std::string& path) const {
    const auto found = m_files.find(path);
    return found == m_files.end() ? std::string() : found->second.content;
}

bool FakeFileSystem::IsOpen(const std::string& path) const {
    const auto found = m_files.find(path);
    return found != m_files.end() && found->second.open;
}

bool FakeFileSystem::Writable(const char* path) const { return m_readOnly.count(path) == 0 && !IsOpen(path); }

std::unique_ptr<WritableFile> FakeFileSystem::Open(Entry& entry) { return std::make_unique<File>(entry, m_throwOnWrite); }

std::unique_ptr<WritableFile> FakeFileSystem::OpenExisting(const char* path) {
    const auto found = m_files.find(path);
    if (found == m_files.end() || !Writable(path)) return nullptr;
    return Open(found->second);
}

std::unique_ptr<WritableFile> FakeFileSystem::Create(const char* path) {
    if (!Writable(path)) return nullptr;
    Entry& entry = m_files[path];
    entry.content.clear();
    return Open(entry);
}

bool FakeFileSystem::Remove(const char* path) {
    if (!Exists(path) || !Writable(path)) return false;
    m_files.erase(path);
    return true;
}

std::unique_ptr<WritableFile> FakeFileSystem::OpenLocked(const char* path, unsigned waitMilliseconds) {
    ++lockAttempts;
    if (waitMilliseconds > longestWait) longestWait = waitMilliseconds;
    if (!Writable(path)) return nullptr;
    return Open(m_files[path]);
}

bool FakeFileSystem::Rename(const char* from, const char* to) {
    const auto found = m_files.find(from);
    if (found == m_files.end() || !Writable(from) || !Writable(to)) return false;
    const std::string content = found->second.content;
    m_files.erase(found);
    m_files[to].content = content;
    return true;
}

FileSystem::ReadResult FakeFileSystem::ReadWhole(const char* path, std::string& content, std::size_t limit) {
    content.clear();
    const auto found = m_files.find(path);
    if (found == m_files.end()) return ReadResult::Missing;
    if (found->second.open || found->second.content.size() > limit) return ReadResult::Failed;
    content = found->second.content;
    return ReadResult::Read;
}

}  // namespace ql::test
