#pragma once
// Double-buffered painting: what a window draws goes into a memory bitmap
// first and reaches the screen in one copy, so nothing flickers.
#include <windows.h>

#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

// Copies the bitmap to the target when it goes. The members go in reverse order: the bitmap is put out of the memory DC,
// then deleted, then the DC.
class BufferedPaint {
public:
    BufferedPaint(HDC target, const RECT& area)
        : m_target(target), m_area(area), m_dc(::CreateCompatibleDC(target)),
          m_bitmap(::CreateCompatibleBitmap(target, area.right - area.left, area.bottom - area.top)),
          m_select(m_dc.get(), m_bitmap.get()) {}
    ~BufferedPaint() {
        ::BitBlt(m_target, m_area.left, m_area.top, m_area.right - m_area.left, m_area.bottom - m_area.top,
                 m_dc.get(), 0, 0, SRCCOPY);
    }
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;
    HDC Dc() const { return m_dc.get(); }

private:
    HDC m_target;
    RECT m_area;
    UniqueMemoryDC m_dc;
    UniqueBitmap m_bitmap;
    ScopedSelect m_select;
};

}  // namespace ql::win32
