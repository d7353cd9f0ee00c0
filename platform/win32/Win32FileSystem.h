#pragma once
// Files and the current directory through kernel32.
#include "platform/FileSystem.h"

namespace ql::win32 {

class Win32FileSystem final : public FileSystem {
public:
    std::size_t CurrentDirectory(char* buffer, std::size_t capacity) override;
    bool Exists(const char* path) override;
    std::unique_ptr<WritableFile> OpenExisting(const char* path) override;
    std::unique_ptr<WritableFile> Create(const char* path) override;
    bool Remove(const char* path) override;
    std::unique_ptr<WritableFile> OpenLocked(const char* path, unsigned waitMilliseconds) override;
    bool Rename(const char* from, const char* to) override;
    ReadResult ReadWhole(const char* path, std::string& content, std::size_t limit) override;
};

}  // namespace ql::win32
