#include "platform/win32/Win32ProfileStore.h"

#include <windows.h>

#include <limits>

#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

std::size_t Win32ProfileStore::ReadString(const char* path, const char* section, const char* key, const char* fallback,
                                          char* out, std::size_t capacity) {
    if (capacity == 0) return 0;
    const DWORD size = capacity > std::numeric_limits<DWORD>::max() ? std::numeric_limits<DWORD>::max()
                                                                      : static_cast<DWORD>(capacity);
    out[0] = '\0';
    const DWORD length = GetPrivateProfileStringA(section, key, fallback != nullptr ? fallback : "", out, size, path);
    out[length < size ? length : size - 1] = '\0';
    return length < size ? length : size - 1;
}

bool Win32ProfileStore::WriteString(const char* path, const char* section, const char* key, const char* value) {
    return WritePrivateProfileStringA(section, key, value, path) != FALSE;
}

bool Win32ProfileStore::CanOpenForReading(const char* path) {
    UniqueFileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

bool Win32ProfileStore::CanOpenForWriting(const char* path) {
    UniqueFileHandle file(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

}  // namespace ql::win32
