#pragma once
// The setup dialog: shows and changes the settings in effect, which its
// owner lends it. Its window is made when it is first shown (its controls
// cost memory all the program's life), then kept hidden, with the status
// window as owner; shown modally at a first start without a program and
// from the menu's "Setup".
#include "platform/Registry.h"
#include "platform/win32/Dialog.h"
#include "platform/win32/UniqueHandle.h"
#include "settings/Setup.h"
#include "settings/SetupForm.h"
#include "shell/LogSink.h"

namespace ql::win32 {

class SetupDialog final : public Dialog, private SetupView {
public:
    // setup must outlive the dialog.
    SetupDialog(HWND owner, TSetup& setup, Registry& registry, FileSystem& files, LogSink& log);

    // Makes the dialog's window, hidden, unless it exists; false when it cannot.
    bool EnsureWindow();
    // Shows the dialog and returns when it is closed by OK, Cancel or its close box.
    void ShowModal();
    bool IsShowing() const { return InModalLoop(); }
    void BringToFront();
    // Puts the chosen program's window class into the "Supervised Program" field.
    void SetProgram(const char* windowClass);

private:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog();
    void OnCommand(int id, int code);
    INT_PTR OnControlColour(HDC dc, HWND control, bool edit);
    void SizeAndCentre();
    void ApplyFonts();
    void OnRunAtStartupClicked();
    // The picture button beside the program field; it opens the window picker.
    void OnPickClicked();

    // SetupView
    void SetText(SetupField field, const char* text) override;
    void GetText(SetupField field, char* out, std::size_t capacity) override;
    void SetCheck(SetupCheck box, CheckState state) override;
    CheckState GetCheck(SetupCheck box) override;
    void EnableRadioButtons(bool enabled) override;
    void EnableControl(SetupControl control, bool enabled) override;
    void ShowMessage(const char* text) override;
    void CloseForm() override;

    HWND m_owner;
    TSetup& m_setup;
    SetupForm m_form;
    bool m_shownBefore = false;
    UniqueFont m_font;
    UniqueFont m_boldFont;
    UniqueFont m_smallFont;
    UniqueBrush m_navyBrush;
    UniqueIcon m_pickIcon;
};

}  // namespace ql::win32
