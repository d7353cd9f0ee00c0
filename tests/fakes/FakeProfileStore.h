#pragma once
// Ini files kept as text in memory and read and written by the documented
// profile rules, so that file contents can be checked byte for byte.
//
// Lines end in "\r\n" when the store writes; on reading, "\n" alone also ends
// a line. Section headers are "[name]"; key lines "key=value". Names match
// without regard to case; the first section and the first key of a name count.
#include <map>
#include <set>
#include <string>

#include "platform/ProfileStore.h"
#include "tests/fakes/NoCaseLess.h"

namespace ql::test {

class FakeProfileStore final : public ProfileStore {
public:
    std::size_t ReadString(const char* path, const char* section, const char* key, const char* fallback, char* out,
                           std::size_t capacity) override;
    bool WriteString(const char* path, const char* section, const char* key, const char* value) override;
    bool CanOpenForReading(const char* path) override;
    bool CanOpenForWriting(const char* path) override;

    void SetText(const std::string& path, const std::string& text) { m_files[path] = text; }
    // The file's text; empty when there is no file.
    std::string Text(const std::string& path) const;
    bool Exists(const std::string& path) const { return m_files.count(path) != 0; }
    // Writes fail: to an existing file, or to create one at that path.
    void SetReadOnly(const std::string& path) { m_readOnly.insert(path); }
    // The file cannot be opened at all: reads give the fallback, writes fail.
    void SetUnreadable(const std::string& path) { m_unreadable.insert(path); }
    int WriteCount() const { return m_writes; }

private:
    bool Openable(const char* path) const;

    std::map<std::string, std::string, NoCaseLess> m_files;
    std::set<std::string, NoCaseLess> m_readOnly;
    std::set<std::string, NoCaseLess> m_unreadable;
    int m_writes = 0;
};

}  // namespace ql::test
