#pragma once
// The fonts of the program's windows: one place that asks the system for
// them, so every window renders its text alike.
#include <windows.h>

#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

// height as the system's font call takes it: negative for the height of the
// characters in pixels, the usual way to ask for a size.
UniqueFont MakeFont(int height, int weight = FW_NORMAL, bool underline = false, const char* face = "Arial");

}  // namespace ql::win32
