#include "picker/Highlight.h"

namespace ql {

bool RestoreAndRaise(Desktop& desktop, WindowId window, ScreenRect* rect) {
    if (!desktop.Exists(window)) return false;
    desktop.SetShowState(window, show::kRestore);
    desktop.BringToForeground(window);
    return desktop.RectOf(window, rect);
}

}  // namespace ql
