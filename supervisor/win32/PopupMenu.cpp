#include "supervisor/win32/PopupMenu.h"

#include <cstdlib>

#include "platform/win32/Dpi.h"
#include "supervisor/win32/ResourceIds.h"

namespace ql::win32 {

namespace {

struct MenuItem {
    UINT command;  // 0: a separator
    const char* caption;
    int image;  // IconList entry, -1 for none
};

constexpr MenuItem kItems[] = {
    {PopupMenu::ShowCommand, "Show", 0},      {PopupMenu::HideCommand, "Hide", 1},       {0, nullptr, -1},
    {PopupMenu::SetupCommand, "Setup", 2},     {PopupMenu::AboutCommand, "About", 3}, {0, nullptr, -1},
    {PopupMenu::CloseCommand, "Close", 7},
};

constexpr int kIconListSize = 8;

// The image set drawn nearest above the size the scaling asks for.
struct ImageSet {
    int size;
    int firstId;
};
ImageSet IconListFor(UINT dpi) {
    const int wanted = Scaled(16, dpi);
    if (wanted <= 16) return {16, IDB_ICONLIST_16};
    if (wanted <= 24) return {24, IDB_ICONLIST_24};
    return {32, IDB_ICONLIST_32};
}

// Blending wants colours premultiplied by their alpha; the bitmaps are stored straight.
void PremultiplyAlpha(HBITMAP bitmap) {
    DIBSECTION section{};
    if (::GetObjectA(bitmap, sizeof section, &section) != sizeof section) return;
    if (section.dsBm.bmBitsPixel != 32 || section.dsBm.bmBits == nullptr) return;
    auto* pixel = static_cast<BYTE*>(section.dsBm.bmBits);
    const long count = static_cast<long>(section.dsBm.bmWidth) * std::abs(section.dsBm.bmHeight);
    for (long i = 0; i < count; ++i, pixel += 4) {
        const unsigned alpha = pixel[3];
        for (int channel = 0; channel < 3; ++channel) pixel[channel] = static_cast<BYTE>(pixel[channel] * alpha / 255);
    }
}

UniqueBitmap LoadImageOf(int id) {
    UniqueBitmap bitmap(static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (bitmap) PremultiplyAlpha(bitmap.get());
    return bitmap;
}

}  // namespace

PopupMenu::PopupMenu(UINT dpi) { SetDpi(dpi); }

void PopupMenu::SetDpi(UINT dpi) {
    std::vector<UniqueBitmap> images;
    const ImageSet set = IconListFor(dpi);
    for (int i = 0; i < kIconListSize; ++i) images.push_back(LoadImageOf(set.firstId + i));
    m_images = std::move(images);
    m_imageSize = set.size;
    Build();
}

void PopupMenu::Build() {
    m_menu.reset(::CreatePopupMenu());
    UINT position = 0;
    for (const MenuItem& item : kItems) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        if (item.command == 0) {
            info.fMask = MIIM_FTYPE | MIIM_STATE;
            info.fType = MFT_SEPARATOR;
            info.fState = MFS_DISABLED;
        } else {
            info.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP | MIIM_DATA;
            info.wID = item.command;
            info.dwTypeData = const_cast<char*>(item.caption);
            info.hbmpItem = HBMMENU_CALLBACK;
            info.dwItemData = static_cast<ULONG_PTR>(item.image);
        }
        ::InsertMenuItemA(m_menu.get(), position++, TRUE, &info);
    }
    ::SetMenuDefaultItem(m_menu.get(), ShowCommand, FALSE);
}

void PopupMenu::MeasureImage(MEASUREITEMSTRUCT& item) const {
    item.itemWidth = static_cast<UINT>(m_imageSize);
    item.itemHeight = static_cast<UINT>(m_imageSize);
}

void PopupMenu::DrawImage(const DRAWITEMSTRUCT& item) const {
    if (item.itemData >= m_images.size() || !m_images[item.itemData]) return;
    HDC source = ::CreateCompatibleDC(item.hDC);
    {
        ScopedSelect image(source, m_images[item.itemData].get());
        const int x = item.rcItem.left + (item.rcItem.right - item.rcItem.left - m_imageSize) / 2;
        const int y = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - m_imageSize) / 2;
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ::GdiAlphaBlend(item.hDC, x, y, m_imageSize, m_imageSize, source, 0, 0, m_imageSize, m_imageSize, blend);
    }
    ::DeleteDC(source);
}

UINT PopupMenu::TrackAt(HWND owner, POINT at) const {
    // Without the foreground, a click elsewhere would not close the menu;
    // the null message lets the menu's loop see that it has gone.
    ::SetForegroundWindow(owner);
    const UINT command = static_cast<UINT>(::TrackPopupMenu(
        m_menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, owner, nullptr));
    ::PostMessageA(owner, WM_NULL, 0, 0);
    return command;
}

}  // namespace ql::win32
