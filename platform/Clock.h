#pragma once
// Time: the calendar clock and the user's regional formats.
#include <cstddef>
#include <cstdint>

namespace ql {

struct LocalTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, milliseconds = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since 1970-01-01 00:00 UTC.
    virtual std::int64_t UnixNow() = 0;
    virtual LocalTime LocalNow() = 0;
    // The user's short date and long time formats; zero-terminated text of at
    // most capacity-1 characters, returns its length (0 when none).
    virtual std::size_t FormatShortDate(const LocalTime& time, char* out, std::size_t capacity) = 0;
    virtual std::size_t FormatLongTime(const LocalTime& time, char* out, std::size_t capacity) = 0;
};

}  // namespace ql
