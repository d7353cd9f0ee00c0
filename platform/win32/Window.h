#pragma once
// The one window base class: owns its HWND, routes messages to the virtual
// HandleMessage of the object that created it, and lets no exception out.
#include <windows.h>

namespace ql::win32 {

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const noexcept { return m_window; }

protected:
    Window() = default;

    // Registers the class on first use and creates the window.
    bool CreateWindowOf(const char* className, const char* title, DWORD style, DWORD exStyle, int x, int y,
                        int width, int height, HWND owner = nullptr, HICON icon = nullptr);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
};

}  // namespace ql::win32
