#include "supervisor/CommandLine.h"

#include <cstring>

#include "core/Text.h"

namespace ql {

LaunchCommand ParseCommandLine(const char* arguments) {
    if (arguments == nullptr) return LaunchCommand::Start;
    while (*arguments == ' ' || *arguments == '\t') ++arguments;
    std::size_t length = std::strlen(arguments);
    while (length > 0 && (arguments[length - 1] == ' ' || arguments[length - 1] == '\t')) --length;
    constexpr std::size_t kCloseLength = 6;  // "/close"
    if (length != kCloseLength || (arguments[0] != '/' && arguments[0] != '-')) return LaunchCommand::Start;
    return CompareNoCase(arguments + 1, "close", kCloseLength - 1) == 0 ? LaunchCommand::Close : LaunchCommand::Start;
}

}  // namespace ql
