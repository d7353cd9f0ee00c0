#pragma once
// The system registry: keys opened one at a time for full access (or, for
// policies, for reading), their string values asked for, set and deleted,
// and number values read.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace ql {

enum class RegistryRoot { LocalMachine, CurrentUser };

// An open key; closed when destroyed.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    virtual bool ValueExists(const char* name) = 0;
    // Copies a string value's data into out (at most capacity-1 characters,
    // zero-terminated); false when the value is missing, is no string or does
    // not fit (out is then the empty text).
    virtual bool ReadString(const char* name, char* out, std::size_t capacity) = 0;
    // A REG_DWORD value; false when missing or of another type.
    virtual bool ReadNumber(const char* name, std::uint32_t& value) = 0;
    // Creates or replaces a string value; false when refused.
    virtual bool SetString(const char* name, const char* data) = 0;
    // False when the value is missing or the deletion is refused.
    virtual bool DeleteValue(const char* name) = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    // Opens the key for full access, creating it (and the keys above it) when
    // missing; null when the key may not be opened or created that way.
    // Names match without regard to case; path has no leading backslash.
    virtual std::unique_ptr<RegistryKey> OpenOrCreate(RegistryRoot root, const char* path) = 0;
    // Opens an existing key for reading only (any user may read policies);
    // null when missing or not readable. Nothing is created.
    virtual std::unique_ptr<RegistryKey> OpenForReading(RegistryRoot root, const char* path) = 0;
    // Removes a key that has no subkeys; false when missing or refused.
    virtual bool DeleteKey(RegistryRoot root, const char* path) = 0;
};

}  // namespace ql
