#pragma once
// The release check: asks the release server which release is current and
// records the answer, and when it was obtained, in the settings file.
#include <cstdint>

#include "platform/HttpClient.h"
#include "release/ReleaseRequest.h"
#include "release/ReleaseResponse.h"

namespace ql {

class LogSink;
class TSetup;

constexpr const char* kReleaseUserAgent = "anonimous";
// The whole exchange with the release server; start-up goes on after it,
// whatever the network or the server does.
constexpr unsigned kReleaseCheckTimeoutMs = 4000;

// Sends the installation's details to the server and reads the release text
// of its answer into release. True only when a 200 answer came whole and
// held a release text; anything else is a failed check (logged when an
// answer came), and release keeps its value.
bool CheckRelease(HttpClient& http, LogSink& log, const ReleaseServer& server, const char* guid,
                  char (&release)[kReleaseTextCapacity], const char* program);

// Runs the check with the settings' own values and, when it succeeded,
// stores "SinchT" (now), "ActRelease" and "Upgrade" (whether the release
// differs from the running one) and logs the outcome. False when it
// failed: nothing is stored, so the next start checks again.
bool UpdateRelease(TSetup& setup, HttpClient& http, LogSink& log, const ReleaseServer& server, std::int64_t now);

}  // namespace ql
