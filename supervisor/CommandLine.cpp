#include "supervisor/CommandLine.h"

#include <cstring>

#include "core/Text.h"

namespace ql {

LaunchCommand ParseCommandLine(const char* arguments, const char** reportArguments) {
    if (arguments == nullptr) return LaunchCommand::Start;
    while (*arguments == ' ' || *arguments == '\t') ++arguments;
    constexpr std::size_t kReportLength = 7;  // "/report"
    if ((arguments[0] == '/' || arguments[0] == '-') && CompareNoCase(arguments + 1, "report", kReportLength - 1) == 0 &&
        (arguments[kReportLength] == '\0' || arguments[kReportLength] == ' ' || arguments[kReportLength] == '\t')) {
        if (reportArguments != nullptr) *reportArguments = arguments + kReportLength;
        return LaunchCommand::Report;
    }
    std::size_t length = std::strlen(arguments);
    while (length > 0 && (arguments[length - 1] == ' ' || arguments[length - 1] == '\t')) --length;
    if (length < 2 || (arguments[0] != '/' && arguments[0] != '-')) return LaunchCommand::Start;
    static const struct {
        const char* name;
        LaunchCommand command;
    } kSwitches[] = {{"close", LaunchCommand::Close}, {"scan-only", LaunchCommand::StartScanOnly}};
    for (const auto& known : kSwitches) {
        if (length - 1 == std::strlen(known.name) && CompareNoCase(arguments + 1, known.name, length - 1) == 0) {
            return known.command;
        }
    }
    return LaunchCommand::Start;
}

}  // namespace ql
