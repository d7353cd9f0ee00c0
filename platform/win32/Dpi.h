#pragma once
// Screen scaling: the dots per inch of a window, and sizes designed for
// 96 DPI scaled to it. The per-window call is looked up at run time, so the
// program still starts where it does not exist.
#include <windows.h>

namespace ql::win32 {

constexpr UINT kDesignDpi = 96;

UINT DpiOf(HWND window);

inline int Scaled(int designPixels, UINT dpi) {
    return ::MulDiv(designPixels, static_cast<int>(dpi), static_cast<int>(kDesignDpi));
}

}  // namespace ql::win32
