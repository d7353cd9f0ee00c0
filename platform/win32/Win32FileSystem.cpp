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

// Another process holds the file (or is deleting it): worth another try.
bool HeldByAnother(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

// Opens with CreateFileA's arguments, trying again every few milliseconds
// while another opener holds the file, up to waitMilliseconds in all.
UniqueFileHandle OpenWaiting(const char* path, DWORD access, DWORD share, DWORD disposition,
                             unsigned waitMilliseconds) {
    constexpr DWORD kRetryMilliseconds = 10;
    const DWORD started = GetTickCount();
    for (;;) {
        UniqueFileHandle file(CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return file;
        if (!HeldByAnother(GetLastError()) || GetTickCount() - started >= waitMilliseconds) return {};
        Sleep(kRetryMilliseconds);
    }
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

std::unique_ptr<WritableFile> Win32FileSystem::OpenLocked(const char* path, unsigned waitMilliseconds) {
    UniqueFileHandle file = OpenWaiting(path, GENERIC_WRITE, 0, OPEN_ALWAYS, waitMilliseconds);
    if (!file) return nullptr;
    return std::make_unique<Win32WritableFile>(std::move(file));
}

bool Win32FileSystem::Rename(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != FALSE;
}

FileSystem::ReadResult Win32FileSystem::ReadWhole(const char* path, std::string& content, std::size_t limit) {
    constexpr unsigned kReadWaitMilliseconds = 2000;  // a writer holds it for one line at a time
    content.clear();
    UniqueFileHandle file = OpenWaiting(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, kReadWaitMilliseconds);
    if (!file) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::Missing
                                                                               : ReadResult::Failed;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > limit) {
        return ReadResult::Failed;
    }
    content.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < content.size()) {
        const std::size_t left = content.size() - done;
        const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        DWORD read = 0;
        if (!ReadFile(file.get(), &content[done], chunk, &read, nullptr)) return ReadResult::Failed;
        if (read == 0) break;  // shorter than its size said: what was there is read
        done += read;
    }
    content.resize(done);
    return ReadResult::Read;
}

}  // namespace ql::win32
