#include "settings/Setup.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "core/Text.h"

namespace ql {

namespace {

// The first-run write spells the section differently from every later one;
// both name the same section, which keeps the spelling of its first write.
constexpr const char* kFirstRunSection = "InternalSetUp";
constexpr const char* kInternal = "InternalSetup";
constexpr const char* kBasic = "BasicSetUp";
constexpr const char* kAdvanced = "AdvancedSetUp";

// Longest values taken on reading, per key.
constexpr std::size_t kNumberValueLongest = 9;     // "Conect", "Upgrade"
constexpr std::size_t kSinchTLongest = 11;
constexpr std::size_t kMaxInactLongest = 4;
constexpr std::size_t kMaxSessionLongest = 2;
constexpr std::size_t kAdvancedValueLongest = 1023;  // "CloseKill", "SendKeys", "KeyGroup"
constexpr std::size_t kWarningLongest = 3;
constexpr std::int32_t kLongestWarning = 999;

constexpr std::int32_t kDefaultMaxInact = 45;
constexpr std::int32_t kDefaultKeyGroup = 2;
constexpr std::int32_t kScanSeconds = 5;

}  // namespace

void FormatRegistryGuid(const GuidValue& guid, char (&text)[39]) {
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(guid.data1), unsigned{guid.data2}, unsigned{guid.data3},
                  unsigned{guid.data4[0]}, unsigned{guid.data4[1]}, unsigned{guid.data4[2]}, unsigned{guid.data4[3]},
                  unsigned{guid.data4[4]}, unsigned{guid.data4[5]}, unsigned{guid.data4[6]}, unsigned{guid.data4[7]});
}

TSetup::TSetup(ProfileStore& profile, FileSystem& files, GuidSource& guids)
    : m_profile(profile), m_files(files), m_guids(guids) {
    SetDefaults();
    Load();
    Save();
}

// Texts start empty; numbers and flags start at the values a missing key
// gives, which is also what stays in effect when there is no file to read.
void TSetup::SetDefaults() {
    IniPath[0] = '\0';
    Program[0] = '\0';
    Guid[0] = '\0';
    ActRelease[0] = '\0';
    MaxInact = kDefaultMaxInact;
    MaxSession = 0;
    ScanInterval = kScanSeconds;
    CloseKill = false;
    SendKeys = false;
    KeyGroup = kDefaultKeyGroup;
    Warning = 0;
    SinchT = 0;
    Conect = false;
    Upgrade = false;
}

void TSetup::Load() {
    FormIniPath();
    if (HasIniPath() && !m_profile.CanOpenForReading(IniPath)) MakeInstallationId();

    ReadKey(kInternal, "Guid", Guid, Guid, sizeof Guid);
    ReadKey(kInternal, "ActRelease", ActRelease, ActRelease, sizeof ActRelease);
    Conect = ReadFlag(kInternal, "Conect", kNumberValueLongest);
    Upgrade = ReadFlag(kInternal, "Upgrade", kNumberValueLongest);
    char sinchT[kSinchTLongest + 1];
    ReadKey(kInternal, "SinchT", "0", sinchT, sizeof sinchT);
    SinchT = ParseLeadingInt64(sinchT);

    MaxInact = ReadNumber(kBasic, "Max.Inact.", "45", kMaxInactLongest);
    MaxSession = ReadNumber(kBasic, "Max.Session", "0", kMaxSessionLongest);
    ReadKey(kBasic, "Program", "", Program, sizeof Program);

    CloseKill = ReadFlag(kAdvanced, "CloseKill", kAdvancedValueLongest);
    SendKeys = ReadFlag(kAdvanced, "SendKeys", kAdvancedValueLongest);
    KeyGroup = ReadNumber(kAdvanced, "KeyGroup", "2", kAdvancedValueLongest);
    // Read as at most three digits; a negative number warns never.
    Warning = ReadNumber(kAdvanced, "Warning", "0", kWarningLongest);
    if (Warning < 0 || Warning > kLongestWarning) Warning = 0;
}

void TSetup::Save() {
    WriteKey(kInternal, "Guid", Guid);
    StoreActRelease();
    WriteFlag(kInternal, "Conect", Conect);
    WriteNumber(kBasic, "Max.Inact.", MaxInact);
    WriteNumber(kBasic, "Max.Session", MaxSession);
    WriteKey(kBasic, "Program", Program);
    WriteFlag(kAdvanced, "CloseKill", CloseKill);
    WriteFlag(kAdvanced, "SendKeys", SendKeys);
    WriteNumber(kAdvanced, "KeyGroup", KeyGroup);
    WriteNumber(kAdvanced, "Warning", Warning);
}

void TSetup::StoreSinchT() { WriteNumber(kInternal, "SinchT", SinchT); }
void TSetup::StoreActRelease() { WriteKey(kInternal, "ActRelease", ActRelease); }
void TSetup::StoreUpgrade() { WriteFlag(kInternal, "Upgrade", Upgrade); }

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
    WriteKey(kFirstRunSection, "Guid", Guid);
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
    char value[kAdvancedValueLongest + 1];
    ReadKey(section, key, fallback, value, longest + 1);
    return ParseLeadingInt(value);
}

bool TSetup::ReadFlag(const char* section, const char* key, std::size_t longest) {
    return ReadNumber(section, key, "0", longest) == 1;
}

void TSetup::WriteKey(const char* section, const char* key, const char* value) {
    if (HasIniPath()) m_profile.WriteString(IniPath, section, key, value);
}

void TSetup::WriteNumber(const char* section, const char* key, std::int64_t value) {
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text - 1, value);
    *result.ptr = '\0';
    WriteKey(section, key, text);
}

void TSetup::WriteFlag(const char* section, const char* key, bool value) { WriteKey(section, key, value ? "1" : "0"); }

}  // namespace ql
