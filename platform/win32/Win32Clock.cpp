#include "platform/win32/Win32Clock.h"

#include <windows.h>

#include <ctime>
#include <limits>

namespace ql::win32 {

namespace {

SYSTEMTIME ToSystemTime(const LocalTime& time) {
    SYSTEMTIME system = {};
    system.wYear = static_cast<WORD>(time.year);
    system.wMonth = static_cast<WORD>(time.month);
    system.wDay = static_cast<WORD>(time.day);
    system.wHour = static_cast<WORD>(time.hour);
    system.wMinute = static_cast<WORD>(time.minute);
    system.wSecond = static_cast<WORD>(time.second);
    system.wMilliseconds = static_cast<WORD>(time.milliseconds);
    return system;
}

int ToIntCapacity(std::size_t capacity) {
    return capacity > static_cast<std::size_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                                 : static_cast<int>(capacity);
}

// Both formatters count the terminator in their result and give 0 on failure
// (a buffer too small included); a capacity of 0 would only ask for the size.
template <typename Formatter>
std::size_t FormatInto(char* out, std::size_t capacity, Formatter format) {
    if (capacity == 0) return 0;
    const int written = format(out, ToIntCapacity(capacity));
    if (written <= 0) {
        out[0] = '\0';
        return 0;
    }
    return static_cast<std::size_t>(written - 1);
}

}  // namespace

std::int64_t Win32Clock::UnixNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

LocalTime Win32Clock::LocalNow() {
    SYSTEMTIME system = {};
    GetLocalTime(&system);
    LocalTime time;
    time.year = system.wYear;
    time.month = system.wMonth;
    time.day = system.wDay;
    time.hour = system.wHour;
    time.minute = system.wMinute;
    time.second = system.wSecond;
    time.milliseconds = system.wMilliseconds;
    return time;
}

std::size_t Win32Clock::FormatShortDate(const LocalTime& time, char* out, std::size_t capacity) {
    const SYSTEMTIME system = ToSystemTime(time);
    return FormatInto(out, capacity, [&](char* buffer, int size) {
        return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &system, nullptr, buffer, size);
    });
}

std::size_t Win32Clock::FormatLongTime(const LocalTime& time, char* out, std::size_t capacity) {
    const SYSTEMTIME system = ToSystemTime(time);
    return FormatInto(out, capacity, [&](char* buffer, int size) {
        return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &system, nullptr, buffer, size);
    });
}

}  // namespace ql::win32
