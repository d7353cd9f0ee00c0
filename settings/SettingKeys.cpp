#include "settings/SettingKeys.h"

#include <cstdio>
#include <cstring>

#include "core/Text.h"
#include "settings/SettingNames.h"

namespace ql {

namespace {

using namespace ini;

constexpr const char* kBasic = kBasicSection;
constexpr const char* kAdvanced = kAdvancedSection;
constexpr SettingKey kKeys[] = {
    {kBasic, kMaxInactKey, "MaxInact", SettingKind::Number, 0, 9999, "45", 9999, true, &UserSettings::MaxInact, nullptr,
     nullptr},
    {kBasic, kMaxSessionKey, "MaxSession", SettingKind::Number, 0, 99, "0", 0, true, &UserSettings::MaxSession, nullptr,
     nullptr},
    {kBasic, kProgramKey, "Program", SettingKind::Text, 0, 0, "", 0, true, nullptr, nullptr, &UserSettings::Program},
    {kAdvanced, kCloseKillKey, "CloseKill", SettingKind::Flag, 0, 1, "0", 0, true, nullptr, &UserSettings::CloseKill,
     nullptr},
    {kAdvanced, kSendKeysKey, "SendKeys", SettingKind::Flag, 0, 1, "0", 0, true, nullptr, &UserSettings::SendKeys,
     nullptr},
    {kAdvanced, kKeyGroupKey, "KeyGroup", SettingKind::Number, 0, 2, "2", 0, true, &UserSettings::KeyGroup, nullptr,
     nullptr},
    {kAdvanced, kWarningKey, "Warning", SettingKind::Number, 0, 999, "0", 0, true, &UserSettings::Warning, nullptr,
     nullptr},
    {kAdvanced, kReleaseServerKey, "ReleaseServer", SettingKind::Text, 0, 0, "", 0, false, nullptr, nullptr,
     &UserSettings::ReleaseServer},
    {kAdvanced, kExemptGroupsKey, "ExemptGroups", SettingKind::Text, 0, 0, "", 1023, false, nullptr, nullptr,
     &UserSettings::ExemptGroups},
};

}  // namespace

const SettingKey* SettingKeysBegin() { return kKeys; }
const SettingKey* SettingKeysEnd() { return kKeys + sizeof kKeys / sizeof kKeys[0]; }

const SettingKey* FindSettingKey(const char* key) {
    for (const SettingKey& candidate : SettingKeys()) {
        if (EqualsNoCase(candidate.key, key)) return &candidate;
    }
    return nullptr;
}

bool InRange(const SettingKey& key, std::int64_t value) { return value >= key.lowest && value <= key.highest; }

std::int32_t FallbackNumber(const SettingKey& key) { return ParseLeadingInt(key.fallback); }

bool SameValue(const SettingKey& key, const UserSettings& a, const UserSettings& b) {
    switch (key.kind) {
    case SettingKind::Number: return a.*key.number == b.*key.number;
    case SettingKind::Flag: return a.*key.flag == b.*key.flag;
    case SettingKind::Text: return std::strcmp(a.*key.text, b.*key.text) == 0;
    }
    return true;
}

void CopyValue(const SettingKey& key, const UserSettings& from, UserSettings& to) {
    switch (key.kind) {
    case SettingKind::Number: to.*key.number = from.*key.number; break;
    case SettingKind::Flag: to.*key.flag = from.*key.flag; break;
    case SettingKind::Text: CopyText(to.*key.text, from.*key.text); break;
    }
}

void FormatValue(const SettingKey& key, const UserSettings& from, char* out, std::size_t capacity) {
    switch (key.kind) {
    case SettingKind::Number: std::snprintf(out, capacity, "%d", int{from.*key.number}); break;
    case SettingKind::Flag: CopyText(out, capacity, from.*key.flag ? "1" : "0"); break;
    case SettingKind::Text: CopyText(out, capacity, from.*key.text); break;
    }
}

}  // namespace ql
