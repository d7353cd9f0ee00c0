#pragma once
// Ini files through the system's profile services.
#include "platform/ProfileStore.h"

namespace ql::win32 {

class Win32ProfileStore final : public ProfileStore {
public:
    std::size_t ReadString(const char* path, const char* section, const char* key, const char* fallback, char* out,
                           std::size_t capacity) override;
    bool WriteString(const char* path, const char* section, const char* key, const char* value) override;
    bool CanOpenForReading(const char* path) override;
    bool CanOpenForWriting(const char* path) override;
};

}  // namespace ql::win32
