#pragma once
// Settings an administrator gives as public properties of the installer
// package (msiexec ... PROGRAM=... MAXINACT=...): which ini key each one
// sets, the checks that keep a given value inside what the program reads
// back unchanged, and the hand-over from the checking step to the writing
// step of the installation.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "settings/RunValue.h"

namespace ql::installer {

// The form a given value must have.
enum class ValueRule {
    Seconds,        // 1 to 4 digits, 0 to 9999
    SessionCount,   // 1 or 2 digits, 0 to 99
    Flag,           // 0 or 1
    KeyGroup,       // 0, 1 or 2: the three key scripts
    WarningSeconds, // 1 to 3 digits, 0 to 999
    ProgramPrefix,  // a window class prefix the profile rules return unchanged
    ReleaseServer,  // off, host or host:port
};

struct SettingsProperty {
    const char* property;  // public property of the package
    const char* section;   // of Quorlan.ini
    const char* key;
    ValueRule rule;
};

// Every property the package takes, in the order they are written.
const std::vector<SettingsProperty>& SettingsProperties();
const SettingsProperty* FindSettingsProperty(const std::string& property);

// Checks a given value. On success returns true and puts the text to store
// into stored (numbers without leading zeros, "off" in small letters);
// otherwise returns false and says why in reason.
bool CheckValue(ValueRule rule, const std::string& given, std::string& stored, std::string& reason);

struct SettingsValue {
    const SettingsProperty* property;
    std::string stored;
};

// RUNATSTARTUP=1 registers the start at log-on as the setup dialog's "Run
// at Startup" does (the Run value naming the working folder's shortcut);
// RUNATSTARTUP=0 removes a Run value that names that shortcut.
constexpr const char* kRunAtStartUpProperty = "RUNATSTARTUP";
enum class RunAtStartUp { Unchanged, Register, Unregister };

// LOCKSETTINGS=1 lets only administrators change the settings file (on a
// terminal server every user shares it); LOCKSETTINGS=0 lets users change
// it again. Not given, the choice of the last installation holds.
constexpr const char* kLockSettingsProperty = "LOCKSETTINGS";
enum class SettingsLock { Unchanged, Lock, Unlock };

// The values to write, or the first refusal. A property that was not given
// (empty) is left out: it changes nothing in the settings file.
struct SettingsPlan {
    std::vector<SettingsValue> values;
    RunAtStartUp runAtStartUp = RunAtStartUp::Unchanged;
    SettingsLock lock = SettingsLock::Unchanged;
    std::string error;  // empty when every given value passed
};

using PropertyReader = std::function<std::string(const char* property)>;
SettingsPlan PlanSettings(const PropertyReader& readProperty);

// What the checking step hands to the deferred writing step. The Run value
// is carried across an upgrade: the older release's removal may not know
// that it is part of an upgrade (Wine's installer does not say so) and
// removes the value; the writing step then puts it back as it was.
struct ActionData {
    std::string workingFolder;
    std::string keptRunValue;  // empty: none to keep
    RunAtStartUp runAtStartUp = RunAtStartUp::Unchanged;
    std::vector<SettingsValue> values;
    SettingsLock lock = SettingsLock::Unchanged;
};

// One line each: the working folder, the kept Run value, the start at
// log-on and the lock (each empty, 1 or 0), then one
// PROPERTY=value line a value. Checked values hold no line breaks, and a Run
// value is kept only when it names the shortcut, so a line is one item.
std::string EncodeActionData(const ActionData& data);
bool DecodeActionData(const std::string& text, ActionData& data);

// The settings file and the run-at-start-up shortcut in a working folder
// given with or without its closing backslash.
std::string PathInFolder(const std::string& folder, const char* fileName);

// The Run value's data for a working folder, formed as the setup dialog
// forms it; empty when the folder is too long for it.
std::string RunValueFor(const std::string& workingFolder);

// Whether the data of the Run value names the shortcut of this working folder
// (quoted or not, letters in any case): only then does uninstalling remove it.
bool RunValueNamesShortcut(const std::string& runValue, const std::string& workingFolder);

}  // namespace ql::installer
