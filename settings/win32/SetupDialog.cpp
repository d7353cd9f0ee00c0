#include "settings/win32/SetupDialog.h"

#include "picker/win32/WindowPicker.h"
#include "platform/win32/Font.h"
#include "platform/win32/Win32Desktop.h"
#include "settings/win32/SetupDialogIds.h"

namespace ql::win32 {

namespace {

constexpr int kClientWidth = 648;
constexpr int kClientHeight = 356;
// The template's own size, in dialog units (SetupDialog.rc).
constexpr int kTemplateWidth = 432;
constexpr int kTemplateHeight = 219;
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kGuidGrey = RGB(128, 128, 128);

int ControlId(SetupField field) {
    switch (field) {
    case SetupField::Program: return IDC_APLICACION;
    case SetupField::MaxInactivity: return IDC_TINACT;
    case SetupField::InactivityInfo: return IDC_INFOT;
    case SetupField::MaxSessions: return IDC_MAXACT;
    case SetupField::InstallationId: return IDC_TGUID;
    case SetupField::PolicyNote: return IDC_POLICYNOTE;
    }
    return 0;
}

int ControlId(SetupControl control) {
    switch (control) {
    case SetupControl::Program: return IDC_APLICACION;
    case SetupControl::SpeedButton2: return IDC_SPEEDBUTTON2;
    case SetupControl::MaxInactivity: return IDC_TINACT;
    case SetupControl::MaxSessions: return IDC_MAXACT;
    case SetupControl::SendKeys: return IDC_CHECKSENDKEYS;
    case SetupControl::CloseKill: return IDC_CHECKCLOSEKILL;
    }
    return 0;
}

int ControlId(SetupCheck box) {
    switch (box) {
    case SetupCheck::CloseKill: return IDC_CHECKCLOSEKILL;
    case SetupCheck::SendKeys: return IDC_CHECKSENDKEYS;
    case SetupCheck::KeyGroup0: return IDC_RADIOOPT0;
    case SetupCheck::KeyGroup1: return IDC_RADIOOPT1;
    case SetupCheck::KeyGroup2: return IDC_RADIOOPT2;
    case SetupCheck::RunAtStartup: return IDC_RUNSTUP;
    }
    return 0;
}

// The edit control's own procedure, kept as a property of each number field.
constexpr char kFieldProcProperty[] = "QLFieldProc";

// TInactKeyPress, for both number fields: typed characters other than
// digits and control characters are swallowed. Pasted text is not typed.
// A subclass through user32 alone: the common controls library it would
// otherwise take is loaded only once a dialog of its controls is made.
LRESULT CALLBACK TInactKeyPress(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto original = reinterpret_cast<WNDPROC>(::GetPropA(field, kFieldProcProperty));
    if (original == nullptr) return ::DefWindowProcA(field, message, wParam, lParam);
    if (message == WM_CHAR && !AcceptsNumberKey(static_cast<char>(wParam))) return 0;
    // The property goes with the window.
    if (message == WM_NCDESTROY) ::RemovePropA(field, kFieldProcProperty);
    return ::CallWindowProcA(original, field, message, wParam, lParam);
}

void AcceptOnlyNumbers(HWND field) {
    const LONG_PTR original = ::SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TInactKeyPress));
    ::SetPropA(field, kFieldProcProperty, reinterpret_cast<HANDLE>(original));
}

// A font of the given size in points on this window's screen.
UniqueFont MakeArial(HWND window, int points, int weight) {
    HDC dc = ::GetDC(window);
    const int height = -::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
    ::ReleaseDC(window, dc);
    return MakeFont(height, weight);
}

bool IsOneOf(int id, std::initializer_list<int> ids) {
    for (int candidate : ids) {
        if (candidate == id) return true;
    }
    return false;
}

}  // namespace

SetupDialog::SetupDialog(HWND owner, TSetup& setup, Registry& registry, FileSystem& files, LogSink& log)
    : m_owner(owner), m_setup(setup), m_form(setup, *this, registry, files, log) {}

bool SetupDialog::EnsureWindow() { return Handle() != nullptr || CreateFromResource(IDD_TFCONFIG, m_owner); }

void SetupDialog::ShowModal() {
    if (IsShowing()) {
        BringToFront();
        return;
    }
    if (!EnsureWindow()) return;
    m_form.FormShow();
    if (!m_shownBefore) {
        // The inactivity field has the focus at first, its text selected.
        ::SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_TINACT)), TRUE);
        m_shownBefore = true;
    }
    RunModal();
}

void SetupDialog::BringToFront() {
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
    ::BringWindowToTop(Handle());
}

void SetupDialog::SetProgram(const char* windowClass) { SetText(SetupField::Program, windowClass); }

void SetupDialog::OnPickClicked() {
    Win32Desktop desktop;
    WindowPicker picker(desktop, Handle());
    if (!picker.Created()) return;
    RECT own;
    ::GetWindowRect(Handle(), &own);
    picker.MoveTo(own.left, own.top);
    picker.ShowModal();
    // A picker destroyed under its loop went with this dialog, which may be gone.
    if (!picker.Created()) return;
    char chosen[kWindowTextCapacity];
    if (picker.GetSelection(chosen, sizeof chosen)) SetProgram(chosen);
}

INT_PTR SetupDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        return FALSE;  // the focus is placed when the dialog is first shown
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        m_form.CancelClick();
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), false);
    case WM_CTLCOLOREDIT:
        return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), true);
    default:
        return FALSE;
    }
}

void SetupDialog::OnInitDialog() {
    SizeAndCentre();
    ApplyFonts();
    m_navyBrush.reset(::CreateSolidBrush(kNavy));
    m_pickIcon.reset(static_cast<HICON>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PICKWINDOW), IMAGE_ICON, 16, 16, 0)));
    ::SendMessageA(Item(IDC_SPEEDBUTTON2), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_pickIcon.get()));

    ::SendMessageA(Item(IDC_TINACT), EM_LIMITTEXT, kMaxInactDigits, 0);
    ::SendMessageA(Item(IDC_MAXACT), EM_LIMITTEXT, kMaxActDigits, 0);
    ::SendMessageA(Item(IDC_APLICACION), EM_LIMITTEXT, sizeof m_setup.Program - 1, 0);
    AcceptOnlyNumbers(Item(IDC_TINACT));
    AcceptOnlyNumbers(Item(IDC_MAXACT));
    ::SendMessageA(Item(IDC_CHECKBOX1), BM_SETCHECK, BST_CHECKED, 0);

    m_form.Fill();
}

void SetupDialog::SizeAndCentre() {
    // Dialog units follow the system's dialog font, which differs between
    // systems; the controls are scaled so that the layout fills 648 x 356 pixels.
    RECT grid{0, 0, kTemplateWidth, kTemplateHeight};
    ::MapDialogRect(Handle(), &grid);
    if (grid.right > 0 && grid.bottom > 0) {
        for (HWND child = ::GetWindow(Handle(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            RECT box;
            ::GetWindowRect(child, &box);
            ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&box), 2);
            const int left = ::MulDiv(box.left, kClientWidth, grid.right);
            const int top = ::MulDiv(box.top, kClientHeight, grid.bottom);
            const int right = ::MulDiv(box.right, kClientWidth, grid.right);
            const int bottom = ::MulDiv(box.bottom, kClientHeight, grid.bottom);
            ::MoveWindow(child, left, top, right - left, bottom - top, FALSE);
        }
    }
    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT desktop;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &desktop, 0);
    const int x = desktop.left + (desktop.right - desktop.left - width) / 2;
    const int y = desktop.top + (desktop.bottom - desktop.top - height) / 2;
    ::SetWindowPos(Handle(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetupDialog::ApplyFonts() {
    m_font = MakeArial(Handle(), 8, FW_NORMAL);
    m_boldFont = MakeArial(Handle(), 8, FW_BOLD);
    m_smallFont = MakeArial(Handle(), 7, FW_NORMAL);
    for (HWND child = ::GetWindow(Handle(), GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        HFONT font = m_font.get();
        if (IsOneOf(id, {IDC_HEADING_BASIC, IDC_HEADING_ADVANCED, IDC_HEADING_STARTUP, IDOK, IDCANCEL})) {
            font = m_boldFont.get();
        } else if (IsOneOf(id, {IDC_TGUID, IDC_KILLNOTE, IDC_POLICYNOTE})) {
            font = m_smallFont.get();
        }
        ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

INT_PTR SetupDialog::OnControlColour(HDC dc, HWND control, bool edit) {
    const int id = ::GetDlgCtrlID(control);
    if (IsOneOf(id, {IDC_RULE_BASIC, IDC_RULE_ADVANCED, IDC_RULE_STARTUP})) {
        return reinterpret_cast<INT_PTR>(m_navyBrush.get());
    }
    ::SetTextColor(dc, id == IDC_TGUID ? kGuidGrey : kNavy);
    if (edit) {
        ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_WINDOW));
    }
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
}

void SetupDialog::OnCommand(int id, int code) {
    if (code == EN_CHANGE) {
        if (id == IDC_TINACT) m_form.TInactChange();
        if (id == IDC_MAXACT) m_form.MaxActChange();
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
    case IDC_SPEEDBUTTON2: OnPickClicked(); break;
    case IDC_CHECKSENDKEYS: m_form.CheckSendKeysClick(); break;
    case IDC_RADIOOPT0: m_form.RadioOptClick(0); break;
    case IDC_RADIOOPT1: m_form.RadioOptClick(1); break;
    case IDC_RADIOOPT2: m_form.RadioOptClick(2); break;
    case IDC_CHECKCLOSEKILL: m_form.CheckCloseKillClick(); break;
    case IDC_RUNSTUP: OnRunAtStartupClicked(); break;
    case IDOK: m_form.OnOkClicked(); break;
    case IDCANCEL: m_form.CancelClick(); break;
    default: break;
    }
}

void SetupDialog::OnRunAtStartupClicked() {
    // A click toggles, a greyed box included; OK decides what the state means.
    SetCheck(SetupCheck::RunAtStartup, GetCheck(SetupCheck::RunAtStartup) == CheckState::Checked ? CheckState::Clear
                                                                                        : CheckState::Checked);
}

void SetupDialog::SetText(SetupField field, const char* text) {
    HWND control = Item(ControlId(field));
    ::SetWindowTextA(control, text);
    // The user has just emptied this number field and gets "0" back: selected,
    // so that the next digit replaces it instead of going in front of it.
    const bool numberField = field == SetupField::MaxInactivity || field == SetupField::MaxSessions;
    if (numberField && ::GetFocus() == control) ::SendMessageA(control, EM_SETSEL, 0, -1);
}

void SetupDialog::GetText(SetupField field, char* out, std::size_t capacity) {
    if (capacity == 0) return;
    out[0] = '\0';
    ::GetDlgItemTextA(Handle(), ControlId(field), out, static_cast<int>(capacity));
}

void SetupDialog::SetCheck(SetupCheck box, CheckState state) {
    WPARAM check = BST_UNCHECKED;
    if (state == CheckState::Checked) check = BST_CHECKED;
    if (state == CheckState::Greyed) check = BST_INDETERMINATE;
    ::SendMessageA(Item(ControlId(box)), BM_SETCHECK, check, 0);
}

CheckState SetupDialog::GetCheck(SetupCheck box) {
    const LRESULT check = ::SendMessageA(Item(ControlId(box)), BM_GETCHECK, 0, 0);
    if (check == BST_CHECKED) return CheckState::Checked;
    if (check == BST_INDETERMINATE) return CheckState::Greyed;
    return CheckState::Clear;
}

void SetupDialog::EnableRadioButtons(bool enabled) {
    for (int id : {IDC_RADIOOPT0, IDC_RADIOOPT1, IDC_RADIOOPT2}) ::EnableWindow(Item(id), enabled ? TRUE : FALSE);
}

void SetupDialog::EnableControl(SetupControl control, bool enabled) {
    ::EnableWindow(Item(ControlId(control)), enabled ? TRUE : FALSE);
}

void SetupDialog::ShowMessage(const char* text) { ::MessageBoxA(Handle(), text, "Quorlan", MB_OK); }

void SetupDialog::CloseForm() { EndModal(); }

}  // namespace ql::win32
