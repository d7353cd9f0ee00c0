#pragma once
// The common controls library, loaded when a window first needs one of its
// controls rather than at start: most of the program's life its windows
// are hidden. Once loaded it stays loaded, as the controls made from it
// live as long as their windows.
#include <windows.h>

namespace ql::win32 {

// Registers the control classes given by ICC_* flags.
void LoadCommonControls(DWORD classes);

}  // namespace ql::win32
