#include "release/ReleaseResponse.h"

#include <cstring>

namespace ql {

namespace {

constexpr std::string_view kMarker = "RELEASE";
// A quote this many characters or more past the marker's first letter,
// counted to where the value began, does not close the value.
constexpr std::size_t kClosingQuoteReach = 32;

}  // namespace

bool ParseRelease(std::string_view body, char (&release)[kReleaseTextCapacity]) {
    body = body.substr(0, body.find('\0'));
    const std::size_t marker = body.find(kMarker);
    if (marker == std::string_view::npos) return false;

    char value[kReleaseTextCapacity];
    bool seenEquals = false;
    bool inValue = false;
    std::size_t length = 0;  // value characters collected, also those that do not fit
    const std::string_view scan = body.substr(marker);
    for (std::size_t position = 0; position < scan.size(); ++position) {
        const char c = scan[position];
        if (inValue) {
            if (c == '"' && position - length < kClosingQuoteReach) {
                if (length >= kReleaseTextCapacity) return false;
                std::memcpy(release, value, length);
                release[length] = '\0';
                return true;
            }
            if (length < kReleaseTextCapacity) value[length] = c;
            ++length;
        }
        if (c == '=') {
            seenEquals = true;
            length = 0;
        }
        if (seenEquals && c == '"') inValue = true;
    }
    return false;
}

bool ReleaseBody::Append(const char* bytes, std::size_t count) {
    m_received += count;
    if (m_received > m_limit) return false;
    if (m_ended) return true;
    const void* nul = std::memchr(bytes, '\0', count);
    const std::size_t textLength = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : count;
    m_text.append(bytes, textLength);
    m_ended = nul != nullptr;
    return true;
}

}  // namespace ql
