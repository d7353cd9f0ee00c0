#pragma once
// The setup dialog's controls in memory. Like the real edit fields, setting a
// number field's text is a change of it and runs the form's change handler.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/Text.h"
#include "settings/SetupForm.h"

namespace ql::test {

class FakeSetupView final : public SetupView {
public:
    void Attach(SetupForm& form) { m_form = &form; }

    void SetText(SetupField field, const char* text) override {
        texts[field] = text;
        if (m_form == nullptr) return;
        if (field == SetupField::MaxInactivity) m_form->TInactChange();
        if (field == SetupField::MaxSessions) m_form->MaxActChange();
    }
    void GetText(SetupField field, char* out, std::size_t capacity) override {
        CopyText(out, capacity, texts[field].c_str());
    }
    void SetCheck(SetupCheck box, CheckState state) override { checks[box] = state; }
    CheckState GetCheck(SetupCheck box) override { return checks[box]; }
    void EnableRadioButtons(bool enabled) override { radiosEnabled = enabled; }
    void EnableControl(SetupControl control, bool enabled) override { enabledControls[control] = enabled; }
    void ShowMessage(const char* text) override {
        messages.emplace_back(text);
        // Whatever the user does while the box is open; it may destroy this view.
        const auto whileShown = whileMessageShown;
        if (whileShown) whileShown();
    }
    void CloseForm() override { ++closes; }

    // What the user does: typing (or pasting) a field's whole text, clicking a box.
    void Type(SetupField field, const char* text) { SetText(field, text); }
    void Click(SetupCheck box) {
        checks[box] = checks[box] == CheckState::Checked ? CheckState::Clear : CheckState::Checked;
    }
    std::string Text(SetupField field) { return texts[field]; }

    std::map<SetupField, std::string> texts;
    std::map<SetupCheck, CheckState> checks;
    bool radiosEnabled = true;
    std::map<SetupControl, bool> enabledControls;
    std::vector<std::string> messages;
    std::function<void()> whileMessageShown;
    int closes = 0;

private:
    SetupForm* m_form = nullptr;
};

}  // namespace ql::test
