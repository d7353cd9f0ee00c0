#pragma once
// What a contract case needs from the place its files live in: raw access
// to a file's bytes, behind the interface under test.
#include <initializer_list>
#include <string>

namespace ql::test {

class ScratchFiles {
public:
    virtual ~ScratchFiles() = default;
    // The folder the files live in (the current directory), without a trailing "\".
    virtual std::string Folder() = 0;
    virtual std::string ReadRaw(const std::string& path) = 0;
    virtual void WriteRaw(const std::string& path, const std::string& text) = 0;
    // Makes the file read-only: it can still be read, but not written,
    // replaced or deleted.
    virtual void DenyWriting(const std::string& path) = 0;

    std::string PathOf(const std::string& name) { return Folder() + "\\" + name; }
};

// Whether the pieces occur in text in this order (case-sensitive).
inline bool InOrder(const std::string& text, std::initializer_list<const char*> pieces) {
    std::size_t from = 0;
    for (const char* piece : pieces) {
        const std::size_t at = text.find(piece, from);
        if (at == std::string::npos) return false;
        from = at + 1;
    }
    return true;
}

}  // namespace ql::test
