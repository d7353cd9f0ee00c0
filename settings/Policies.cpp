#include "settings/Policies.h"

#include <cstdio>

#include "core/Text.h"
#include "platform/Registry.h"
#include "shell/LogSink.h"

namespace ql {

namespace {

void LogIgnored(LogSink* log, const SettingKey& key, const char* why) {
    if (log == nullptr) return;
    char line[192];
    std::snprintf(line, sizeof line, "Policy %s ignored: %s", key.policy, why);
    log->WriteLog(line);
}

bool ReadNumberPolicy(RegistryKey& policies, const SettingKey& key, UserSettings& settings, LogSink* log) {
    std::uint32_t value = 0;
    if (!policies.ReadNumber(key.policy, value)) {
        LogIgnored(log, key, "not a REG_DWORD value");
        return false;
    }
    if (!InRange(key, value)) {
        char why[96];
        std::snprintf(why, sizeof why, "%lu is out of range (%d to %d)", static_cast<unsigned long>(value),
                      int{key.lowest}, int{key.highest});
        LogIgnored(log, key, why);
        return false;
    }
    if (key.kind == SettingKind::Flag) {
        settings.*key.flag = value == 1;
    } else {
        settings.*key.number = static_cast<std::int32_t>(value);
    }
    return true;
}

bool ReadTextPolicy(RegistryKey& policies, const SettingKey& key, UserSettings& settings, LogSink* log) {
    char value[sizeof settings.Program];
    if (!policies.ReadString(key.policy, value, sizeof value)) {
        LogIgnored(log, key, "not a REG_SZ value of at most 1023 characters");
        return false;
    }
    if (value[0] == '\0') {
        LogIgnored(log, key, "empty");
        return false;
    }
    CopyText(settings.*key.text, value);
    return true;
}

}  // namespace

std::uint32_t ReadPolicies(Registry& registry, UserSettings& settings, LogSink* log) {
    auto policies = registry.OpenForReading(RegistryRoot::LocalMachine, kPolicyKeyPath);
    if (!policies) return 0;
    std::uint32_t set = 0;
    char inEffect[256] = "Set by policy:";
    for (const SettingKey& key : SettingKeys()) {
        if (!policies->ValueExists(key.policy)) continue;
        const bool taken = key.kind == SettingKind::Text ? ReadTextPolicy(*policies, key, settings, log)
                                                         : ReadNumberPolicy(*policies, key, settings, log);
        if (!taken) continue;
        set |= KeyBit(key);
        AppendText(inEffect, " ");
        AppendText(inEffect, key.policy);
    }
    if (set != 0 && log != nullptr) log->WriteLog(inEffect);
    return set;
}

}  // namespace ql
