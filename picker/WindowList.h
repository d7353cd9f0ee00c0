#pragma once
// The window picker's rows: the desktop's visible, unowned, non-minimised
// top-level windows in z-order, one row per window class (classes whose
// names share their first four letters count as one), at most 50 rows.
#include <cstddef>

#include "platform/Desktop.h"

namespace ql {

constexpr int kWindowTextCapacity = 250;  // class name and title buffers, NUL included
constexpr int kWindowListRows = 50;

// One row of the picker.
struct TWindowEntry {
    char ClassName[kWindowTextCapacity] = {};
    char Title[kWindowTextCapacity] = {};
    WindowId Handle = 0;
    int ShowCmd = 0;  // show state of the window's placement when it was read
};

struct TWindowList {
    TWindowEntry Rows[kWindowListRows];
    int WindowCount = 0;
};

// The program's one table, shared by every picker window: its rows outlive
// the picker that read them until the next reading.
TWindowList& SharedWindowList();

// Copies the class name of row index into buffer (capacity characters, NUL
// included); false, leaving the buffer alone, when index names no row.
bool CopyRowClassName(const TWindowList& list, int index, char* buffer, std::size_t capacity);

// Fills a window list from the desktop.
class WindowListReader {
public:
    WindowListReader(Desktop& desktop, TWindowList& list) : m_desktop(desktop), m_list(list) {}

    // Empties the list and reads every top-level window into it, in z-order.
    void ReadWindows();
    // The enumeration's visit: climbs from window to the top of its chain of
    // parents and owners, and lists that window unless it is filtered out or
    // its class is listed already.
    void ListWindowProc(WindowId window);
    // Stores window into row index if it is the kind of window a user would
    // pick (not owned, not covering the whole screen, not the shell's, shown).
    bool AddWindow(WindowId window, int index);

private:
    bool ClassAlreadyListed(const char* className) const;

    Desktop& m_desktop;
    TWindowList& m_list;
};

}  // namespace ql
