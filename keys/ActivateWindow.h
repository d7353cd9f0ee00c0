#pragma once
// Brings a window to the front so that the next synthetic keys go to it.
#include "platform/Desktop.h"

namespace ql {

// Restores the window if it is minimised (a maximised one stays maximised),
// shows it, makes it the foreground window and gives it the keyboard focus.
// A null window does nothing and gives false.
bool ActivateWindow(Desktop& desktop, WindowId window);

// Activates the first top-level window, in z-order, whose title begins with
// titleStart (letters compared without regard to case). An empty text or no
// such window does nothing and gives false.
bool ActivateWindowByTitle(Desktop& desktop, const char* titleStart);

}  // namespace ql
