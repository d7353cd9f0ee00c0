#pragma once
// TFConfig, the setup dialog: owns the settings in effect for the life of the
// program. Its window is made when it is first shown (its controls cost
// memory all the program's life), then kept hidden, with the status window
// as owner; shown modally at a first start without a program and from the
// menu's "Setup".
#include "platform/Registry.h"
#include "platform/win32/Dialog.h"
#include "platform/win32/UniqueHandle.h"
#include "settings/Setup.h"
#include "settings/SetupForm.h"
#include "shell/LogSink.h"

namespace ql::win32 {

class TFConfig final : public Dialog, private SetupView {
public:
    TFConfig(HWND owner, ProfileStore& profile, FileSystem& files, GuidSource& guids, Registry& registry,
             LogSink& log);
    // Saves the settings once more; the dialog goes with the object.
    ~TFConfig() override;

    // Makes the dialog's window, hidden, unless it exists; false when it cannot.
    bool EnsureWindow();
    // Shows the dialog and returns when it is closed by OK, Cancel or its close box.
    void ShowModal();
    bool IsShowing() const { return InModalLoop(); }
    void BringToFront();
    // Puts the chosen program's window class into the "Supervised Program" field.
    void SetAplicacion(const char* windowClass);

    TSetup Setup;

private:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog();
    void OnCommand(int id, int code);
    INT_PTR OnControlColour(HDC dc, HWND control, bool edit);
    void SizeAndCentre();
    void ApplyFonts();
    void RunStupClick();
    // The picture button beside the program field; it opens the window picker.
    void SpeedButton1Click();

    // SetupView
    void SetText(SetupText field, const char* text) override;
    void GetText(SetupText field, char* out, std::size_t capacity) override;
    void SetCheck(SetupCheck box, CheckState state) override;
    CheckState GetCheck(SetupCheck box) override;
    void EnableRadioButtons(bool enabled) override;
    void EnableControl(SetupControl control, bool enabled) override;
    void ShowMessage(const char* text) override;
    void CloseForm() override;

    HWND m_owner;
    SetupForm m_form;
    bool m_shownBefore = false;
    UniqueFont m_font;
    UniqueFont m_boldFont;
    UniqueFont m_smallFont;
    UniqueBrush m_navyBrush;
    UniqueIcon m_pickIcon;
};

}  // namespace ql::win32
