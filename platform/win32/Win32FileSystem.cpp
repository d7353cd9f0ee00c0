#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <limits>

#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

namespace {

class Win32WritableFile final : public WritableFile {
public:
    explicit Win32WritableFile(UniqueFileHandle file) : m_file(std::move(file)) {}

    std::int64_t SeekToEnd() override {
        LARGE_INTEGER position = {};
        if (!SetFilePointerEx(m_file.get(), LARGE_INTEGER{}, &position, FILE_END)) return -1;
        return position.QuadPart;
    }

    bool Write(const char* data, std::size_t size) override {
        while (size > 0) {
            const DWORD chunk = size > std::numeric_limits<DWORD>::max() ? std::numeric_limits<DWORD>::max()
                                                                          : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(m_file.get(), data, chunk, &written, nullptr) || written == 0) return false;
            data += written;
            size -= written;
        }
        return true;
    }

private:
    UniqueFileHandle m_file;
};

// Held without sharing: nobody else writes, reads or deletes it meanwhile.
std::unique_ptr<WritableFile> OpenForWriting(const char* path, DWORD disposition) {
    UniqueFileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    return std::make_unique<Win32WritableFile>(std::move(file));
}

}  // namespace

std::size_t Win32FileSystem::CurrentDirectory(char* buffer, std::size_t capacity) {
    if (capacity == 0) return 0;
    const DWORD size = capacity > std::numeric_limits<DWORD>::max() ? std::numeric_limits<DWORD>::max()
                                                                      : static_cast<DWORD>(capacity);
    const DWORD length = GetCurrentDirectoryA(size, buffer);
    // Too small a buffer gives the size needed instead, and no text.
    if (length == 0 || length >= size) {
        buffer[0] = '\0';
        return 0;
    }
    return length;
}

bool Win32FileSystem::Exists(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::unique_ptr<WritableFile> Win32FileSystem::OpenExisting(const char* path) {
    return OpenForWriting(path, OPEN_EXISTING);
}

std::unique_ptr<WritableFile> Win32FileSystem::Create(const char* path) { return OpenForWriting(path, CREATE_ALWAYS); }

bool Win32FileSystem::Remove(const char* path) { return DeleteFileA(path) != FALSE; }

}  // namespace ql::win32
