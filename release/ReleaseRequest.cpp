#include "release/ReleaseRequest.h"

#include <cstring>

#include "core/Text.h"
#include "core/Version.h"
#include "release/ReleaseEndpoint.h"
#include "settings/Setup.h"
#include "shell/LogSink.h"

namespace ql {

namespace {

bool IsHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool IsUnreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

// Decimal 1 to 65535, digits only.
bool ParsePort(const char* text, std::uint16_t& port) {
    if (*text == '\0') return false;
    unsigned long value = 0;
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') return false;
        value = value * 10 + static_cast<unsigned long>(*text - '0');
        if (value > 65535) return false;
    }
    if (value == 0) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

ReleaseServer DefaultServer() {
    ReleaseServer server;
    server.enabled = true;
    CopyText(server.host, kDefaultReleaseHost);
    server.port = kDefaultReleasePort;
    return server;
}

}  // namespace

ReleaseServer ParseReleaseServer(const char* value) {
    if (value == nullptr || *value == '\0') return DefaultServer();
    ReleaseServer off;
    if (EqualsNoCase(value, kReleaseCheckOff)) return off;

    const char* colon = std::strchr(value, ':');
    const std::size_t hostLength = colon ? static_cast<std::size_t>(colon - value) : std::strlen(value);
    if (hostLength == 0 || hostLength >= sizeof off.host) return off;
    for (std::size_t i = 0; i < hostLength; ++i) {
        if (!IsHostCharacter(value[i])) return off;
    }
    ReleaseServer server;
    server.port = kDefaultReleasePort;
    if (colon != nullptr && !ParsePort(colon + 1, server.port)) return off;
    std::memcpy(server.host, value, hostLength);
    server.host[hostLength] = '\0';
    server.enabled = true;
    return server;
}

ReleaseServer ReadReleaseServer(const TSetup& setup, LogSink& log) {
    const char* value = setup.ReleaseServer;
    const ReleaseServer server = ParseReleaseServer(value);
    if (!server.enabled && !EqualsNoCase(value, kReleaseCheckOff)) {
        log.WriteLog("Release check off: ReleaseServer is not host or host:port");
    }
    return server;
}

std::string PercentEncode(const char* text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (; *text != '\0'; ++text) {
        const auto c = static_cast<unsigned char>(*text);
        if (IsUnreserved(c)) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

std::string BuildReleaseTarget(const char* guid, const char* program) {
    std::string target = "/Release/Quorlan.php";
    target += "?PROD=" + PercentEncode("Quorlan.exe");
    target += "&GUID=" + PercentEncode(guid);
    target += "&VERS=" + PercentEncode(kVersionText);
    target += "&APP=" + PercentEncode(program);
    return target;
}

}  // namespace ql
