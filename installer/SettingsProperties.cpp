#include "installer/SettingsProperties.h"

#include <algorithm>
#include <cctype>

#include "core/Text.h"
#include "release/ReleaseEndpoint.h"
#include "settings/SettingKeys.h"
#include "settings/SettingNames.h"

namespace ql::installer {

namespace {

constexpr std::size_t kProgramLongest = 1023;  // the program reads no more
constexpr std::size_t kHostLongest = 253;
constexpr long kPortHighest = 65535;
// A refused value is quoted in the message only while it stays readable.
constexpr std::size_t kQuotedValueLongest = 64;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool AllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (!IsDigit(c)) return false;
    return true;
}

// Decimal text without leading zeros; the text holds 1 to 5 digits.
std::string WithoutLeadingZeros(const std::string& digits) {
    const auto first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

// A number within the range the program reads for the key, given as digits
// only; no more digits than the highest value has, so that the program's
// reading of the first digits gives back the same number.
bool CheckNumber(const std::string& given, const char* fileKey, const char* what, std::string& stored,
                 std::string& reason) {
    const SettingKey& key = *FindSettingKey(fileKey);
    const std::size_t longest = std::to_string(key.highest).size();
    if (!AllDigits(given) || given.size() > longest || !InRange(key, std::stol(given))) {
        reason = "a whole number from " + std::to_string(key.lowest) + " to " + std::to_string(key.highest) + " (" +
                 what + ") is expected";
        return false;
    }
    stored = WithoutLeadingZeros(given);
    return true;
}

bool CheckChoice(const std::string& given, const std::vector<std::string>& choices, std::string& stored,
                 std::string& reason) {
    for (const auto& choice : choices) {
        if (given == choice) {
            stored = given;
            return true;
        }
    }
    reason = "one of";
    for (const auto& choice : choices) reason += " " + choice;
    reason += " is expected";
    return false;
}

// The profile services take blanks around a value and a pair of enclosing
// quotes away, and a line break ends it: such a prefix would come back
// different from what was given.
bool CheckProgramPrefix(const std::string& given, std::string& stored, std::string& reason) {
    if (given.size() > kProgramLongest) {
        reason = "a window class prefix of at most 1023 characters is expected, " + std::to_string(given.size()) +
                 " were given";
        return false;
    }
    for (char c : given) {
        if (IsControl(c)) {
            reason = "a window class prefix without control characters or line breaks is expected";
            return false;
        }
    }
    if (IsBlank(given.front()) || IsBlank(given.back())) {
        reason = "a window class prefix without leading or trailing blanks is expected";
        return false;
    }
    const char first = given.front();
    if (given.size() >= 2 && (first == '"' || first == '\'') && given.back() == first) {
        reason = "a window class prefix that is not enclosed in quotes is expected";
        return false;
    }
    stored = given;
    return true;
}

bool IsHostName(const std::string& host) {
    if (host.empty() || host.size() > kHostLongest) return false;
    if (host.front() == '.' || host.front() == '-' || host.back() == '.' || host.back() == '-') return false;
    for (char c : host) {
        const bool letterOrDigit = std::isalnum(static_cast<unsigned char>(c)) != 0 && static_cast<unsigned char>(c) < 0x80;
        if (!letterOrDigit && c != '.' && c != '-') return false;
    }
    return host.find("..") == std::string::npos;
}

bool IsPort(const std::string& port) {
    if (!AllDigits(port) || port.size() > 5) return false;
    const long value = std::stol(port);
    return value >= 1 && value <= kPortHighest;
}

bool CheckReleaseServer(const std::string& given, std::string& stored, std::string& reason) {
    if (EqualsNoCase(given.c_str(), "off")) {
        stored = "off";
        return true;
    }
    const auto colon = given.find(':');
    const std::string host = given.substr(0, colon);
    const bool portValid = colon == std::string::npos || IsPort(given.substr(colon + 1));
    if (!IsHostName(host) || !portValid) {
        reason = "off, a host name or host:port (port 1 to 65535) is expected";
        return false;
    }
    stored = given;
    return true;
}

// A refused value as the message shows it. Square brackets are left out:
// the installer's message formatting may take them for property names.
std::string Quoted(const std::string& given) {
    const bool readable = given.size() <= kQuotedValueLongest &&
                          std::none_of(given.begin(), given.end(), [](char c) { return IsControl(c) || c == '[' || c == ']'; });
    return readable ? "\"" + given + "\"" : "(" + std::to_string(given.size()) + " characters)";
}

std::string WithoutClosingBackslash(std::string folder) {
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

}  // namespace

const std::vector<SettingsProperty>& SettingsProperties() {
    static const std::vector<SettingsProperty> properties = {
        {"MAXINACT", ini::kBasicSection, ini::kMaxInactKey, ValueRule::Seconds},
        {"MAXSESSION", ini::kBasicSection, ini::kMaxSessionKey, ValueRule::SessionCount},
        {"PROGRAM", ini::kBasicSection, ini::kProgramKey, ValueRule::ProgramPrefix},
        {"CLOSEKILL", ini::kAdvancedSection, ini::kCloseKillKey, ValueRule::Flag},
        {"SENDKEYS", ini::kAdvancedSection, ini::kSendKeysKey, ValueRule::Flag},
        {"KEYGROUP", ini::kAdvancedSection, ini::kKeyGroupKey, ValueRule::KeyGroup},
        {"WARNING", ini::kAdvancedSection, ini::kWarningKey, ValueRule::WarningSeconds},
        {"RELEASESERVER", ini::kAdvancedSection, ini::kReleaseServerKey, ValueRule::ReleaseServer},
    };
    return properties;
}

const SettingsProperty* FindSettingsProperty(const std::string& property) {
    for (const auto& candidate : SettingsProperties())
        if (property == candidate.property) return &candidate;
    return nullptr;
}

bool CheckValue(ValueRule rule, const std::string& given, std::string& stored, std::string& reason) {
    if (given.empty()) {
        reason = "a value is expected";
        return false;
    }
    switch (rule) {
        case ValueRule::Seconds:
            return CheckNumber(given, "Max.Inact.", "seconds, 0 for no closing for inactivity", stored, reason);
        case ValueRule::SessionCount: return CheckNumber(given, "Max.Session", "sessions, 0 for no limit", stored, reason);
        case ValueRule::Flag: return CheckChoice(given, {"0", "1"}, stored, reason);
        case ValueRule::KeyGroup: return CheckNumber(given, "KeyGroup", "the key script", stored, reason);
        case ValueRule::WarningSeconds:
            return CheckNumber(given, "Warning", "seconds, 0 for no warning", stored, reason);
        case ValueRule::ProgramPrefix: return CheckProgramPrefix(given, stored, reason);
        case ValueRule::ReleaseServer: return CheckReleaseServer(given, stored, reason);
    }
    reason = "an unknown kind of value";
    return false;
}

SettingsPlan PlanSettings(const PropertyReader& readProperty) {
    SettingsPlan plan;
    const auto refuse = [&plan](const char* property, const std::string& given, const std::string& reason) {
        plan.error = std::string("Quorlan was not installed: the value ") + Quoted(given) + " given for " + property +
                     " is not valid; " + reason + ".";
        plan.values.clear();
        plan.runAtStartUp = RunAtStartUp::Unchanged;
        plan.lock = SettingsLock::Unchanged;
        return plan;
    };
    for (const auto& property : SettingsProperties()) {
        const std::string given = readProperty(property.property);
        if (given.empty()) continue;
        std::string stored;
        std::string reason;
        if (!CheckValue(property.rule, given, stored, reason)) return refuse(property.property, given, reason);
        plan.values.push_back({&property, stored});
    }
    // The two switches of the installation itself: empty, 1 or 0.
    const auto readSwitch = [&](const char* name, int& value) {
        const std::string given = readProperty(name);
        value = -1;
        if (given.empty()) return true;
        std::string stored;
        std::string reason;
        if (!CheckValue(ValueRule::Flag, given, stored, reason)) {
            refuse(name, given, reason);
            return false;
        }
        value = stored == "1" ? 1 : 0;
        return true;
    };
    int runAtStartUp = -1;
    int lock = -1;
    if (!readSwitch(kRunAtStartUpProperty, runAtStartUp) || !readSwitch(kLockSettingsProperty, lock)) return plan;
    if (runAtStartUp >= 0) plan.runAtStartUp = runAtStartUp == 1 ? RunAtStartUp::Register : RunAtStartUp::Unregister;
    if (lock >= 0) plan.lock = lock == 1 ? SettingsLock::Lock : SettingsLock::Unlock;
    return plan;
}

std::string EncodeActionData(const ActionData& data) {
    const char* runAtStartUp = data.runAtStartUp == RunAtStartUp::Register     ? "1"
                               : data.runAtStartUp == RunAtStartUp::Unregister ? "0"
                                                                               : "";
    const char* lock = data.lock == SettingsLock::Lock ? "1" : data.lock == SettingsLock::Unlock ? "0" : "";
    std::string text = data.workingFolder + "\n" + data.keptRunValue + "\n" + runAtStartUp + "\n" + lock;
    for (const auto& value : data.values) text += std::string("\n") + value.property->property + "=" + value.stored;
    return text;
}

bool DecodeActionData(const std::string& text, ActionData& data) {
    std::vector<std::string> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (lines.size() < 4 || lines[0].empty()) return false;
    data.workingFolder = lines[0];
    data.keptRunValue = lines[1];
    if (lines[2].empty()) data.runAtStartUp = RunAtStartUp::Unchanged;
    else if (lines[2] == "1") data.runAtStartUp = RunAtStartUp::Register;
    else if (lines[2] == "0") data.runAtStartUp = RunAtStartUp::Unregister;
    else return false;
    if (lines[3].empty()) data.lock = SettingsLock::Unchanged;
    else if (lines[3] == "1") data.lock = SettingsLock::Lock;
    else if (lines[3] == "0") data.lock = SettingsLock::Unlock;
    else return false;
    data.values.clear();
    for (std::size_t i = 4; i < lines.size(); ++i) {
        const auto equals = lines[i].find('=');
        const SettingsProperty* property = equals == std::string::npos ? nullptr : FindSettingsProperty(lines[i].substr(0, equals));
        if (property == nullptr) return false;
        data.values.push_back({property, lines[i].substr(equals + 1)});
    }
    return true;
}

std::string PathInFolder(const std::string& folder, const char* fileName) {
    return WithoutClosingBackslash(folder) + "\\" + fileName;
}

std::string RunValueFor(const std::string& workingFolder) {
    char data[kRunValueCapacity];
    return FormRunValueData(workingFolder.c_str(), data, sizeof data) ? data : "";
}

bool RunValueNamesShortcut(const std::string& runValue, const std::string& workingFolder) {
    std::string named = runValue;
    while (!named.empty() && IsBlank(named.front())) named.erase(named.begin());
    while (!named.empty() && IsBlank(named.back())) named.pop_back();
    if (named.size() >= 2 && named.front() == '"' && named.back() == '"') named = named.substr(1, named.size() - 2);
    if (WithoutClosingBackslash(workingFolder).empty()) return false;
    return EqualsNoCase(named.c_str(), PathInFolder(workingFolder, kShortcutName).c_str());
}

}  // namespace ql::installer
