#include "platform/win32/Dialog.h"

namespace ql::win32 {

Dialog::~Dialog() {
    *m_alive = false;
    if (m_dialog != nullptr) {
        ::SetWindowLongPtrA(m_dialog, DWLP_USER, 0);
        ::DestroyWindow(m_dialog);
    }
}

bool Dialog::CreateFromResource(int templateId, HWND owner) {
    return ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner, StaticProc,
                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::RunModal() {
    if (m_dialog == nullptr || m_modal) return;
    const std::shared_ptr<bool> alive = m_alive;
    HWND owner = ::GetWindow(m_dialog, GW_OWNER);
    const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);
    m_modal = true;
    m_endModal = false;
    ::ShowWindow(m_dialog, SW_SHOW);
    ::SetForegroundWindow(m_dialog);

    MSG message;
    while (*alive && !m_endModal && m_dialog != nullptr) {
        const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that owns the quit
            break;
        }
        if (got == -1) break;
        if (!::IsDialogMessageA(m_dialog, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    // The owner is enabled before the dialog hides, so activation returns to it.
    if (disableOwner && ::IsWindow(owner)) ::EnableWindow(owner, TRUE);
    if (!*alive) return;
    if (m_dialog != nullptr) ::ShowWindow(m_dialog, SW_HIDE);
    m_modal = false;
}

INT_PTR CALLBACK Dialog::StaticProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lParam);
        self->m_dialog = dialog;
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    }
    // Some messages (WM_SETFONT) arrive before WM_INITDIALOG, and after the object let go.
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    if (self == nullptr) return FALSE;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(dialog, DWLP_USER, 0);
        self->m_dialog = nullptr;
        return FALSE;
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

}  // namespace ql::win32
