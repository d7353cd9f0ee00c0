#include "platform/win32/Win32Registry.h"

#include <cstring>

#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

namespace {

HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

class Win32RegistryKey final : public RegistryKey {
public:
    explicit Win32RegistryKey(UniqueKey key) : m_key(std::move(key)) {}

    bool ValueExists(const char* name) override {
        return ::RegQueryValueExA(m_key.get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    bool ReadString(const char* name, char* out, std::size_t capacity) override {
        if (capacity == 0) return false;
        out[0] = '\0';
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(capacity);
        const LONG result =
            ::RegQueryValueExA(m_key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(out), &size);
        if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
            out[0] = '\0';
            return false;
        }
        // Stored data need not end in a terminator: one is added where room is left.
        if (size > 0 && out[size - 1] == '\0') return true;
        if (size >= capacity) {
            out[0] = '\0';
            return false;
        }
        out[size] = '\0';
        return true;
    }

    bool ReadNumber(const char* name, std::uint32_t& value) override {
        DWORD type = 0;
        DWORD data = 0;
        DWORD size = sizeof data;
        if (::RegQueryValueExA(m_key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof data) {
            return false;
        }
        value = data;
        return true;
    }

    bool SetString(const char* name, const char* data) override {
        const auto size = static_cast<DWORD>(std::strlen(data) + 1);
        return ::RegSetValueExA(m_key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size) ==
               ERROR_SUCCESS;
    }

    bool DeleteValue(const char* name) override { return ::RegDeleteValueA(m_key.get(), name) == ERROR_SUCCESS; }

private:
    UniqueKey m_key;
};

}  // namespace

std::unique_ptr<RegistryKey> Win32Registry::OpenOrCreate(RegistryRoot root, const char* path) {
    HKEY opened = nullptr;
    if (::RegCreateKeyExA(RootKey(root), path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &opened,
                          nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(UniqueKey(opened));
}

std::unique_ptr<RegistryKey> Win32Registry::OpenForReading(RegistryRoot root, const char* path) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(RootKey(root), path, 0, KEY_READ, &opened) != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32RegistryKey>(UniqueKey(opened));
}

bool Win32Registry::DeleteKey(RegistryRoot root, const char* path) {
    return ::RegDeleteKeyA(RootKey(root), path) == ERROR_SUCCESS;
}

}  // namespace ql::win32
