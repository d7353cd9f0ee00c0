#pragma once
// A memory device context for drawing off screen, deleted with its owner.
#include <windows.h>

#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

using UniqueMemoryDC = UniqueAny<HDC, decltype(&::DeleteDC), ::DeleteDC>;

}  // namespace ql::win32
