#include "settings/Setup.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "core/Text.h"
#include "settings/Policies.h"
#include "settings/SettingNames.h"
#include "shell/LogSink.h"

namespace ql {

namespace {

using namespace ini;
constexpr const char* kInternal = kInternalSection;

// Longest values taken on reading, per key (the chosen settings' are in
// their table).
constexpr std::size_t kNumberValueLongest = 9;     // "Conect", "Upgrade"
constexpr std::size_t kSinchTLongest = 11;
constexpr std::size_t kValueLongest = 1023;

constexpr std::int32_t kScanSeconds = 5;

}  // namespace

void FormatRegistryGuid(const GuidValue& guid, char (&text)[39]) {
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(guid.data1), unsigned{guid.data2}, unsigned{guid.data3},
                  unsigned{guid.data4[0]}, unsigned{guid.data4[1]}, unsigned{guid.data4[2]}, unsigned{guid.data4[3]},
                  unsigned{guid.data4[4]}, unsigned{guid.data4[5]}, unsigned{guid.data4[6]}, unsigned{guid.data4[7]});
}

TSetup::TSetup(ProfileStore& profile, FileSystem& files, GuidSource& guids, LogSink* log, Registry* policies)
    : m_profile(profile), m_files(files), m_guids(guids), m_log(log) {
    SetDefaults();
    Load();
    if (policies != nullptr) ApplyPolicies(*policies);
    SaveAll();
}

// Texts start empty; numbers and flags start at the values a missing key
// gives, which is also what stays in effect when there is no file to read.
void TSetup::SetDefaults() {
    IniPath[0] = '\0';
    Program[0] = '\0';
    Guid[0] = '\0';
    ActRelease[0] = '\0';
    static_cast<UserSettings&>(*this) = UserSettings{};
    ScanInterval = kScanSeconds;
    SinchT = 0;
    Conect = false;
    Upgrade = false;
}

void TSetup::Load() {
    FormIniPath();
    const bool exists = HasIniPath() && m_profile.CanOpenForReading(IniPath);
    m_locked = exists && !m_profile.CanOpenForWriting(IniPath);
    if (m_locked && m_log != nullptr) m_log->WriteLog(kSettingsLockedLog);
    if (HasIniPath() && !exists) MakeInstallationId();

    ReadKey(kInternal, kGuidKey, Guid, Guid, sizeof Guid);
    ReadKey(kInternal, kActReleaseKey, ActRelease, ActRelease, sizeof ActRelease);
    Conect = ReadFlag(kInternal, kConectKey, kNumberValueLongest);
    Upgrade = ReadFlag(kInternal, kUpgradeKey, kNumberValueLongest);
    char sinchT[kSinchTLongest + 1];
    ReadKey(kInternal, kSinchTKey, "0", sinchT, sizeof sinchT);
    SinchT = ParseLeadingInt64(sinchT);

    for (const SettingKey& key : SettingKeys()) ReadUserSetting(key);
    m_inFile = *this;
}

// Values are read whole: a number too long for its key is seen as the
// number it is, never cut to a smaller one.
void TSetup::ReadUserSetting(const SettingKey& key) {
    switch (key.kind) {
    case SettingKind::Text: ReadKey(key.section, key.key, key.fallback, this->*key.text, kValueLongest + 1); return;
    case SettingKind::Flag: this->*key.flag = ReadFlag(key.section, key.key, kValueLongest); return;
    case SettingKind::Number: break;
    }
    const std::int32_t number = ReadNumber(key.section, key.key, key.fallback, kValueLongest);
    if (InRange(key, number)) {
        this->*key.number = number;
        return;
    }
    // Beyond the range, the nearest allowed value; below it, the default.
    // The file keeps what was written there (see SaveAll).
    const bool above = number > key.highest;
    this->*key.number = above ? key.highest : FallbackNumber(key);
    m_keptInFile |= KeyBit(key);
    if (m_log == nullptr) return;
    char line[160];
    std::snprintf(line, sizeof line, "Settings: %s=%d is out of range (%d to %d): %d is used", key.key, int{number},
                  int{key.lowest}, int{key.highest}, int{this->*key.number});
    m_log->WriteLog(line);
}

void TSetup::ApplyPolicies(Registry& policies) { m_byPolicy = ReadPolicies(policies, *this, m_log); }

bool TSetup::SetByPolicy(const SettingKey& key) const { return (m_byPolicy & KeyBit(key)) != 0; }

void TSetup::ExemptFromClosing() {
    for (const char* name : {kMaxInactKey, kMaxSessionKey}) {
        const SettingKey* key = FindSettingKey(name);
        if (key == nullptr) continue;
        this->*key->number = 0;
        m_byPolicy |= KeyBit(*key);
    }
}

// Every key, at start-up: a missing key gets its default, so that the file
// shows every setting. A key set by a policy keeps the file's own value, and
// so does a number out of range: an administrator's value is never replaced
// by what this program made of it.
void TSetup::SaveAll() {
    WriteKey(kInternal, kGuidKey, Guid);
    StoreActRelease();
    WriteFlag(kInternal, kConectKey, Conect);
    for (const SettingKey& key : SettingKeys()) {
        if (!key.written || (m_keptInFile & KeyBit(key)) != 0) continue;
        WriteUserSetting(key, SetByPolicy(key) ? m_inFile : *this);
    }
}

void TSetup::Save() {
    for (const SettingKey& key : SettingKeys()) {
        if (!key.written || SetByPolicy(key) || SameValue(key, *this, m_inFile)) continue;
        WriteUserSetting(key, *this);
        CopyValue(key, *this, m_inFile);
    }
}

void TSetup::WriteUserSetting(const SettingKey& key, const UserSettings& from) {
    char value[kValueLongest + 1];
    FormatValue(key, from, value, sizeof value);
    WriteKey(key.section, key.key, value);
}

void TSetup::StoreSinchT() { WriteNumber(kInternal, kSinchTKey, SinchT); }
void TSetup::StoreActRelease() { WriteKey(kInternal, kActReleaseKey, ActRelease); }
void TSetup::StoreUpgrade() { WriteFlag(kInternal, kUpgradeKey, Upgrade); }

// The full path or none. The system opens no path of MAX_PATH characters or
// more (this program does not declare itself long-path aware), so a longer one
// would make every start a first run with a new installation id. Such a
// working directory leaves IniPath empty: the settings then stay in memory.
void TSetup::FormIniPath() {
    const std::size_t length = m_files.CurrentDirectory(IniPath, sizeof IniPath);
    const std::size_t needed = length + 1 + std::strlen(kIniFileName);
    if (length == 0 || needed > kLongestIniPath) {
        IniPath[0] = '\0';
        return;
    }
    AppendText(IniPath, "\\");
    AppendText(IniPath, kIniFileName);
}

void TSetup::MakeInstallationId() {
    GuidValue guid;
    if (!m_guids.Generate(guid)) return;
    char text[39];
    FormatRegistryGuid(guid, text);
    CopyText(Guid, text);
    WriteKey(kFirstRunSection, kGuidKey, Guid);
}

void TSetup::ReadKey(const char* section, const char* key, const char* fallback, char* out, std::size_t capacity) {
    // The fallback may be the very field being read into: keep a copy apart.
    char fallbackCopy[sizeof Program];
    CopyText(fallbackCopy, fallback);
    if (!HasIniPath()) {
        CopyText(out, capacity, fallbackCopy);
        return;
    }
    m_profile.ReadString(IniPath, section, key, fallbackCopy, out, capacity);
}

std::int32_t TSetup::ReadNumber(const char* section, const char* key, const char* fallback, std::size_t longest) {
    char value[kValueLongest + 1];
    ReadKey(section, key, fallback, value, longest + 1);
    return ParseLeadingInt(value);
}

bool TSetup::ReadFlag(const char* section, const char* key, std::size_t longest) {
    return ReadNumber(section, key, "0", longest) == 1;
}

void TSetup::WriteKey(const char* section, const char* key, const char* value) {
    if (HasIniPath() && !m_locked) m_profile.WriteString(IniPath, section, key, value);
}

void TSetup::WriteNumber(const char* section, const char* key, std::int64_t value) {
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text - 1, value);
    *result.ptr = '\0';
    WriteKey(section, key, text);
}

void TSetup::WriteFlag(const char* section, const char* key, bool value) { WriteKey(section, key, value ? "1" : "0"); }

}  // namespace ql
