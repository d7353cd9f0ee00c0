#include "picker/win32/HighlightFrame.h"

#include "platform/win32/ModalLoop.h"
#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

namespace {

constexpr COLORREF kKeyColour = RGB(0, 0, 255);  // see-through wherever it is painted
constexpr COLORREF kOutlineColour = RGB(0, 0, 128);
constexpr BYTE kVeilAlpha = 198;
constexpr UINT_PTR kTimer1 = 1;

}  // namespace

HighlightFrame::HighlightFrame(HWND owner, int right, int bottom, int left, int top)
    : m_rectangulo{left, top, right, bottom} {
    // Client coordinates of a window at the screen's top-left corner are
    // screen coordinates, so the rectangle needs no conversion.
    if (!CreateWindowOf("TFMarcoVentana", "MarcarVentana", WS_POPUP, WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                        0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), owner)) {
        return;
    }
    ::SetLayeredWindowAttributes(Handle(), kKeyColour, kVeilAlpha, LWA_COLORKEY | LWA_ALPHA);
    // Counted from creation, as the user sees the frame at once.
    ::SetTimer(Handle(), kTimer1, kShowMilliseconds, nullptr);
}

HighlightFrame::~HighlightFrame() {
    if (Handle() != nullptr) ::KillTimer(Handle(), kTimer1);
}

void HighlightFrame::ShowModal() {
    if (Handle() == nullptr) return;
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
    ::SetFocus(Handle());
    RunModal(Handle(), m_closed);
}

LRESULT HighlightFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // Paint covers every pixel
    case WM_TIMER:
        if (wParam == kTimer1) Close();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;  // Esc, Enter, Tab and arrows too reach WM_KEYDOWN
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        Close();  // whatever the key
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

void HighlightFrame::Paint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Handle(), &paint);
    RECT client;
    ::GetClientRect(Handle(), &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNSHADOW));
    UniqueBrush keyBrush(::CreateSolidBrush(kKeyColour));
    UniquePen outline(::CreatePen(PS_SOLID, 1, kOutlineColour));
    {
        ScopedSelect brush(dc, keyBrush.get());
        ScopedSelect pen(dc, outline.get());
        // The pen runs along the inside of the rectangle: on the window's
        // own outermost pixels.
        ::Rectangle(dc, m_rectangulo.left, m_rectangulo.top, m_rectangulo.right, m_rectangulo.bottom);
    }
    ::EndPaint(Handle(), &paint);
}

void HighlightFrame::Close() {
    if (m_closed) return;
    m_closed = true;
    ::KillTimer(Handle(), kTimer1);
}

}  // namespace ql::win32
