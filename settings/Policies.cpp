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

// A number or flag that is present is always enforced: its value when it
// is a REG_DWORD within the key's range, else the key's safest value, so
// that an administrator's mistake never leaves the user's file in charge.
void ReadNumberPolicy(RegistryKey& policies, const SettingKey& key, UserSettings& settings, LogSink* log) {
    std::uint32_t value = 0;
    char why[96] = "";
    if (!policies.ReadNumber(key.policy, value)) {
        CopyText(why, "not a REG_DWORD value");
    } else if (!InRange(key, value)) {
        std::snprintf(why, sizeof why, "%lu is out of range (%d to %d)", static_cast<unsigned long>(value),
                      int{key.lowest}, int{key.highest});
    }
    if (why[0] != '\0') {
        value = static_cast<std::uint32_t>(key.safest);
        if (log != nullptr) {
            char line[192];
            std::snprintf(line, sizeof line, "Policy %s not usable: %s: %d is used", key.policy, why, int{key.safest});
            log->WriteLog(line);
        }
    }
    if (key.kind == SettingKind::Flag) {
        settings.*key.flag = value == 1;
    } else {
        settings.*key.number = static_cast<std::int32_t>(value);
    }
}

// A text has no safest value: one that cannot be used is ignored. It is
// taken as the settings file's value would be, blanks and enclosing quotes
// dropped.
bool ReadTextPolicy(RegistryKey& policies, const SettingKey& key, UserSettings& settings, LogSink* log) {
    char value[sizeof settings.Program];
    if (!policies.ReadString(key.policy, value, sizeof value)) {
        LogIgnored(log, key, "not a REG_SZ value of at most 1023 characters");
        return false;
    }
    TrimAsProfileValue(value);
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
        if (key.kind != SettingKind::Text) {
            ReadNumberPolicy(*policies, key, settings, log);
        } else if (!ReadTextPolicy(*policies, key, settings, log)) {
            continue;
        }
        set |= KeyBit(key);
        AppendText(inEffect, " ");
        AppendText(inEffect, key.policy);
    }
    if (set != 0 && log != nullptr) log->WriteLog(inEffect);
    return set;
}

}  // namespace ql
