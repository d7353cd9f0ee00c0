#pragma once
// The settings record and its ini file: every setting of the supervisor and
// what it remembers of the last release check.
#include <cstdint>

#include "platform/FileSystem.h"
#include "platform/GuidSource.h"
#include "platform/ProfileStore.h"
#include "settings/SettingKeys.h"

namespace ql {

class LogSink;
class Registry;

constexpr const char* kIniFileName = "Quorlan.ini";
constexpr const char* kSettingsLockedLog = "Settings: Quorlan.ini is locked by the administrator: nothing is written to it";
// The longest settings path the system opens without long-path support:
// MAX_PATH (260) less the terminator. The working directory may therefore
// have at most 247 characters.
constexpr std::size_t kLongestIniPath = 259;

// The fields a person or an administrator chooses come from UserSettings;
// those in effect are the file's, overridden by the administrator's policies.
class TSetup : public UserSettings {
public:
    // Defaults (texts empty, ScanInterval 5), Load, the policies, then every
    // key written - in that order. A number out of its key's range is
    // logged (when there is a log) and reads as the key's default.
    TSetup(ProfileStore& profile, FileSystem& files, GuidSource& guids, LogSink* log = nullptr,
           Registry* policies = nullptr);
    TSetup(const TSetup&) = delete;
    TSetup& operator=(const TSetup&) = delete;

    // Reads the file into the fields; a missing file is a first run, which
    // makes and stores a new installation identifier.
    void Load();
    // Writes the keys whose values changed since they were read or last
    // written by this program, so that a change made to the file meanwhile
    // (by an administrator, by the installer) survives. A value set by a
    // policy is never written: the file keeps its own.
    void Save();

    // Whether an administrator's policy set the key's value in effect.
    bool SetByPolicy(const SettingKey& key) const;
    bool AnySetByPolicy() const { return m_byPolicy != 0; }
    // Whether the settings file exists but may not be changed by this user
    // (an administrator locked it): then nothing is ever written to it.
    bool Locked() const { return m_locked; }
    // The user is exempt by the administrator's ExemptGroups policy: no
    // closing for inactivity and no limit of sessions, held as policy values
    // are (greyed in the setup dialog, never written to the file).
    void ExemptFromClosing();

    // The three keys of the release check's outcome, each written from its
    // field on its own (the check logs between the writes).
    void StoreSinchT();
    void StoreActRelease();
    void StoreUpgrade();

    // Whether IniPath names the settings file. False when the working
    // directory is too long for a full path the system can open: the settings
    // then live in memory only, with their defaults, no file is read or
    // written and no installation id is made.
    bool HasIniPath() const { return IniPath[0] != '\0'; }

    char IniPath[1024];
    std::int32_t ScanInterval;  // always 5
    char Guid[60];
    char ActRelease[32];
    std::int64_t SinchT;  // 64-bit so it survives 2038; stored as decimal text anyway
    bool Conect;
    bool Upgrade;

private:
    void SaveAll();
    void ReadUserSetting(const SettingKey& key);
    void WriteUserSetting(const SettingKey& key, const UserSettings& from);
    void ApplyPolicies(Registry& policies);
    void SetDefaults();
    void FormIniPath();
    void MakeInstallationId();
    // Reads one key (its value cut to capacity-1) or, without a file, its fallback.
    void ReadKey(const char* section, const char* key, const char* fallback, char* out, std::size_t capacity);
    std::int32_t ReadNumber(const char* section, const char* key, const char* fallback, std::size_t longest);
    bool ReadFlag(const char* section, const char* key, std::size_t longest);
    void WriteKey(const char* section, const char* key, const char* value);
    void WriteNumber(const char* section, const char* key, std::int64_t value);
    void WriteFlag(const char* section, const char* key, bool value);

    ProfileStore& m_profile;
    FileSystem& m_files;
    GuidSource& m_guids;
    LogSink* m_log;
    // The values the file holds as far as this program knows: as read, or
    // as it last wrote them.
    UserSettings m_inFile;
    std::uint32_t m_byPolicy = 0;  // one bit per SettingKey, in table order
    std::uint32_t m_keptInFile = 0;  // keys whose file value was not taken as written
    bool m_locked = false;
};

// The registry form of a GUID: 38 characters, braces around five groups of
// upper-case hexadecimal digits joined by hyphens.
void FormatRegistryGuid(const GuidValue& guid, char (&text)[39]);

// Writes the settings summary line "Tracking: %s - Max.Inactivity: %05i - Max Sessions alloved: %02i "
// into a 252-byte line and logs it. A Program too long for the line is cut
// and ends in "..." so that the numbers are always logged in full.
void LogTracking(const TSetup& setup, LogSink& log);

}  // namespace ql
