#include "tests/fakes/FakeClock.h"

#include <cstdio>

namespace ql::test {

namespace {

std::size_t FormatThree(const char* format, int a, int b, int c, char* out, std::size_t capacity, bool failing) {
    if (capacity == 0) return 0;
    char text[64];
    const int length = std::snprintf(text, sizeof text, format, a, b, c);
    if (failing || length <= 0 || static_cast<std::size_t>(length) >= capacity) {
        out[0] = '\0';
        return 0;
    }
    std::snprintf(out, capacity, "%s", text);
    return static_cast<std::size_t>(length);
}

}  // namespace

std::size_t FakeClock::FormatShortDate(const LocalTime& time, char* out, std::size_t capacity) {
    return FormatThree("%02d/%02d/%04d", time.day, time.month, time.year, out, capacity, m_failFormats);
}

std::size_t FakeClock::FormatLongTime(const LocalTime& time, char* out, std::size_t capacity) {
    return FormatThree("%02d:%02d:%02d", time.hour, time.minute, time.second, out, capacity, m_failFormats);
}

}  // namespace ql::test
