#pragma once
// What the window system tells as it happens, out of context (nothing is
// loaded into other programs): delivered on the thread that watches, in the
// order the changes happened, before the posted messages and timers that
// follow them.
#include "platform/Types.h"

namespace ql {

class WindowEventSink {
public:
    virtual ~WindowEventSink() = default;
    // A top-level window was created or shown (either may be all a system
    // tells), renamed, or destroyed.
    virtual void OnWindowShown(WindowId window) = 0;
    virtual void OnWindowRenamed(WindowId window) = 0;
    virtual void OnWindowDestroyed(WindowId window) = 0;
    // Another window came to the foreground (0: none is in front).
    virtual void OnForegroundChanged(WindowId window) = 0;
};

class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    // Starts telling sink; false where the system tells nothing (then the
    // periodic scan and a sampled foreground serve alone).
    virtual bool Watch(WindowEventSink& sink) = 0;
    // Tells nothing more; harmless when not watching.
    virtual void Stop() = 0;
};

}  // namespace ql
