#include "platform/win32/Window.h"

namespace ql::win32 {

Window::~Window() {
    if (m_window != nullptr) {
        ::SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
        ::DestroyWindow(m_window);
    }
}

bool Window::CreateWindowOf(const char* className, const char* title, DWORD style, DWORD exStyle, int x, int y,
                            int width, int height, HWND owner, HICON icon) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    if (!::GetClassInfoA(instance, className, &windowClass)) {
        windowClass.lpfnWndProc = StaticProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        windowClass.hIcon = icon;
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = className;
        if (!::RegisterClassA(&windowClass)) return false;
    }
    return ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, owner, nullptr, instance, this) !=
           nullptr;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(m_window, message, wParam, lParam);
}

LRESULT CALLBACK Window::StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->m_window = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    // Some messages arrive before WM_NCCREATE, and after the object let go.
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->m_window = nullptr;
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace ql::win32
