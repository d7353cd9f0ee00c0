#pragma once
// The registry through the system's registry services (ANSI, string and DWORD values).
#include "platform/Registry.h"

namespace ql::win32 {

class Win32Registry final : public Registry {
public:
    std::unique_ptr<RegistryKey> OpenOrCreate(RegistryRoot root, const char* path) override;
    std::unique_ptr<RegistryKey> OpenForReading(RegistryRoot root, const char* path) override;
    bool DeleteKey(RegistryRoot root, const char* path) override;
};

}  // namespace ql::win32
