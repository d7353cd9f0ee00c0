#pragma once
// The top-level windows that a scan found to be of another class than the
// supervised program's. A window's class never changes, and a handle names
// another window only long after its window is gone, so the next scan need
// not read these windows' class names again: on a desktop of many windows
// most of a scan's work was those reads, each a trip to the window manager.
// The table is fixed in size; windows beyond it are simply read each time.
#include <array>
#include <cstddef>

#include "platform/Types.h"

namespace ql {

class OtherWindows {
public:
    static constexpr std::size_t kCapacity = 1024;  // a desktop often holds several hundred

    // Forgets every window: the supervised program is another one now.
    void Clear();
    // A scan begins: what it finds again, or anew, is remembered for the next.
    void BeginScan() { m_nextCount = 0; }
    void EndScan();
    // Whether the previous scan found this window to be of another class;
    // if so, it is remembered for the next scan as well.
    bool Recall(WindowId window);
    void Remember(WindowId window);

private:
    std::array<WindowId, kCapacity> m_known{};  // sorted
    std::size_t m_count = 0;
    std::array<WindowId, kCapacity> m_next{};
    std::size_t m_nextCount = 0;
};

}  // namespace ql
