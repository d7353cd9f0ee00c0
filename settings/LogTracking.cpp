#include <cstdio>
#include <cstring>

#include "core/Text.h"
#include "settings/Setup.h"
#include "shell/LogSink.h"

namespace ql {

namespace {

constexpr std::size_t kTrackingLine = 252;
constexpr const char* kTrackingHead = "Tracking: ";
constexpr const char* kCutMark = "...";

}  // namespace

void LogTracking(const TSetup& setup, LogSink& log) {
    // The numbers go first so that only the program name is ever shortened.
    char tail[96];
    std::snprintf(tail, sizeof tail, " - Max.Inactivity: %05i - Max Sessions alloved: %02i ", int{setup.MaxInact},
                  int{setup.MaxSession});

    char line[kTrackingLine];
    CopyText(line, kTrackingHead);
    const std::size_t room = sizeof line - 1 - std::strlen(kTrackingHead) - std::strlen(tail);
    const std::size_t programLength = strnlen(setup.Program, sizeof setup.Program);
    if (programLength <= room) {
        AppendText(line, setup.Program);
    } else {
        const std::size_t kept = room - std::strlen(kCutMark);
        const std::size_t used = std::strlen(line);
        CopyText(line + used, kept + 1, setup.Program);
        AppendText(line, kCutMark);
    }
    AppendText(line, tail);
    log.WriteLog(line);
}

}  // namespace ql
