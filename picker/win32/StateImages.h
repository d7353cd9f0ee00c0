#pragma once
// The two state images of the picker's Size column (0: one large window,
// maximised; 1: two small windows, normal), loaded at the size nearest to
// the row height and drawn with their soft edges.
#include <windows.h>

#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

class StateImages {
public:
    explicit StateImages(int pixelSize);
    // Draws image index scaled into the square at (x, y); nothing if it did not load.
    void Draw(HDC dc, int index, int x, int y, int size) const;

private:
    UniqueBitmap m_images[2];
    int m_loadedSize = 0;
};

}  // namespace ql::win32
