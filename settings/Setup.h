#pragma once
// The settings record and its ini file: every setting of the supervisor and
// what it remembers of the last release check.
#include <cstdint>

#include "platform/FileSystem.h"
#include "platform/GuidSource.h"
#include "platform/ProfileStore.h"

namespace ql {

class LogSink;

constexpr const char* kIniFileName = "Quorlan.ini";
// The longest settings path the system opens without long-path support:
// MAX_PATH (260) less the terminator. The working directory may therefore
// have at most 247 characters.
constexpr std::size_t kLongestIniPath = 259;

class TSetup {
public:
    // Defaults (texts empty, ScanInterval 5), Load, Save - in that order.
    TSetup(ProfileStore& profile, FileSystem& files, GuidSource& guids);
    TSetup(const TSetup&) = delete;
    TSetup& operator=(const TSetup&) = delete;

    // Reads the file into the fields; a missing file is a first run, which
    // makes and stores a new installation identifier.
    void Load();
    // Writes every stored key but "SinchT" and "Upgrade" from the fields.
    void Save();

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
    std::int32_t MaxInact;    // seconds
    std::int32_t MaxSession;  // 0 = unlimited
    char Program[1024];
    std::int32_t ScanInterval;  // always 5
    bool CloseKill;
    bool SendKeys;
    std::int32_t KeyGroup;
    std::int32_t Warning;  // seconds before an idle closing to warn; 0: no warning
    char Guid[60];
    char ActRelease[32];
    std::int64_t SinchT;  // 64-bit so it survives 2038; stored as decimal text anyway
    bool Conect;
    bool Upgrade;

private:
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
};

// The registry form of a GUID: 38 characters, braces around five groups of
// upper-case hexadecimal digits joined by hyphens.
void FormatRegistryGuid(const GuidValue& guid, char (&text)[39]);

// Writes the settings summary line "Tracking: %s - Max.Inactivity: %05i - Max Sessions alloved: %02i "
// into a 252-byte line and logs it. A Program too long for the line is cut
// and ends in "..." so that the numbers are always logged in full.
void LogTracking(const TSetup& setup, LogSink& log);

}  // namespace ql
