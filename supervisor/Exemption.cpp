#include "supervisor/Exemption.h"

#include <algorithm>
#include <cstdio>

#include "settings/SettingNames.h"

namespace ql {

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

void LogUnknown(LogSink& log, const std::string& group) {
    char line[1200];
    std::snprintf(line, sizeof line, "Policy ExemptGroups: \"%s\" names no group this computer knows",
                  group.c_str());
    log.WriteLog(line);
}

}  // namespace

std::string ExemptingGroup(const TSetup& setup, GroupMembership& membership, LogSink& log) {
    const SettingKey* key = FindSettingKey(ini::kExemptGroupsKey);
    if (key == nullptr || !setup.SetByPolicy(*key)) return {};
    const std::string list = setup.ExemptGroups;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(';', start), list.size());
        const std::string group = Trimmed(list.substr(start, end - start));
        start = end + 1;
        if (group.empty()) continue;
        switch (membership.Of(group.c_str())) {
        case Membership::Member: return group;
        case Membership::UnknownGroup: LogUnknown(log, group); break;
        case Membership::NotMember: break;
        }
    }
    return {};
}

bool ApplyExemption(TSetup& setup, GroupMembership& membership, LogSink& log) {
    const std::string group = ExemptingGroup(setup, membership, log);
    if (group.empty()) return false;
    setup.ExemptFromClosing();
    char line[1200];
    std::snprintf(line, sizeof line, "Exempt: this user belongs to \"%s\": sessions are counted, never closed",
                  group.c_str());
    log.WriteLog(line);
    return true;
}

}  // namespace ql
