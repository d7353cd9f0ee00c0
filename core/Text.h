#pragma once
// Zero-terminated 8-bit texts in fixed-size buffers: bounded copies,
// comparisons without regard to letter case, and lenient number reading.
#include <cstddef>
#include <cstdint>

namespace ql {

// Copies src into dest (capacity bytes, terminator included), cutting what
// does not fit. Returns the length copied. A null src copies the empty text.
std::size_t CopyText(char* dest, std::size_t capacity, const char* src);

template <std::size_t N>
std::size_t CopyText(char (&dest)[N], const char* src) {
    return CopyText(dest, N, src);
}

// Appends src to the text in dest, cutting what does not fit.
std::size_t AppendText(char* dest, std::size_t capacity, const char* src);

template <std::size_t N>
std::size_t AppendText(char (&dest)[N], const char* src) {
    return AppendText(dest, N, src);
}

// A character below the blank, or DEL: line breaks, tabs and the like.
inline bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// Takes a value as the profile services take one from a settings file:
// blanks (spaces and tabs) around it dropped, then one pair of matching
// enclosing quotes, single or double. Works in place.
void TrimAsProfileValue(char* text);

// Whether text begins with prefix, letters compared without regard to case.
bool StartsWithNoCase(const char* text, const char* prefix);
bool EqualsNoCase(const char* a, const char* b);
// Like strncmp without regard to case: the first count characters at most.
int CompareNoCase(const char* a, const char* b, std::size_t count);

// Reads a decimal integer the lenient way: leading blanks, an optional sign,
// then digits up to the first other character; no digits read as 0. Values
// beyond the 32-bit range saturate instead of wrapping.
std::int32_t ParseLeadingInt(const char* text);
// The same reading for 64-bit values (times stored as decimal seconds).
std::int64_t ParseLeadingInt64(const char* text);

}  // namespace ql
