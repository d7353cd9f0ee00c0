#pragma once
// The calendar clock and the user's regional date and time formats.
#include "platform/Clock.h"

namespace ql::win32 {

class Win32Clock final : public Clock {
public:
    std::int64_t UnixNow() override;
    LocalTime LocalNow() override;
    std::size_t FormatShortDate(const LocalTime& time, char* out, std::size_t capacity) override;
    std::size_t FormatLongTime(const LocalTime& time, char* out, std::size_t capacity) override;
};

}  // namespace ql::win32
