#pragma once
// The release server's answer: collecting its body within a bound, and
// reading the release text out of it.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/HttpClient.h"

namespace ql {

constexpr std::size_t kReleaseTextCapacity = 32;  // 31 characters and a NUL

// Reads the release text that follows the marker "RELEASE", an equals sign
// and an opening double quote, up to the closing quote:
//   RELEASE="00.56.00"          or          <item name="RELEASE" value="00.56.00">
// The marker is matched in upper case only. The body counts up to its first
// NUL byte. An equals sign inside the value starts the value afresh after it;
// a quote that stands 32 or more characters after the marker's first letter
// before the value starts does not close it. Only a closed value of at most
// 31 characters is written to release; otherwise release stays as it was.
// Returns whether release was written.
bool ParseRelease(std::string_view body, char (&release)[kReleaseTextCapacity]);

// Collects a response body as text, up to its first NUL byte, and refuses
// to hold more than limit bytes: an endless or huge body is cut, never kept.
class ReleaseBody final : public HttpBodySink {
public:
    static constexpr std::size_t kDefaultLimit = 64 * 1024;

    explicit ReleaseBody(std::size_t limit = kDefaultLimit) : m_limit(limit) {}
    bool Append(const char* bytes, std::size_t count) override;

    const std::string& Text() const { return m_text; }

private:
    std::size_t m_limit;
    std::size_t m_received = 0;
    bool m_ended = false;  // a NUL byte was seen: later bytes are not text
    std::string m_text;
};

}  // namespace ql
