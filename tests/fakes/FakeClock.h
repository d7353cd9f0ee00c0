#pragma once
// A clock that stands where it is set. Its formats are fixed: short date
// "dd/MM/yyyy", long time "HH:mm:ss"; like the real formatters they give
// nothing when the buffer is too small.
#include "platform/Clock.h"

namespace ql::test {

class FakeClock final : public Clock {
public:
    std::int64_t UnixNow() override { return m_unixNow; }
    LocalTime LocalNow() override { return m_localNow; }
    std::size_t FormatShortDate(const LocalTime& time, char* out, std::size_t capacity) override;
    std::size_t FormatLongTime(const LocalTime& time, char* out, std::size_t capacity) override;

    void SetUnixNow(std::int64_t seconds) { m_unixNow = seconds; }
    void SetLocalNow(const LocalTime& time) { m_localNow = time; }
    // Both formatters give nothing.
    void FailFormats(bool failing) { m_failFormats = failing; }

private:
    std::int64_t m_unixNow = 0;
    LocalTime m_localNow;
    bool m_failFormats = false;
};

}  // namespace ql::test
