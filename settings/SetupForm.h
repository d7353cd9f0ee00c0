#pragma once
// What the setup dialog does, apart from its window: fills its controls from
// the settings, reacts to the user's edits and clicks, applies OK, and keeps
// the Run-at-startup value in the registry in step with its check box.
#include <cstddef>

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "settings/RunValue.h"
#include "settings/Setup.h"
#include "shell/LogSink.h"

namespace ql {

enum class SetupField { Program, MaxInactivity, InactivityInfo, MaxSessions, InstallationId, PolicyNote };
// Controls greyed when an administrator's policy sets their value.
enum class SetupControl { Program, SpeedButton2, MaxInactivity, MaxSessions, SendKeys, CloseKill };
enum class SetupCheck { CloseKill, SendKeys, KeyGroup0, KeyGroup1, KeyGroup2, RunAtStartup };
// RunAtStartup also shows Greyed: the registry cannot be changed by this user.
enum class CheckState { Clear, Checked, Greyed };

// The dialog's controls as the logic sees them.
class SetupView {
public:
    virtual ~SetupView() = default;
    // Setting a text field's text counts as a change of it, as typing does.
    virtual void SetText(SetupField field, const char* text) = 0;
    // Copies the field's text into out, at most capacity-1 characters.
    virtual void GetText(SetupField field, char* out, std::size_t capacity) = 0;
    virtual void SetCheck(SetupCheck box, CheckState state) = 0;
    virtual CheckState GetCheck(SetupCheck box) = 0;
    virtual void EnableRadioButtons(bool enabled) = 0;
    virtual void EnableControl(SetupControl control, bool enabled) = 0;
    // A plain message box, captioned "Quorlan", with an OK button.
    virtual void ShowMessage(const char* text) = 0;
    // Ends the modal showing; the dialog stays, hidden.
    virtual void CloseForm() = 0;
};

constexpr const char* kUndefinedProgram = " - undefined - ";
constexpr const char* kRunCreatedLog = "Run at strartup";
constexpr const char* kRunDeletedLog = "Cancel Run at strartup";
constexpr const char* kRegistryRefused = "Error! You don't have enough  permissions  to modify the Registry";
constexpr const char* kRegistryFailed = "Error! not enought permissions to modify the Registry";
constexpr const char* kRunNoShortcut =
    "Run at Startup was not set: there is no Quorlan.lnk in the working directory (the installer provides it).";
constexpr const char* kRunChangedMeanwhile = "Run at Startup left alone: the Run value was changed meanwhile";
constexpr const char* kRunDirectoryTooLong =
    "Run at Startup was not set: the working directory is longer than 255 characters.";
constexpr const char* kPolicyNote = "Greyed values are set by your administrator.";
constexpr const char* kLockedNote = "Settings are locked by your administrator: nothing is saved.";
constexpr const char* kNoInactivityClosing = "0: no closing for inactivity";
constexpr int kMaxInactDigits = 4;
constexpr int kMaxActDigits = 2;

// The typed characters the number fields accept: digits and control
// characters (backspace, the clipboard shortcuts).
bool AcceptsNumberKey(char typed);

// A number field's text as a value: one to maxDigits decimal digits and
// nothing else. False for anything else (pasted text can be anything).
bool ParseFieldNumber(const char* text, int maxDigits, std::int32_t& value);

// "<minutes> mins.  <seconds> secs." for a number of seconds; for 0, that
// sessions are never closed for inactivity.
void FormatInactivity(std::int32_t seconds, char* out, std::size_t capacity);


class SetupForm {
public:
    SetupForm(TSetup& setup, SetupView& view, Registry& registry, FileSystem& files, LogSink& log);
    SetupForm(const SetupForm&) = delete;
    SetupForm& operator=(const SetupForm&) = delete;

    // Fills every control from the settings (the dialog's construction).
    void Fill();

    void TInactChange();
    void MaxActChange();
    void CheckSendKeysClick();
    void CheckCloseKillClick();
    void RadioOptClick(int keyGroup);
    // Every time the dialog is shown: reads the Run value into RunAtStartup.
    void FormShow();
    // Applies the dialog; false (the dialog stays open, nothing written)
    // when a number field holds no valid number.
    bool OnOkClicked();
    void CancelClick();
    // Creates or deletes the Run value to match RunAtStartup.
    void SaveRunValue();
    void EnableKeyOptions(bool enabled);
    void LogTracking();

    bool RunValueExists = false;
    bool RunKeyWritable = true;
    // The Run value's data when the dialog was shown: only that is deleted.
    char RunValueShown[kRunValueCapacity] = {};

private:
    bool ReadNumberField(SetupField field, int maxDigits, const char* name, std::int32_t& value);
    // Greys the controls of the values an administrator's policy sets, or
    // of them all when the settings file is locked.
    void ShowPolicies();
    bool Fixed(const char* fileKey) const;
    // SaveRunValue without its message box: logs what went wrong and
    // returns the text for the box, null when all went well.
    const char* ApplyRunValue();
    const char* CreateRunValue();
    const char* DeleteRunValue();

    TSetup& m_setup;
    SetupView& m_view;
    Registry& m_registry;
    FileSystem& m_files;
    LogSink& m_log;
};

}  // namespace ql
