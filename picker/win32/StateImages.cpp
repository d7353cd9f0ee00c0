#include "picker/win32/StateImages.h"

#include "picker/win32/PickerResources.h"
#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

namespace {

constexpr int kSizes[] = {24, 36, 48};
constexpr int kFirstId[2] = {IDB_STATE_MAXIMIZED_24, IDB_STATE_NORMAL_24};

// AlphaBlend wants colours already multiplied by their alpha.
void Premultiply(HBITMAP bitmap) {
    DIBSECTION section;
    if (::GetObjectA(bitmap, sizeof section, &section) != sizeof section) return;
    const BITMAP& b = section.dsBm;
    if (b.bmBitsPixel != 32 || b.bmBits == nullptr) return;
    auto* pixel = static_cast<BYTE*>(b.bmBits);
    const long count = static_cast<long>(b.bmWidth) * b.bmHeight;
    for (long i = 0; i < count; ++i, pixel += 4) {
        const unsigned alpha = pixel[3];
        for (int c = 0; c < 3; ++c) pixel[c] = static_cast<BYTE>(pixel[c] * alpha / 255);
    }
}

}  // namespace

StateImages::StateImages(int pixelSize) {
    int step = 0;
    while (step + 1 < 3 && kSizes[step] < pixelSize) ++step;
    m_loadedSize = kSizes[step];
    for (int i = 0; i < 2; ++i) {
        m_images[i].reset(static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                            MAKEINTRESOURCEA(kFirstId[i] + step), IMAGE_BITMAP, 0,
                                                            0, LR_CREATEDIBSECTION)));
        if (m_images[i]) Premultiply(m_images[i].get());
    }
}

void StateImages::Draw(HDC dc, int index, int x, int y, int size) const {
    if (index < 0 || index > 1 || !m_images[index]) return;
    UniqueMemoryDC source(::CreateCompatibleDC(dc));
    if (!source) return;
    ScopedSelect image(source.get(), m_images[index].get());
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(dc, x, y, size, size, source.get(), 0, 0, m_loadedSize, m_loadedSize, blend);
}

}  // namespace ql::win32
