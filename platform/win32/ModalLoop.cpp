#include "platform/win32/ModalLoop.h"

namespace ql::win32 {

void RunModal(HWND window, const bool& closed) {
    HWND owner = ::GetWindow(window, GW_OWNER);
    const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);
    MSG message;
    while (!closed && ::IsWindow(window)) {
        const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) break;
        // Tab, Enter and Esc move between and press the window's buttons.
        if (::IsDialogMessageA(window, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    if (disableOwner && ::IsWindow(owner)) ::EnableWindow(owner, TRUE);
    if (::IsWindow(window)) ::ShowWindow(window, SW_HIDE);
}

}  // namespace ql::win32
