#include "release/win32/SplashWindow.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/win32/BufferedPaint.h"
#include "platform/win32/Font.h"
#include "platform/win32/ModalLoop.h"
#include "release/ReleaseEndpoint.h"
#include "release/win32/SplashResources.h"

namespace ql::win32 {

namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr UINT_PTR kTimerId = 1;
constexpr int kLinkId = 1;
constexpr int kPenWidth = 2;

struct Place {
    int left, top, width, height;
};
constexpr Place kShape1 = {0, 0, 219, 110};
constexpr Place kImage1 = {2, 2, 215, 60};
constexpr Place kStaticText1 = {56, 60, 115, 20};
constexpr Place kShape2 = {6, 84, 207, 1};
constexpr Place kTRelease = {8, 88, 203, 14};
constexpr Place kLTexto = {8, 112, 203, 14};

UINT TimerInterval(SplashMode mode) {
    switch (mode) {
    case SplashMode::Plain: return 1000;
    case SplashMode::ReleaseCheck: return 8000;
    case SplashMode::About: return 0;
    }
    return 0;
}

// The splash's labels: drawn as the system's static control draws a text
// label (the font it was given, the colours and brush its parent answers to
// WM_CTLCOLORSTATIC, SS_NOTIFY clicks reported as STN_CLICKED), without
// being one. Under the program's manifest a static control is the common
// controls library's, whose loading would stay in memory all the program's
// life for three lines of text shown for a second.
constexpr char kLabelClass[] = "QLSplashLabel";

void PaintLabel(HWND label, HDC dc) {
    RECT area;
    ::GetClientRect(label, &area);
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageA(::GetParent(label), WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    ::FillRect(dc, &area, brush != nullptr ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
    const auto font = reinterpret_cast<HFONT>(::GetWindowLongPtrA(label, GWLP_USERDATA));
    const HGDIOBJ old = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    char text[256];
    ::GetWindowTextA(label, text, sizeof text);
    const bool centred = (::GetWindowLongA(label, GWL_STYLE) & SS_TYPEMASK) == SS_CENTER;
    ::DrawTextA(dc, text, -1, &area, (centred ? DT_CENTER : DT_LEFT) | DT_EXPANDTABS | DT_WORDBREAK);
    if (old != nullptr) ::SelectObject(dc, old);
}

LRESULT CALLBACK LabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool notify = (::GetWindowLongA(label, GWL_STYLE) & SS_NOTIFY) != 0;
    switch (message) {
    case WM_SETFONT:
        ::SetWindowLongPtrA(label, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam) != 0) ::InvalidateRect(label, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return ::GetWindowLongPtrA(label, GWLP_USERDATA);
    case WM_SETTEXT: {
        const LRESULT set = ::DefWindowProcA(label, message, wParam, lParam);
        ::InvalidateRect(label, nullptr, TRUE);
        return set;
    }
    case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(label, &paint);
        PaintLabel(label, dc);
        ::EndPaint(label, &paint);
        return 0;
    }
    case WM_NCHITTEST:
        return notify ? HTCLIENT : HTTRANSPARENT;
    case WM_LBUTTONUP:
        if (notify) {
            ::SendMessageA(::GetParent(label), WM_COMMAND,
                           MAKEWPARAM(static_cast<WORD>(::GetDlgCtrlID(label)), STN_CLICKED),
                           reinterpret_cast<LPARAM>(label));
        }
        return 0;
    default:
        return ::DefWindowProcA(label, message, wParam, lParam);
    }
}

HWND MakeLabel(HWND parent, const Place& place, const char* text, DWORD style, HFONT font, int id = 0) {
    WNDCLASSA labelClass = {};
    if (!::GetClassInfoA(::GetModuleHandleA(nullptr), kLabelClass, &labelClass)) {
        labelClass.lpfnWndProc = LabelProc;
        labelClass.hInstance = ::GetModuleHandleA(nullptr);
        labelClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        labelClass.lpszClassName = kLabelClass;
        ::RegisterClassA(&labelClass);
    }
    HWND label = ::CreateWindowExA(0, kLabelClass, text, WS_CHILD | WS_VISIBLE | style, place.left, place.top,
                                   place.width, place.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   ::GetModuleHandleA(nullptr), nullptr);
    if (label != nullptr) ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return label;
}

// A rectangle shape: filled with fill, outlined in line by a pen of kPenWidth
// whose outer edge runs along the place's border.
void DrawShape(HDC dc, const Place& place, COLORREF fill, COLORREF line) {
    UniqueBrush brush(::CreateSolidBrush(fill));
    UniquePen pen(::CreatePen(PS_INSIDEFRAME, kPenWidth, line));
    ScopedSelect selectBrush(dc, brush.get());
    ScopedSelect selectPen(dc, pen.get());
    ::Rectangle(dc, place.left, place.top, place.left + place.width, place.top + place.height);
}

bool Inside(const RECT& rect, int x, int y) { return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom; }

// Blends a 32-bit picture with straight (not premultiplied) alpha onto
// background, in place. Pictures in any other layout are left as they are.
void BlendOnto(HBITMAP bitmap, COLORREF background) {
    DIBSECTION dib = {};
    if (::GetObjectA(bitmap, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBitsPixel != 32 ||
        dib.dsBm.bmBits == nullptr) {
        return;
    }
    if (dib.dsBmih.biCompression == BI_BITFIELDS &&
        (dib.dsBitfields[0] != 0x00FF0000 || dib.dsBitfields[1] != 0x0000FF00 || dib.dsBitfields[2] != 0x000000FF)) {
        return;
    }
    const int back[3] = {GetBValue(background), GetGValue(background), GetRValue(background)};
    auto* rows = static_cast<BYTE*>(dib.dsBm.bmBits);
    for (LONG y = 0; y < dib.dsBm.bmHeight; ++y) {
        BYTE* pixel = rows + y * dib.dsBm.bmWidthBytes;
        for (LONG x = 0; x < dib.dsBm.bmWidth; ++x, pixel += 4) {
            const int alpha = pixel[3];
            for (int c = 0; c < 3; ++c) pixel[c] = static_cast<BYTE>((pixel[c] * alpha + back[c] * (255 - alpha)) / 255);
            pixel[3] = 0;
        }
    }
    ::GdiFlush();
}

}  // namespace

SplashPicture::SplashPicture(int resourceId, COLORREF background)
    : m_bitmap(static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId),
                                                 IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))) {
    if (!m_bitmap) return;
    BITMAP info = {};
    ::GetObjectA(m_bitmap.get(), sizeof info, &info);
    m_size = {info.bmWidth, info.bmHeight};
    BlendOnto(m_bitmap.get(), background);
}

void SplashPicture::Draw(HDC dc, int x, int y) const {
    if (!m_bitmap) return;
    UniqueMemoryDC source(::CreateCompatibleDC(dc));
    ScopedSelect select(source.get(), m_bitmap.get());
    ::BitBlt(dc, x, y, m_size.cx, m_size.cy, source.get(), 0, 0, SRCCOPY);
}

SplashWindow::SplashWindow(const char* versionText, SplashMode mode, HWND owner)
    : Mode(mode),
      m_face(::GetSysColor(COLOR_BTNFACE)),
      m_faceBrush(::CreateSolidBrush(m_face)),
      m_keyBrush(::CreateSolidBrush(kKeyColour)),
      m_labelFont(MakeFont(-11, FW_NORMAL, false, "MS Sans Serif")),
      m_linkFont(MakeFont(-13, FW_NORMAL, true)),
      m_textoFont(MakeFont(-11, FW_BOLD)),
      m_logo(IDB_SPLASH_LOGO, m_face),
      m_closeNormal(IDB_SPLASH_CLOSE_NORMAL, m_face),
      m_closeHot(IDB_SPLASH_CLOSE_HOT, m_face) {
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    if (!CreateWindowOf("TFMInicio", "Quorlan", WS_POPUP, WS_EX_LAYERED | WS_EX_TOOLWINDOW, left, top, kWidth,
                        kHeight, owner)) {
        return;  // no splash: start-up goes on without it
    }
    ::SetLayeredWindowAttributes(Handle(), kKeyColour, 0, LWA_COLORKEY);
    CreateLabels(versionText);
    // The timer counts from creation; it fires once the thread next pumps.
    if (const UINT interval = TimerInterval(Mode)) ::SetTimer(Handle(), kTimerId, interval, nullptr);
}

namespace {

// The link keeps its centre and grows to fit the address when that is wider.
Place LinkPlace(HFONT font) {
    HDC screen = ::GetDC(nullptr);
    SIZE extent = {0, 0};
    {
        ScopedSelect select(screen, font);
        ::GetTextExtentPoint32A(screen, kVendorAddress, static_cast<int>(std::strlen(kVendorAddress)), &extent);
    }
    ::ReleaseDC(nullptr, screen);
    Place place = kStaticText1;
    const int wanted = std::min(static_cast<int>(extent.cx) + 4, SplashWindow::kWidth - 4);
    if (wanted > place.width) {
        place.left -= (wanted - place.width + 1) / 2;
        place.width = wanted;
    }
    return place;
}

}  // namespace

void SplashWindow::CreateLabels(const char* versionText) {
    m_link = MakeLabel(Handle(), LinkPlace(m_linkFont.get()), kVendorAddress, SS_CENTER | SS_NOTIFY,
                       m_linkFont.get(), kLinkId);
    const std::string release = std::string("Release : ") + versionText;
    m_release = MakeLabel(Handle(), kTRelease, release.c_str(), SS_LEFT, m_labelFont.get());
    m_texto = MakeLabel(Handle(), kLTexto, Transparent() ? "" : "Looking for upgrades....", SS_LEFT,
                        m_textoFont.get());
}

void SplashWindow::Show() {
    if (Handle() == nullptr) return;
    ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    // Handles this window's own waiting messages (painting, showing): the
    // window system then puts it on screen before the caller blocks.
    MSG message;
    while (Handle() != nullptr && ::PeekMessageA(&message, Handle(), 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    ::GdiFlush();
}

void SplashWindow::ShowModal() {
    if (Handle() == nullptr) return;
    m_closed = false;
    Show();
    ::SetForegroundWindow(Handle());
    RunModal(Handle(), m_closed);
}

LRESULT SplashWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
    case WM_CTLCOLORSTATIC:
        return LabelColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_TIMER:
        if (wParam == kTimerId) TTimerTimer();
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSELEAVE:
        m_trackingLeave = false;
        OnPointerAway();
        return 0;
    case WM_LBUTTONUP:
        if (Mode == SplashMode::About && Inside(kCloseImage, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) {
            OnCloseImageClicked();
        }
        return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == m_link && m_link != nullptr) {
            if (HIWORD(lParam) == WM_MOUSEMOVE) OnPointerAway();
            ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
            return TRUE;
        }
        return Window::HandleMessage(message, wParam, lParam);
    case WM_COMMAND:
        if (LOWORD(wParam) == kLinkId && HIWORD(wParam) == STN_CLICKED) StaticText1Click();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;  // Esc reaches WM_KEYDOWN through the modal loop
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && Mode == SplashMode::About) Close();
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

LRESULT SplashWindow::LabelColours(HDC dc, HWND label) const {
    const bool keyed = label == m_texto && Transparent();
    ::SetBkColor(dc, keyed ? kKeyColour : m_face);
    ::SetTextColor(dc, (label == m_link || label == m_texto) ? kNavy : ::GetSysColor(COLOR_BTNTEXT));
    return reinterpret_cast<LRESULT>(keyed ? m_keyBrush.get() : m_faceBrush.get());
}

// Double-buffered: the picture is put together off screen and shown at once.
void SplashWindow::Paint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Handle(), &paint);
    {
        BufferedPaint buffer(dc, RECT{0, 0, kWidth, kHeight});
        PaintContent(buffer.Dc());
    }
    ::EndPaint(Handle(), &paint);
}

void SplashWindow::PaintContent(HDC dc) const {
    const COLORREF fondo = Transparent() ? kKeyColour : m_face;
    DrawShape(dc, {0, 0, kWidth, kHeight}, fondo, Transparent() ? kKeyColour : kNavy);  // Fondo
    DrawShape(dc, kShape1, m_face, kNavy);                                             // Shape1
    m_logo.Draw(dc, kImage1.left, kImage1.top);
    const RECT rule = {kShape2.left, kShape2.top, kShape2.left + kShape2.width, kShape2.top + kShape2.height};
    UniqueBrush navy(::CreateSolidBrush(kNavy));
    ::FillRect(dc, &rule, navy.get());  // Shape2
    if (Mode == SplashMode::About) {
        (CloseHot ? m_closeHot : m_closeNormal).Draw(dc, kCloseImage.left, kCloseImage.top);
    }
}

void SplashWindow::OnMouseMove(int x, int y) {
    if (!m_trackingLeave) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, Handle(), 0};
        m_trackingLeave = ::TrackMouseEvent(&track) != FALSE;
    }
    if (Inside(kCloseImage, x, y)) OnPointerOverClose();
    else OnPointerAway();
}

void SplashWindow::TTimerTimer() {
    ::KillTimer(Handle(), kTimerId);
    Close();
}

void SplashWindow::OnCloseImageClicked() { Close(); }

void SplashWindow::StaticText1Click() {
    ::ShellExecuteA(::GetDesktopWindow(), "Open", kVendorUrl, nullptr, nullptr, SW_SHOW);
}

void SplashWindow::OnPointerAway() {
    if (Mode == SplashMode::About) ShowCloseNormal();
}

void SplashWindow::OnPointerOverClose() {
    if (Mode == SplashMode::About) ShowCloseHot();
}

void SplashWindow::ShowCloseHot() {
    if (CloseHot) return;
    CloseHot = true;
    ::InvalidateRect(Handle(), &kCloseImage, FALSE);
}

void SplashWindow::ShowCloseNormal() {
    if (!CloseHot) return;
    CloseHot = false;
    ::InvalidateRect(Handle(), &kCloseImage, FALSE);
}

// Closing hides the window; its owner, or the caller of ShowModal, destroys it.
void SplashWindow::Close() {
    m_closed = true;
    ::ShowWindow(Handle(), SW_HIDE);
}

}  // namespace ql::win32
