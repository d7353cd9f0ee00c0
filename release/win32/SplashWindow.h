#pragma once
// SplashWindow: the small borderless window with the product logo, the vendor's
// link and the running release. It is the start-up splash (closing itself
// after 1 s, or 8 s while the release check runs, with "Looking for
// upgrades....") and the about box (until its close image is clicked).
// Parts painted in the key colour are see-through.
#include <windows.h>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Window.h"
#include "release/SplashMode.h"

namespace ql::win32 {

// A picture from the resources, its transparency already blended onto the
// colour it is shown on.
class SplashPicture {
public:
    SplashPicture(int resourceId, COLORREF background);
    void Draw(HDC dc, int x, int y) const;

private:
    UniqueBitmap m_bitmap;
    SIZE m_size = {0, 0};
};

class SplashWindow final : public Window {
public:
    static constexpr int kWidth = 219;
    static constexpr int kHeight = 133;
    static constexpr COLORREF kKeyColour = RGB(166, 202, 240);  // sky blue: see-through
    static constexpr RECT kCloseImage = {197, 2, 217, 22};       // ICerrar

    SplashWindow(const char* versionText, SplashMode mode, HWND owner = nullptr);

    // Shows the window without waiting, painted before this returns, so
    // that it is on screen while the thread then blocks.
    void Show();
    // Shows the window and returns once it has been closed.
    void ShowModal();

    SplashMode Mode;
    bool CloseHot = false;  // the close image shows its hover look

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void CreateLabels(const char* versionText);
    void Paint();
    void PaintContent(HDC dc) const;
    LRESULT LabelColours(HDC dc, HWND label) const;
    void OnMouseMove(int x, int y);

    void TTimerTimer();
    void OnCloseImageClicked();
    void StaticText1Click();
    void OnPointerAway();   // the pointer moves over any part but the close image
    void OnPointerOverClose();  // the pointer moves over the close image
    void ShowCloseHot();
    void ShowCloseNormal();
    void Close();

    bool Transparent() const { return Mode != SplashMode::ReleaseCheck; }

    COLORREF m_face;
    UniqueBrush m_faceBrush;
    UniqueBrush m_keyBrush;
    UniqueFont m_labelFont;  // MS Sans Serif 8
    UniqueFont m_linkFont;   // Arial 10, underlined
    UniqueFont m_textoFont;  // Arial 8, bold
    SplashPicture m_logo;          // Image1
    SplashPicture m_closeNormal;   // image 0 of Imagenes
    SplashPicture m_closeHot;      // image 1 of Imagenes
    HWND m_link = nullptr;         // StaticText1
    HWND m_release = nullptr;      // TRelease
    HWND m_texto = nullptr;        // LTexto
    bool m_trackingLeave = false;
    bool m_closed = false;
};

}  // namespace ql::win32
