#pragma once
// Shows a window modally over its owner: the owner is disabled and this
// thread's messages are pumped until the window says it is done.
#include <windows.h>

namespace ql::win32 {

// Runs until closed becomes true (set by the window's own handlers), then
// enables the owner again and hides the window, so that the owner, not some
// other program, becomes active. A WM_QUIT met meanwhile ends the loop and is
// posted again for the outer loop. A window destroyed meanwhile (with its
// owner) ends the loop too.
void RunModal(HWND window, const bool& closed);

}  // namespace ql::win32
