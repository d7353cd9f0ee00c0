#pragma once
// What the release check asks and of whom: the release server named in the
// settings file, and the request's path and query.
#include <cstdint>
#include <string>

namespace ql {

class LogSink;
class TSetup;

struct ReleaseServer {
    bool enabled = false;
    char host[256] = {};
    std::uint16_t port = 0;
};

// Reads a "ReleaseServer" value: empty or missing gives the default server;
// "off" (any letter case) switches the check off; otherwise "host" or
// "host:port". A value that is neither (a blank, a slash, a bad port...)
// also switches the check off, so that a mistyped setting never sends the
// installation's details to a server the administrator did not name.
ReleaseServer ParseReleaseServer(const char* value);

// The setting in effect (the file's, or the administrator's policy).
// A value that switches the check off without saying "off" is logged, so
// that the administrator finds the mistyped setting.
ReleaseServer ReadReleaseServer(const TSetup& setup, LogSink& log);

// Every byte but the unreserved ones (letters, digits, "-._~") as %XX, so
// that a server decoding its query sees exactly the stored values.
std::string PercentEncode(const char* text);

// "/Release/Quorlan.php?PROD=Quorlan.exe&GUID=...&VERS=00.55.00&APP=...".
std::string BuildReleaseTarget(const char* guid, const char* program);

}  // namespace ql
