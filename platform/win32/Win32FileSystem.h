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
};

}  // namespace ql::win32
