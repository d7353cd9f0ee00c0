#include "core/Text.h"

#include <cstring>
#include <limits>

namespace ql {

namespace {

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::size_t CopyText(char* dest, std::size_t capacity, const char* src) {
    if (capacity == 0) return 0;
    std::size_t length = 0;
    if (src != nullptr) {
        while (length + 1 < capacity && src[length] != '\0') {
            dest[length] = src[length];
            ++length;
        }
    }
    dest[length] = '\0';
    return length;
}

std::size_t AppendText(char* dest, std::size_t capacity, const char* src) {
    if (capacity == 0) return 0;
    std::size_t used = strnlen(dest, capacity - 1);
    return used + CopyText(dest + used, capacity - used, src);
}

void TrimAsProfileValue(char* text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t begin = 0;
    std::size_t end = std::strlen(text);
    while (begin < end && blank(text[begin])) ++begin;
    while (end > begin && blank(text[end - 1])) --end;
    if (end - begin >= 2 && (text[begin] == '"' || text[begin] == '\'') && text[end - 1] == text[begin]) {
        ++begin;
        --end;
    }
    std::memmove(text, text + begin, end - begin);
    text[end - begin] = '\0';
}

int CompareNoCase(const char* a, const char* b, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char ca = static_cast<unsigned char>(Upper(a[i]));
        const unsigned char cb = static_cast<unsigned char>(Upper(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == '\0') return 0;
    }
    return 0;
}

bool StartsWithNoCase(const char* text, const char* prefix) {
    return CompareNoCase(text, prefix, std::strlen(prefix)) == 0;
}

bool EqualsNoCase(const char* a, const char* b) {
    return CompareNoCase(a, b, std::numeric_limits<std::size_t>::max()) == 0;
}

std::int64_t ParseLeadingInt64(const char* text) {
    if (text == nullptr) return 0;
    while (*text == ' ' || *text == '\t') ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = (*text++ == '-');
    // Accumulated as a negative number: its range reaches one further.
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        const int digit = *text - '0';
        value = (value < (kMin + digit) / 10) ? kMin : value * 10 - digit;
    }
    if (negative) return value;
    return value == kMin ? std::numeric_limits<std::int64_t>::max() : -value;
}

std::int32_t ParseLeadingInt(const char* text) {
    const std::int64_t value = ParseLeadingInt64(text);
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

}  // namespace ql
