#include "picker/WindowList.h"

#include "core/Text.h"

namespace ql {

namespace {

// Classes listed only by the first characters that decide a class: the
// letters of the name, or the letters and the terminating NUL for a class
// that must match exactly.
struct ExcludedClass {
    const char* name;
    std::size_t count;
};
constexpr ExcludedClass kExcludedClasses[] = {
    {"#32769", 6},                  // the desktop window
    {"Shell_TrayWnd", 13},          // the taskbar, and its relatives by prefix
    {"ISW_TRAY_WINDOW_CLASS", 21},  // a replacement tray
    {"TApplication", 13},           // the hidden application window of some frameworks, exactly
};
constexpr std::size_t kSameClassLetters = 4;
// Window chains are finite, but a window system answering with a loop must
// not hang the picker.
constexpr int kMaxClimb = 64;

bool IsExcludedClass(const char* className) {
    for (const ExcludedClass& excluded : kExcludedClasses) {
        if (CompareNoCase(className, excluded.name, excluded.count) == 0) return true;
    }
    return false;
}

bool IsHiddenOrMinimizedState(int showState) {
    return showState == show::kHide || showState == show::kMinimize || showState == show::kShowMinimized;
}

}  // namespace

TWindowList& SharedWindowList() {
    static TWindowList list;
    return list;
}

bool CopyRowClassName(const TWindowList& list, int index, char* buffer, std::size_t capacity) {
    if (index < 0 || index >= list.WindowCount || buffer == nullptr || capacity == 0) return false;
    CopyText(buffer, capacity, list.Rows[index].ClassName);
    return true;
}

void WindowListReader::ReadWindows() {
    m_list.WindowCount = 0;
    m_desktop.EnumTopLevelWindows([this](WindowId window) {
        ListWindowProc(window);
        return true;
    });
}

void WindowListReader::ListWindowProc(WindowId window) {
    if (m_list.WindowCount >= kWindowListRows) return;
    for (int step = 0; step < kMaxClimb; ++step) {
        const WindowId parent = m_desktop.ParentOf(window);
        if (parent == 0) break;
        window = parent;
    }
    if ((m_desktop.StyleOf(window) & style::kVisible) == 0 || m_desktop.IsMinimized(window)) return;
    char className[kWindowTextCapacity];
    m_desktop.ClassNameOf(window, className, kWindowTextCapacity);
    if (ClassAlreadyListed(className)) return;
    if (AddWindow(window, m_list.WindowCount)) ++m_list.WindowCount;
}

bool WindowListReader::ClassAlreadyListed(const char* className) const {
    for (int row = 0; row < m_list.WindowCount; ++row) {
        if (CompareNoCase(m_list.Rows[row].ClassName, className, kSameClassLetters) == 0) return true;
    }
    return false;
}

bool WindowListReader::AddWindow(WindowId window, int index) {
    if (index < 0 || index >= kWindowListRows) return false;
    if (m_desktop.OwnerOf(window) != 0) return false;
    ScreenRect rect;
    const ScreenSize screen = m_desktop.PrimaryScreenSize();
    if (m_desktop.RectOf(window, &rect) && rect.left == 0 && rect.top == 0 && rect.right == screen.width &&
        rect.bottom == screen.height) {
        return false;
    }
    char className[kWindowTextCapacity];
    m_desktop.ClassNameOf(window, className, kWindowTextCapacity);
    const int showState = m_desktop.ShowStateOf(window);
    if (className[0] == '\0' || IsExcludedClass(className) || IsHiddenOrMinimizedState(showState)) return false;

    TWindowEntry& row = m_list.Rows[index];
    CopyText(row.ClassName, className);
    m_desktop.TitleOf(window, row.Title, kWindowTextCapacity);
    row.Handle = window;
    row.ShowCmd = showState;
    return true;
}

}  // namespace ql
