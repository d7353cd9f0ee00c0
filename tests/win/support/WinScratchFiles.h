#pragma once
// Real files for the contract cases: a scratch folder made the process's
// current directory for the fixture's life.
#include <windows.h>

#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "tests/contract/ScratchFiles.h"

namespace ql::test {

class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const std::string& directory) {
        char previous[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, previous);
        m_previous = previous;
        SetCurrentDirectoryA(directory.c_str());
    }
    ~ScopedCurrentDirectory() { SetCurrentDirectoryA(m_previous.c_str()); }
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

private:
    std::string m_previous;
};

template <typename Base>
class WinScratchFiles : public Base {
public:
    std::string Folder() override { return m_folder.Path(); }
    std::string ReadRaw(const std::string& path) override { return ReadWholeFile(path); }
    void WriteRaw(const std::string& path, const std::string& text) override { WriteWholeFile(path, text); }
    // The read-only attribute, and where it is not enforced (Wine run by the
    // superuser ignores it) a handle that lets others read the file but not
    // write or delete it, held until the fixture goes.
    void DenyWriting(const std::string& path) override {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        if (!OpensForWriting(path)) return;
        m_readers.emplace_back(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    }

private:
    static bool OpensForWriting(const std::string& path) {
        const win32::UniqueFileHandle probe(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(probe);
    }

    ScratchFolder m_folder;  // removed after the directory is restored
    ScopedCurrentDirectory m_current{m_folder.Path()};
    std::vector<win32::UniqueFileHandle> m_readers;  // closed before the folder goes
};

}  // namespace ql::test
