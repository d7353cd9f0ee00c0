#include "platform/win32/CommonControls.h"

#include <commctrl.h>

namespace ql::win32 {

void LoadCommonControls(DWORD classes) {
    using InitControlsFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto initControls = reinterpret_cast<InitControlsFn>(
        reinterpret_cast<void*>(::GetProcAddress(::LoadLibraryA("comctl32.dll"), "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX controls{sizeof controls, classes};
    if (initControls != nullptr) initControls(&controls);
}

}  // namespace ql::win32
