#pragma once
// An HTTP/1.x response read as its bytes arrive: the status line and the
// header lines, capped as the body is, then the body (plain, with a
// Content-Length, or chunked) handed to a sink. A server that sends header
// lines without end, or a chunk without end, costs at most the caps.
#include <cstddef>
#include <cstdint>

#include "platform/HttpClient.h"

namespace ql {

// The status line and header lines together: far more than any real
// release server sends.
constexpr std::size_t kHttpHeaderCap = 16 * 1024;

class HttpResponseReader {
public:
    explicit HttpResponseReader(HttpBodySink& body) : m_body(body) {}

    // Takes the next bytes of the connection. False once reading should
    // stop: the response is complete, or it was cut or refused.
    bool Take(const char* bytes, std::size_t count);
    // The connection ended (closed by the server, or failed).
    void EndOfStream() { m_ended = true; }

    // Whether the status line and every header line arrived.
    bool Responded() const { return m_stage != Stage::Headers && m_stage != Stage::Refused; }
    // The outcome so far: NoResponse until the headers are complete (or when
    // they were too long or malformed), NotOk for a status other than 200,
    // BodyComplete once the body ended as announced, BodyCut otherwise.
    HttpGetResult Result() const;

private:
    enum class Stage { Headers, Refused, NotOk, Body, ChunkSize, ChunkData, ChunkEnd, Complete, Cut };

    bool TakeHeaderByte(char c);
    bool EndOfHeaders();
    void HeaderLine();
    bool TakeBody(const char* bytes, std::size_t count);
    bool TakeChunked(const char* bytes, std::size_t count);

    HttpBodySink& m_body;
    Stage m_stage = Stage::Headers;
    bool m_ended = false;
    std::size_t m_headerBytes = 0;
    char m_line[256] = {};  // the header line being read; longer ones are kept only in part
    std::size_t m_lineLength = 0;
    bool m_statusSeen = false;
    int m_status = 0;
    bool m_chunked = false;
    bool m_lengthKnown = false;
    std::uint64_t m_remaining = 0;  // of the body, or of the chunk
    char m_sizeLine[20] = {};
    std::size_t m_sizeLength = 0;
};

}  // namespace ql
