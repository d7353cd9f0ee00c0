#include "platform/win32/Win32WindowEvents.h"

namespace ql::win32 {

namespace {

// The watcher of this process. A WinEvent procedure gets no context of its
// own, and one watcher serves the one interface thread.
Win32WindowEvents* watching = nullptr;

UniqueWinEventHook HookEvents(DWORD first, DWORD last, WINEVENTPROC procedure) {
    return UniqueWinEventHook(::SetWinEventHook(first, last, nullptr, procedure, 0, 0, WINEVENT_OUTOFCONTEXT));
}

bool IsTopLevel(HWND window) { return window != nullptr && ::GetAncestor(window, GA_PARENT) == ::GetDesktopWindow(); }

}  // namespace

bool Win32WindowEvents::Watch(WindowEventSink& sink) {
    Stop();
    m_sink = &sink;
    watching = this;
    m_foreground = HookEvents(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, &OnEvent);
    // Shown and destroyed are neighbours; the location changes between them
    // and the name change are not wanted (a caret moves all the time).
    m_showOrDestroy = HookEvents(EVENT_OBJECT_DESTROY, EVENT_OBJECT_SHOW, &OnEvent);
    m_rename = HookEvents(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, &OnEvent);
    if (m_foreground && m_showOrDestroy && m_rename) return true;
    Stop();
    return false;
}

void Win32WindowEvents::Stop() {
    m_foreground.reset();
    m_showOrDestroy.reset();
    m_rename.reset();
    m_sink = nullptr;
    if (watching == this) watching = nullptr;
}

void CALLBACK Win32WindowEvents::OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                                         DWORD) {
    // Events of the window itself, not of a part of it (a scroll bar, the caret).
    if (object != OBJID_WINDOW || child != CHILDID_SELF) return;
    if (watching != nullptr) watching->Deliver(event, window);
}

void Win32WindowEvents::Deliver(DWORD event, HWND window) {
    if (m_sink == nullptr) return;
    const WindowId id = ToWindowId(window);
    switch (event) {
    case EVENT_SYSTEM_FOREGROUND: m_sink->OnForegroundChanged(id); break;
    // A destroyed window has no parent left to ask about: the sink tells.
    case EVENT_OBJECT_DESTROY: m_sink->OnWindowDestroyed(id); break;
    case EVENT_OBJECT_SHOW:
        if (IsTopLevel(window)) m_sink->OnWindowShown(id);
        break;
    case EVENT_OBJECT_NAMECHANGE:
        if (IsTopLevel(window)) m_sink->OnWindowRenamed(id);
        break;
    default: break;
    }
}

}  // namespace ql::win32
