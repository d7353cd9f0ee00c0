#pragma once
// What the picker does to a listed window before outlining it on screen.
#include "platform/Desktop.h"

namespace ql {

// Brings the window back to its normal size and place and to the front, and
// reads where it now is. A window that has closed since it was listed has
// no place to show: then nothing is done and the answer is false.
bool RestoreAndRaise(Desktop& desktop, WindowId window, ScreenRect* rect);

}  // namespace ql
