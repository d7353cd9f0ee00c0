#pragma once
// The popup menu of the notification-area icon, with its images from
// the image list IconList in the size that suits the screen's scaling.
#include <windows.h>

#include <vector>

#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

class PopupMenu {
public:
    enum Command : UINT { ShowCommand = 1, HideCommand, SetupCommand, AboutCommand, CloseCommand };

    explicit PopupMenu(UINT dpi);
    // Reloads the images for another scaling.
    void SetDpi(UINT dpi);
    // Opens the menu at a screen point and returns the command chosen, or 0.
    // The menu closes when the user clicks elsewhere.
    UINT TrackAt(HWND owner, POINT at) const;

    // The owner window passes on WM_MEASUREITEM and WM_DRAWITEM of menus:
    // the images are drawn blended by their alpha, which every system shows.
    void MeasureImage(MEASUREITEMSTRUCT& item) const;
    void DrawImage(const DRAWITEMSTRUCT& item) const;

    HMENU Handle() const { return m_menu.get(); }

private:
    void Build();

    UniqueMenu m_menu;
    std::vector<UniqueBitmap> m_images;
    int m_imageSize = 16;
};

}  // namespace ql::win32
