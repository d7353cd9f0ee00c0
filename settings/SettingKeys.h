#pragma once
// The settings a person or an administrator chooses, in one table: where
// each lives in Quorlan.ini, the policy value that can enforce it, the
// numbers it accepts and the field of the settings record that holds it.
// The settings file, the administrator's policies and the installer's
// checks all read their rules from here.
#include <cstddef>
#include <cstdint>

namespace ql {

// The fields of the settings that a person or an administrator chooses.
struct UserSettings {
    std::int32_t MaxInact = 45;  // seconds; 0: no closing for inactivity
    std::int32_t MaxSession = 0;  // 0 = unlimited
    char Program[1024] = {};
    bool CloseKill = false;
    bool SendKeys = false;
    std::int32_t KeyGroup = 2;
    std::int32_t Warning = 0;  // seconds before an idle closing to warn; 0: no warning
    // "host", "host:port" or "off"; empty: the default server. Read, never written.
    char ReleaseServer[1024] = {};
    // Groups (names or SIDs, separated by ';') whose members' sessions are
    // counted but never closed. Taken from the policy only, never the file.
    char ExemptGroups[1024] = {};
};

enum class SettingKind {
    Number,  // decimal, lowest to highest
    Flag,    // on only when it reads as the number 1
    Text,    // stored as it is
};

struct SettingKey {
    const char* section;  // of Quorlan.ini
    const char* key;
    // The value under HKLM\Software\Policies\Quorlan that overrides the
    // file's (REG_DWORD for numbers and flags, REG_SZ for texts).
    const char* policy;
    SettingKind kind;
    std::int32_t lowest;    // numbers and flags
    std::int32_t highest;
    const char* fallback;   // the value of a missing key, as the file holds it
    // What a policy value that is present but unusable enforces (numbers
    // and flags): the choice that closes, types and kills the least.
    std::int32_t safest;
    bool written;           // whether the program writes the key back
    std::int32_t UserSettings::*number;
    bool UserSettings::*flag;
    char (UserSettings::*text)[1024];
};

constexpr const char* kPolicyKeyPath = "Software\\Policies\\Quorlan";

// Every key of the table, in the order they are read and written.
const SettingKey* SettingKeysBegin();
const SettingKey* SettingKeysEnd();
struct SettingKeyList {
    const SettingKey* begin() const { return SettingKeysBegin(); }
    const SettingKey* end() const { return SettingKeysEnd(); }
};
inline SettingKeyList SettingKeys() { return {}; }
// The entry of a file key (its name as the table spells it); null when none.
const SettingKey* FindSettingKey(const char* key);

// The key's bit in a set of keys (one bit per entry of the table).
inline std::uint32_t KeyBit(const SettingKey& key) { return 1u << (&key - SettingKeysBegin()); }

// Whether a number lies within the key's range.
bool InRange(const SettingKey& key, std::int64_t value);
// The number a missing key gives.
std::int32_t FallbackNumber(const SettingKey& key);

// Whether two records hold the same value for the key.
bool SameValue(const SettingKey& key, const UserSettings& a, const UserSettings& b);
// Copies one key's value from one record into another.
void CopyValue(const SettingKey& key, const UserSettings& from, UserSettings& to);
// The value as the file holds it: decimal, "1"/"0" or the text.
void FormatValue(const SettingKey& key, const UserSettings& from, char* out, std::size_t capacity);

}  // namespace ql
