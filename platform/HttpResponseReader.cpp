#include "platform/HttpResponseReader.h"

#include <cstring>

#include "core/Text.h"

namespace ql {

namespace {

bool StartsWithNoCaseN(const char* text, std::size_t length, const char* prefix) {
    const std::size_t prefixLength = std::strlen(prefix);
    return length >= prefixLength && CompareNoCase(text, prefix, prefixLength) == 0;
}

const char* SkipBlanks(const char* at) {
    while (*at == ' ' || *at == '\t') ++at;
    return at;
}

bool ContainsNoCase(const char* text, const char* part) {
    const std::size_t length = std::strlen(part);
    for (; *text != '\0'; ++text) {
        if (CompareNoCase(text, part, length) == 0) return true;
    }
    return false;
}

// "HTTP/x.y nnn reason": the three-digit status, or 0 when there is none.
int StatusOf(const char* statusLine) {
    const char* at = statusLine + std::strlen("HTTP/");
    while (*at != '\0' && *at != ' ') ++at;
    at = SkipBlanks(at);
    int status = 0;
    for (int digit = 0; digit < 3; ++digit, ++at) {
        if (*at < '0' || *at > '9') return 0;
        status = status * 10 + (*at - '0');
    }
    return *at == '\0' || *at == ' ' ? status : 0;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool HttpResponseReader::Take(const char* bytes, std::size_t count) {
    std::size_t used = 0;
    while (m_stage == Stage::Headers && used < count) {
        if (!TakeHeaderByte(bytes[used++])) return false;
    }
    if (m_stage == Stage::Body) return TakeBody(bytes + used, count - used);
    if (m_stage == Stage::ChunkSize || m_stage == Stage::ChunkData || m_stage == Stage::ChunkEnd) {
        return TakeChunked(bytes + used, count - used);
    }
    return m_stage == Stage::Headers;
}

bool HttpResponseReader::TakeHeaderByte(char c) {
    if (++m_headerBytes > kHttpHeaderCap) {
        m_stage = Stage::Refused;
        return false;
    }
    if (c == '\r') return true;
    if (c != '\n') {
        if (m_lineLength + 1 < sizeof m_line) m_line[m_lineLength++] = c;
        return true;
    }
    m_line[m_lineLength] = '\0';
    if (m_lineLength == 0 && m_statusSeen) return EndOfHeaders();
    HeaderLine();
    m_lineLength = 0;
    return m_stage == Stage::Headers;
}

void HttpResponseReader::HeaderLine() {
    if (!m_statusSeen) {
        // "HTTP/1.x nnn text"; anything else is no HTTP response.
        if (StartsWithNoCaseN(m_line, m_lineLength, "HTTP/")) m_status = StatusOf(m_line);
        if (m_status == 0) m_stage = Stage::Refused;
        m_statusSeen = true;
        return;
    }
    if (StartsWithNoCaseN(m_line, m_lineLength, "Transfer-Encoding:")) {
        m_chunked = ContainsNoCase(m_line + std::strlen("Transfer-Encoding:"), "chunked");
    } else if (StartsWithNoCaseN(m_line, m_lineLength, "Content-Length:")) {
        const char* at = SkipBlanks(m_line + std::strlen("Content-Length:"));
        std::uint64_t length = 0;
        int digits = 0;
        for (; *at >= '0' && *at <= '9' && digits < 18; ++at, ++digits) length = length * 10 + unsigned(*at - '0');
        if (digits > 0) {
            m_lengthKnown = true;
            m_remaining = length;
        }
    }
}

bool HttpResponseReader::EndOfHeaders() {
    // An error page, a redirect or a captive portal's answer: not the
    // release server's, whatever its body says.
    if (m_status != 200) {
        m_stage = Stage::NotOk;
        return false;
    }
    if (m_chunked) {
        m_stage = Stage::ChunkSize;
        m_sizeLength = 0;
        return true;
    }
    m_stage = Stage::Body;
    if (m_lengthKnown && m_remaining == 0) {
        m_stage = Stage::Complete;
        return false;
    }
    return true;
}

bool HttpResponseReader::TakeBody(const char* bytes, std::size_t count) {
    if (count == 0) return true;
    std::size_t taken = count;
    if (m_lengthKnown && taken > m_remaining) taken = static_cast<std::size_t>(m_remaining);
    if (!m_body.Append(bytes, taken)) {
        m_stage = Stage::Cut;
        return false;
    }
    if (!m_lengthKnown) return true;
    m_remaining -= taken;
    if (m_remaining > 0) return true;
    m_stage = Stage::Complete;
    return false;
}

bool HttpResponseReader::TakeChunked(const char* bytes, std::size_t count) {
    for (std::size_t at = 0; at < count;) {
        if (m_stage == Stage::ChunkData) {
            std::size_t taken = count - at;
            if (taken > m_remaining) taken = static_cast<std::size_t>(m_remaining);
            if (!m_body.Append(bytes + at, taken)) {
                m_stage = Stage::Cut;
                return false;
            }
            at += taken;
            m_remaining -= taken;
            if (m_remaining == 0) m_stage = Stage::ChunkEnd;
            continue;
        }
        const char c = bytes[at++];
        if (m_stage == Stage::ChunkEnd) {  // the line break after a chunk's data
            if (c == '\n') {
                m_stage = Stage::ChunkSize;
                m_sizeLength = 0;
            }
            continue;
        }
        // The size line: hexadecimal digits, perhaps extensions after ';'.
        if (c != '\n') {
            if (m_sizeLength + 1 >= sizeof m_sizeLine) {  // no real size needs so many characters
                m_stage = Stage::Cut;
                return false;
            }
            m_sizeLine[m_sizeLength++] = c;
            continue;
        }
        std::uint64_t size = 0;
        std::size_t digits = 0;
        for (; digits < m_sizeLength && HexDigit(m_sizeLine[digits]) >= 0 && digits < 15; ++digits) {
            size = size * 16 + unsigned(HexDigit(m_sizeLine[digits]));
        }
        if (digits == 0) {
            m_stage = Stage::Cut;
            return false;
        }
        if (size == 0) {  // the last chunk; trailers are not needed
            m_stage = Stage::Complete;
            return false;
        }
        m_remaining = size;
        m_stage = Stage::ChunkData;
    }
    return true;
}

HttpGetResult HttpResponseReader::Result() const {
    switch (m_stage) {
    case Stage::Headers:
    case Stage::Refused: return HttpGetResult::NoResponse;
    case Stage::NotOk: return HttpGetResult::NotOk;
    case Stage::Complete: return HttpGetResult::BodyComplete;
    case Stage::Body:
        // A body without a length ends with the connection.
        return m_ended && !m_lengthKnown ? HttpGetResult::BodyComplete : HttpGetResult::BodyCut;
    case Stage::ChunkSize:
    case Stage::ChunkData:
    case Stage::ChunkEnd:
    case Stage::Cut: return HttpGetResult::BodyCut;
    }
    return HttpGetResult::BodyCut;
}

}  // namespace ql
