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
    constexpr std::size_t kCloseLength = 6;  // "/close"
    if (length != kCloseLength || (arguments[0] != '/' && arguments[0] != '-')) return LaunchCommand::Start;
    return CompareNoCase(arguments + 1, "close", kCloseLength - 1) == 0 ? LaunchCommand::Close : LaunchCommand::Start;
}

}  // namespace ql
