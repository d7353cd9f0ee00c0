#include "settings/SetupForm.h"

#include <cstdio>
#include <cstring>

#include "core/Text.h"

namespace ql {

namespace {

constexpr std::size_t kNumberText = 64;  // room enough to see that a pasted text is too long
constexpr const char* kGuidLabel = "Install id :";
constexpr const char* kGuidTrail = "     ";

void FormatDecimal(std::int32_t value, char (&out)[16]) { std::snprintf(out, sizeof out, "%d", int{value}); }

// Which control shows which key of the settings file.
struct PolicyControl {
    const char* fileKey;
    SetupControl control;
};
constexpr PolicyControl kPolicyControls[] = {
    {"Program", SetupControl::Program},        {"Program", SetupControl::SpeedButton2},
    {"Max.Inact.", SetupControl::MaxInactivity},         {"Max.Session", SetupControl::MaxSessions},
    {"SendKeys", SetupControl::SendKeys},    {"CloseKill", SetupControl::CloseKill},
};
constexpr const char* kKeyGroupKey = "KeyGroup";

}  // namespace

bool AcceptsNumberKey(char typed) {
    const auto code = static_cast<unsigned char>(typed);
    return code < 32 || (typed >= '0' && typed <= '9');
}

bool ParseFieldNumber(const char* text, int maxDigits, std::int32_t& value) {
    std::int32_t result = 0;
    int digits = 0;
    for (const char* at = text; *at != '\0'; ++at) {
        if (*at < '0' || *at > '9' || ++digits > maxDigits) return false;
        result = result * 10 + (*at - '0');
    }
    if (digits == 0) return false;
    value = result;
    return true;
}

void FormatInactivity(std::int32_t seconds, char* out, std::size_t capacity) {
    if (seconds == 0) {
        CopyText(out, capacity, kNoInactivityClosing);
        return;
    }
    std::snprintf(out, capacity, "%d mins.  %d secs.", int{seconds / 60}, int{seconds % 60});
}

bool FormRunValueData(const char* directory, char* out, std::size_t capacity) {
    const std::size_t length = std::strlen(directory);
    // A root directory ("C:\") already ends in the separator.
    const bool needsSeparator = length == 0 || directory[length - 1] != '\\';
    const std::size_t needed = 1 + length + (needsSeparator ? 1 : 0) + std::strlen(kShortcutName) + 1;
    if (capacity == 0) return false;
    out[0] = '\0';
    if (length == 0 || needed >= capacity) return false;
    CopyText(out, capacity, "\"");
    AppendText(out, capacity, directory);
    if (needsSeparator) AppendText(out, capacity, "\\");
    AppendText(out, capacity, kShortcutName);
    AppendText(out, capacity, "\"");
    return true;
}

SetupForm::SetupForm(TSetup& setup, SetupView& view, Registry& registry, FileSystem& files, LogSink& log)
    : m_setup(setup), m_view(view), m_registry(registry), m_files(files), m_log(log) {}

void SetupForm::Fill() {
    char number[16];
    // Filling MaxInactivity counts as its change, so InactivityInfo shows the stored value.
    FormatDecimal(m_setup.MaxInact, number);
    m_view.SetText(SetupField::MaxInactivity, number);
    FormatDecimal(m_setup.MaxSession, number);
    m_view.SetText(SetupField::MaxSessions, number);
    m_view.SetText(SetupField::Program, m_setup.Program[0] == '\0' ? kUndefinedProgram : m_setup.Program);

    m_view.SetCheck(SetupCheck::CloseKill, m_setup.CloseKill ? CheckState::Checked : CheckState::Clear);
    m_view.SetCheck(SetupCheck::SendKeys, m_setup.SendKeys ? CheckState::Checked : CheckState::Clear);
    EnableKeyOptions(m_setup.SendKeys);

    // A key group other than 0, 1 or 2 selects no script and shows no button.
    const SetupCheck radios[] = {SetupCheck::KeyGroup0, SetupCheck::KeyGroup1, SetupCheck::KeyGroup2};
    for (int group = 0; group < 3; ++group) {
        m_view.SetCheck(radios[group], m_setup.KeyGroup == group ? CheckState::Checked : CheckState::Clear);
    }

    char guid[sizeof m_setup.Guid + 24];
    CopyText(guid, kGuidLabel);
    AppendText(guid, m_setup.Guid);
    AppendText(guid, kGuidTrail);
    m_view.SetText(SetupField::InstallationId, guid);
    ShowPolicies();
}

bool SetupForm::Fixed(const char* fileKey) const {
    const SettingKey* key = FindSettingKey(fileKey);
    return m_setup.Locked() || (key != nullptr && m_setup.SetByPolicy(*key));
}

void SetupForm::ShowPolicies() {
    for (const PolicyControl& entry : kPolicyControls) {
        m_view.EnableControl(entry.control, !Fixed(entry.fileKey));
    }
    EnableKeyOptions(m_setup.SendKeys);
    m_view.SetText(SetupField::PolicyNote, m_setup.Locked()           ? kLockedNote
                                           : m_setup.AnySetByPolicy() ? kPolicyNote
                                                                      : "");
}

void SetupForm::TInactChange() {
    char text[kNumberText];
    m_view.GetText(SetupField::MaxInactivity, text, sizeof text);
    if (text[0] == '\0') {
        m_view.SetText(SetupField::MaxInactivity, "0");  // a change itself: InactivityInfo follows from it
        return;
    }
    std::int32_t seconds = 0;
    if (!ParseFieldNumber(text, kMaxInactDigits, seconds)) return;  // InactivityInfo keeps what it showed
    char info[48];
    FormatInactivity(seconds, info, sizeof info);
    m_view.SetText(SetupField::InactivityInfo, info);
}

void SetupForm::MaxActChange() {
    char text[kNumberText];
    m_view.GetText(SetupField::MaxSessions, text, sizeof text);
    if (text[0] == '\0') m_view.SetText(SetupField::MaxSessions, "0");
}

void SetupForm::CheckSendKeysClick() {
    const bool checked = m_view.GetCheck(SetupCheck::SendKeys) == CheckState::Checked;
    EnableKeyOptions(checked);
    m_setup.SendKeys = checked;
}

void SetupForm::CheckCloseKillClick() {
    m_setup.CloseKill = m_view.GetCheck(SetupCheck::CloseKill) == CheckState::Checked;
}

void SetupForm::RadioOptClick(int keyGroup) {
    if (keyGroup < 0 || keyGroup > 2) return;
    const SetupCheck radios[] = {SetupCheck::KeyGroup0, SetupCheck::KeyGroup1, SetupCheck::KeyGroup2};
    for (int group = 0; group < 3; ++group) {
        m_view.SetCheck(radios[group], group == keyGroup ? CheckState::Checked : CheckState::Clear);
    }
    m_setup.KeyGroup = keyGroup;
}

void SetupForm::EnableKeyOptions(bool enabled) { m_view.EnableRadioButtons(enabled && !Fixed(kKeyGroupKey)); }

void SetupForm::LogTracking() { ql::LogTracking(m_setup, m_log); }

void SetupForm::FormShow() {
    RunValueExists = false;
    RunKeyWritable = true;
    RunValueShown[0] = '\0';
    if (auto key = m_registry.OpenOrCreate(RegistryRoot::LocalMachine, kRunKeyPath)) {
        RunValueExists = key->ValueExists(kRunValueName);
        if (RunValueExists) key->ReadString(kRunValueName, RunValueShown, sizeof RunValueShown);
    } else {
        RunKeyWritable = false;
    }
    CheckState state = CheckState::Greyed;
    if (RunKeyWritable) state = RunValueExists ? CheckState::Checked : CheckState::Clear;
    m_view.SetCheck(SetupCheck::RunAtStartup, state);
}

bool SetupForm::ReadNumberField(SetupField field, int maxDigits, const char* name, std::int32_t& value) {
    char text[kNumberText];
    m_view.GetText(field, text, sizeof text);
    if (ParseFieldNumber(text, maxDigits, value)) return true;
    char message[192];
    std::snprintf(message, sizeof message, "'%s' is not a valid number for %s: use 0 to %s.", text, name,
                  maxDigits == kMaxInactDigits ? "9999" : "99");
    m_view.ShowMessage(message);
    return false;
}

bool SetupForm::OnOkClicked() {
    // Both fields are checked before either is taken, so a refused OK
    // leaves the settings in effect exactly as they were.
    std::int32_t maxInact = 0;
    std::int32_t maxSession = 0;
    if (!ReadNumberField(SetupField::MaxInactivity, kMaxInactDigits, "the Max. Inactivity time", maxInact)) return false;
    if (!ReadNumberField(SetupField::MaxSessions, kMaxActDigits, "the Max. number of open sessions", maxSession)) {
        return false;
    }
    m_setup.MaxInact = maxInact;
    m_setup.MaxSession = maxSession;

    char program[sizeof m_setup.Program];
    m_view.GetText(SetupField::Program, program, sizeof program);
    if (std::strcmp(program, kUndefinedProgram) != 0) CopyText(m_setup.Program, program);

    m_setup.Save();
    const char* problem = nullptr;
    try {
        problem = ApplyRunValue();
    } catch (...) {
        problem = kRegistryFailed;
    }
    LogTracking();
    m_view.CloseForm();
    // The message box comes last: it runs a message loop of its own, in which
    // the program may end and take this form with it.
    if (problem != nullptr) m_view.ShowMessage(problem);
    return true;
}

void SetupForm::CancelClick() { m_view.CloseForm(); }

void SetupForm::SaveRunValue() {
    if (const char* problem = ApplyRunValue()) m_view.ShowMessage(problem);
}

const char* SetupForm::ApplyRunValue() {
    if (!RunKeyWritable) return nullptr;
    const CheckState box = m_view.GetCheck(SetupCheck::RunAtStartup);
    const char* problem = nullptr;
    if (box == CheckState::Checked && !RunValueExists) {
        problem = CreateRunValue();
    } else if (box == CheckState::Clear && RunValueExists) {
        problem = DeleteRunValue();
    }
    if (problem != nullptr) m_log.WriteLog(problem);
    return problem;
}

const char* SetupForm::CreateRunValue() {
    char directory[kRunDirectoryCapacity];
    char data[kRunValueCapacity];
    // A cut path would start nothing: store none and say why.
    if (m_files.CurrentDirectory(directory, sizeof directory) == 0 ||
        !FormRunValueData(directory, data, sizeof data)) {
        return kRunDirectoryTooLong;
    }
    // The value starts whatever the shortcut holds at every log-on: one that
    // is missing could be made by anyone who may write in this directory.
    char shortcut[kRunValueCapacity];
    CopyText(shortcut, data + 1);                // without the opening quote
    shortcut[std::strlen(shortcut) - 1] = '\0';  // nor the closing one
    if (!m_files.Exists(shortcut)) return kRunNoShortcut;
    auto key = m_registry.OpenOrCreate(RegistryRoot::LocalMachine, kRunKeyPath);
    if (!key) return kRegistryRefused;
    // Made meanwhile by someone else: an existing value is never rewritten.
    if (key->ValueExists(kRunValueName)) {
        m_log.WriteLog(kRunChangedMeanwhile);
        return nullptr;
    }
    if (!key->SetString(kRunValueName, data)) return kRegistryRefused;
    key.reset();
    m_log.WriteLog(kRunCreatedLog);
    return nullptr;
}

const char* SetupForm::DeleteRunValue() {
    auto key = m_registry.OpenOrCreate(RegistryRoot::LocalMachine, kRunKeyPath);
    if (!key) return kRegistryRefused;
    if (!key->ValueExists(kRunValueName)) return nullptr;  // already gone
    char present[kRunValueCapacity];
    if (!key->ReadString(kRunValueName, present, sizeof present) || std::strcmp(present, RunValueShown) != 0) {
        m_log.WriteLog(kRunChangedMeanwhile);  // someone else's value now: theirs to remove
        return nullptr;
    }
    if (!key->DeleteValue(kRunValueName)) return kRegistryRefused;
    key.reset();
    m_log.WriteLog(kRunDeletedLog);
    return nullptr;
}

}  // namespace ql
