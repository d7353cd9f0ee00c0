// Shows Quorlan's splash and about window on its own, for the screenshots:
//   SplashHost about      the about box, modal; exits 0 once it is closed
//   SplashHost plain      the quiet start-up splash, until it has closed
//   SplashHost backdrop   a striped window over the whole screen, until
//                         ended: behind it, see-through parts show
#include <windows.h>

#include <cstring>

#include "core/Version.h"
#include "release/win32/SplashWindow.h"

namespace {

void PumpUntilHidden(HWND window) {
    MSG message;
    while (::IsWindowVisible(window) && ::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

LRESULT CALLBACK BackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return ::DefWindowProcA(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    RECT client;
    ::GetClientRect(window, &client);
    HBRUSH light = ::CreateSolidBrush(RGB(46, 139, 87));
    HBRUSH dark = ::CreateSolidBrush(RGB(30, 100, 62));
    ::FillRect(dc, &client, light);
    for (int x = -client.bottom; x < client.right; x += 40) {
        for (int y = 0; y < client.bottom; y += 4) {
            const RECT band = {x + y, y, x + y + 20, y + 4};
            ::FillRect(dc, &band, dark);
        }
    }
    ::DeleteObject(light);
    ::DeleteObject(dark);
    ::EndPaint(window, &paint);
    return 0;
}

int RunBackdrop() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = BackdropProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QLBackdrop";
    ::RegisterClassA(&windowClass);
    HWND window = ::CreateWindowExA(WS_EX_TOOLWINDOW, "QLBackdrop", "", WS_POPUP | WS_VISIBLE, 0, 0,
                                    ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), nullptr,
                                    nullptr, windowClass.hInstance, nullptr);
    ::SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) ::DispatchMessageA(&message);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    using ql::SplashMode;
    using ql::win32::SplashWindow;
    if (std::strncmp(commandLine, "backdrop", 8) == 0) return RunBackdrop();
    if (std::strncmp(commandLine, "about", 5) == 0) {
        SplashWindow(ql::kVersionDisplayText, SplashMode::About).ShowModal();
        return 0;
    }
    SplashWindow splash(ql::kVersionDisplayText, SplashMode::Plain);
    splash.Show();
    PumpUntilHidden(splash.Handle());
    return 0;
}
