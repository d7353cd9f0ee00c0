#include "FakeDesktop.h"

#include <algorithm>

#include "core/Text.h"

namespace ql::test {

WindowId FakeDesktop::AddWindow(const std::string& className, ProcessId process, WindowId owner,
                                const std::string& title) {
    FakeWindow window;
    window.id = m_nextId += 4;
    window.className = className;
    window.title = title;
    window.parent = owner;
    window.process = process;
    window.thread = process + 1;
    m_windows.push_back(window);
    return window.id;
}

WindowId FakeDesktop::AddChild(WindowId parent, const std::string& className) {
    const FakeWindow* parentWindow = Find(parent);
    WindowId id = AddWindow(className, parentWindow ? parentWindow->process : 0, parent);
    Find(id)->child = true;
    return id;
}

WindowId FakeDesktop::AddOwnedOverlapped(WindowId owner, const std::string& className) {
    const FakeWindow* ownerWindow = Find(owner);
    const WindowId id = AddWindow(className, ownerWindow ? ownerWindow->process : 0, owner);
    Find(id)->ownedOverlapped = true;
    return id;
}

WindowId FakeDesktop::AddModalDialog(WindowId owner) {
    const FakeWindow* ownerWindow = Find(owner);
    const WindowId id = AddWindow("#32770", ownerWindow ? ownerWindow->process : 0, owner);
    // A new window opens in front of the others.
    std::rotate(m_windows.begin(), m_windows.end() - 1, m_windows.end());
    if (FakeWindow* disabled = Find(owner)) disabled->enabled = false;
    return id;
}

void FakeDesktop::Destroy(WindowId window) {
    std::vector<WindowId> doomed{window};
    for (std::size_t i = 0; i < doomed.size(); ++i) {
        for (const FakeWindow& w : m_windows) {
            if (w.parent == doomed[i]) doomed.push_back(w.id);
        }
    }
    // A standard dialog's modal loop gives its owner back its input as it closes.
    if (const FakeWindow* w = Find(window); w != nullptr && !w->child && w->className == "#32770") {
        if (FakeWindow* owner = Find(w->parent)) owner->enabled = true;
    }
    m_windows.erase(std::remove_if(m_windows.begin(), m_windows.end(),
                                   [&](const FakeWindow& w) {
                                       return std::find(doomed.begin(), doomed.end(), w.id) != doomed.end();
                                   }),
                    m_windows.end());
    if (!Exists(m_foreground)) m_foreground = 0;
}

FakeWindow* FakeDesktop::Find(WindowId window) {
    for (FakeWindow& w : m_windows) {
        if (w.id == window) return &w;
    }
    return nullptr;
}

std::vector<RecordedMessage> FakeDesktop::MessagesTo(WindowId window) const {
    std::vector<RecordedMessage> found;
    for (const RecordedMessage& m : messages) {
        if (m.window == window) found.push_back(m);
    }
    return found;
}

void FakeDesktop::EnumTopLevelWindows(FunctionRef<bool(WindowId)> visit) {
    ++enumerations;
    // A copy: a visit may add or destroy windows, as real programs may meanwhile.
    std::vector<WindowId> topLevel;
    for (const FakeWindow& w : m_windows) {
        if (!w.child) topLevel.push_back(w.id);
    }
    for (WindowId id : topLevel) {
        if (!visit(id)) return;
    }
}

int FakeDesktop::ClassNameOf(WindowId window, char* buffer, int capacity) {
    ++classReads;
    const FakeWindow* w = Find(window);
    return static_cast<int>(CopyText(buffer, static_cast<std::size_t>(capacity), w ? w->className.c_str() : ""));
}

int FakeDesktop::TitleOf(WindowId window, char* buffer, int capacity) {
    const FakeWindow* w = Find(window);
    return static_cast<int>(CopyText(buffer, static_cast<std::size_t>(capacity), w ? w->title.c_str() : ""));
}

WindowId FakeDesktop::ParentOf(WindowId window) {
    const FakeWindow* w = Find(window);
    return w && !w->ownedOverlapped ? w->parent : 0;
}

ThreadId FakeDesktop::ThreadOf(WindowId window, ProcessId* process) {
    const FakeWindow* w = Find(window);
    if (process != nullptr) *process = w ? w->process : 0;
    return w ? w->thread : 0;
}

bool FakeDesktop::Exists(WindowId window) { return Find(window) != nullptr; }

bool FakeDesktop::Record(WindowId window, unsigned message, MessageWord wParam, MessageLong lParam, bool sent) {
    if (failPosts && !sent) return false;
    RecordedMessage recorded{window, message, wParam, lParam, sent};
    messages.push_back(recorded);
    if (onMessage) onMessage(recorded);
    return Exists(window);
}

bool FakeDesktop::Post(WindowId window, unsigned message, MessageWord wParam, MessageLong lParam) {
    return Record(window, message, wParam, lParam, false);
}

MessageLong FakeDesktop::Send(WindowId window, unsigned message, MessageWord wParam, MessageLong lParam) {
    Record(window, message, wParam, lParam, true);
    if (message == msg::kSysCommand) ApplySysCommand(window, wParam);
    return 0;
}

// SC_RESTORE as the default window procedure answers it: a minimised window
// returns to its earlier placement, a maximised one to its normal size.
void FakeDesktop::ApplySysCommand(WindowId window, MessageWord command) {
    constexpr MessageWord kScRestore = 0xF120;
    FakeWindow* w = Find(window);
    if (w != nullptr && (command & 0xFFF0) == kScRestore) Place(*w, show::kRestore);
}

// The placement record after a show command, as Windows keeps it.
void FakeDesktop::Place(FakeWindow& w, int command) {
    const bool minimized = w.showState == show::kShowMinimized || w.showState == show::kMinimize ||
                           w.showState == kShowMinNoActive;
    switch (command) {
    case show::kMinimize:
    case show::kShowMinimized:
    case kShowMinNoActive:
        if (!minimized) w.restoreToMaximized = w.showState == show::kMaximized;
        w.showState = show::kShowMinimized;
        break;
    case show::kRestore:
        w.showState = minimized && w.restoreToMaximized ? show::kMaximized : show::kNormal;
        break;
    case show::kNormal:
    case show::kMaximized:
        w.showState = command;
        break;
    default:  // hide, or show as it is placed
        break;
    }
}

bool FakeDesktop::BringToForeground(WindowId window) {
    foregroundHistory.push_back(window);
    if (refuseForeground || !Exists(window)) return false;
    const bool changed = m_foreground != window;
    m_foreground = window;
    if (changed && onForegroundChange) onForegroundChange(window);
    return true;
}

bool FakeDesktop::Show(WindowId window, int command) {
    FakeWindow* w = Find(window);
    if (w == nullptr) return false;
    const bool wasVisible = w->visible;
    w->visible = command != show::kHide;
    Place(*w, command);
    return wasVisible;
}

WindowId FakeDesktop::Focus(WindowId window) {
    focusHistory.push_back(window);
    return 0;
}

WindowId FakeDesktop::OwnerOf(WindowId window) {
    const FakeWindow* w = Find(window);
    return w && !w->child ? w->parent : 0;
}

std::uint32_t FakeDesktop::StyleOf(WindowId window) {
    const FakeWindow* w = Find(window);
    if (w == nullptr) return 0;
    return w->otherStyle | (w->visible ? style::kVisible : 0u);
}

bool FakeDesktop::IsMinimized(WindowId window) {
    const FakeWindow* w = Find(window);
    return w && (w->showState == show::kShowMinimized || w->showState == show::kMinimize ||
                 w->showState == kShowMinNoActive);
}

bool FakeDesktop::IsEnabled(WindowId window) {
    const FakeWindow* w = Find(window);
    return w && w->enabled;
}

bool FakeDesktop::RectOf(WindowId window, ScreenRect* rect) {
    const FakeWindow* w = Find(window);
    if (w == nullptr) return false;
    *rect = w->rect;
    return true;
}

int FakeDesktop::ShowStateOf(WindowId window) {
    const FakeWindow* w = Find(window);
    return w ? w->showState : show::kHide;
}

bool FakeDesktop::SetShowState(WindowId window, int showState) {
    FakeWindow* w = Find(window);
    if (w == nullptr) return false;
    Place(*w, showState);
    if (showState != show::kHide) w->visible = true;
    return true;
}

}  // namespace ql::test
