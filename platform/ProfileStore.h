#pragma once
// Ini (profile) files, read and written one key at a time by the documented
// rules of the system's profile services.
#include <cstddef>

namespace ql {

class ProfileStore {
public:
    virtual ~ProfileStore() = default;

    // Copies the value of key in section (or fallback when missing) into out,
    // at most capacity-1 characters, zero-terminated; returns the length copied.
    // Section and key match without regard to case; surrounding blanks and one
    // pair of enclosing quotes are taken off the value.
    virtual std::size_t ReadString(const char* path, const char* section, const char* key, const char* fallback,
                                   char* out, std::size_t capacity) = 0;
    // Replaces the key's value where it stands, or adds the key at the end of its
    // section, or the section at the end of the file; a section keeps the letter
    // case of the write that created it. False when not written (a read-only
    // file, for one). Section, key and value are never null: deleting keys or
    // sections is not part of this interface.
    virtual bool WriteString(const char* path, const char* section, const char* key, const char* value) = 0;
    // Whether the file can be opened for reading.
    virtual bool CanOpenForReading(const char* path) = 0;
    // Whether an existing file can be opened for writing: false for one
    // that is read-only or that this user may not change.
    virtual bool CanOpenForWriting(const char* path) = 0;
};

}  // namespace ql
