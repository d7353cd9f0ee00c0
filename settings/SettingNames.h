#pragma once
// The sections and keys of Quorlan.ini, as the program, the installer and
// the release check spell them. Profile look-ups ignore letter case, so the
// two spellings of the internal section name the same section; a new file
// keeps the spelling of its first write.

namespace ql::ini {

constexpr const char* kBasicSection = "BasicSetUp";
constexpr const char* kAdvancedSection = "AdvancedSetUp";
constexpr const char* kFirstRunSection = "InternalSetUp";  // written by the first run and the installer
constexpr const char* kInternalSection = "InternalSetup";   // read and written afterwards

// The settings a person or an administrator chooses.
constexpr const char* kMaxInactKey = "Max.Inact.";
constexpr const char* kMaxSessionKey = "Max.Session";
constexpr const char* kProgramKey = "Program";
constexpr const char* kCloseKillKey = "CloseKill";
constexpr const char* kSendKeysKey = "SendKeys";
constexpr const char* kKeyGroupKey = "KeyGroup";
constexpr const char* kWarningKey = "Warning";
constexpr const char* kReleaseServerKey = "ReleaseServer";
// Read from the policy alone: users may write the file.
constexpr const char* kExemptGroupsKey = "ExemptGroups";

// What the program keeps for itself: the installation id and the release check's state.
constexpr const char* kGuidKey = "Guid";
constexpr const char* kActReleaseKey = "ActRelease";
constexpr const char* kConectKey = "Conect";
constexpr const char* kSinchTKey = "SinchT";
constexpr const char* kUpgradeKey = "Upgrade";

}  // namespace ql::ini
