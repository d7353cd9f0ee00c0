#pragma once
// The notification-area icon. For now it accepts requests and shows nothing;
// the icon itself and its request ring take this class's place later.
#include "shell/TrayEvents.h"

namespace ql::win32 {

class TTrayIcon final : public TrayEvents {
public:
    void PostEvent(int, const char*) override {}
    // One step of the request queue, every 250 ms.
    void Animate() {}
    void Remove() {}
};

}  // namespace ql::win32
