#include "release/UpdateRelease.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/Text.h"
#include "core/Version.h"
#include "release/ReleaseEndpoint.h"
#include "settings/Setup.h"
#include "shell/LogSink.h"

namespace ql {

namespace {

void LogFormatted(LogSink& log, const char* format, const char* value) {
    char line[128];
    std::snprintf(line, sizeof line, format, value);
    log.WriteLog(line);
}

// Not an ordering: any text that is not a leading part of the running
// release (letter case aside) is another release; the empty text is not.
bool DiffersFromRunning(const char* release) {
    return CompareNoCase(kVersionText, release, std::strlen(release)) != 0;
}

}  // namespace

bool CheckRelease(HttpClient& http, LogSink& log, const ReleaseServer& server, const char* guid,
                  char (&release)[kReleaseTextCapacity], const char* program) {
    log.WriteLog("Looking for upgrade");
    const std::string target = BuildReleaseTarget(guid, program);
    const HttpGetRequest request{kReleaseUserAgent, server.host, server.port, target.c_str(),
                                 kReleaseCheckTimeoutMs};
    ReleaseBody body;
    switch (http.Get(request, body)) {
    case HttpGetResult::NoNetwork:
    case HttpGetResult::NoResponse:
        return false;
    case HttpGetResult::NoSession:
        log.WriteLog("Connect Error");
        return false;
    case HttpGetResult::NotOk:
        log.WriteLog("Release check failed: the server did not answer 200 OK");
        return false;
    case HttpGetResult::BodyCut:
        log.WriteLog("Release check failed: the answer was cut short");
        return false;
    case HttpGetResult::BodyComplete:
        if (ParseRelease(body.Text(), release)) return true;
        log.WriteLog("Release check failed: the answer holds no release");
        return false;
    }
    return false;
}

bool UpdateRelease(TSetup& setup, HttpClient& http, LogSink& log, const ReleaseServer& server, std::int64_t now) {
    if (!CheckRelease(http, log, server, setup.Guid, setup.ActRelease, setup.Program)) return false;
    LogFormatted(log, "Program Version :%s", kVersionText);
    LogFormatted(log, "Current Version :%s", setup.ActRelease);
    setup.SinchT = now;
    setup.StoreSinchT();
    setup.StoreActRelease();
    setup.Upgrade = DiffersFromRunning(setup.ActRelease);
    if (setup.Upgrade) {
        const std::string line = std::string("Release ") + setup.ActRelease + " available at " + kVendorAddress;
        log.WriteLog(line.c_str());
    }
    setup.StoreUpgrade();
    return true;
}

}  // namespace ql
