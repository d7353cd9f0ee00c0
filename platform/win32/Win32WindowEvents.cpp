#include "platform/win32/Win32WindowEvents.h"

namespace ql::win32 {

namespace {

// The watcher of this process. A WinEvent procedure gets no context of its
// own, and one watcher serves the one interface thread.
Win32WindowEvents* watching = nullptr;

// wParam the event, lParam the window.
constexpr UINT kQueuedEvent = WM_APP + 1;

UniqueWinEventHook HookEvents(DWORD first, DWORD last, WINEVENTPROC procedure) {
    return UniqueWinEventHook(::SetWinEventHook(first, last, nullptr, procedure, 0, 0, WINEVENT_OUTOFCONTEXT));
}

bool IsTopLevel(HWND window) { return window != nullptr && ::GetAncestor(window, GA_PARENT) == ::GetDesktopWindow(); }

}  // namespace

bool Win32WindowEvents::Watch(WindowEventSink& sink) {
    Stop();
    if (m_switchedOff) return false;
    if (Handle() == nullptr && !CreateWindowOf("QL_WindowEvents", "", 0, 0, 0, 0, 0, 0, HWND_MESSAGE)) return false;
    m_sink = &sink;
    watching = this;
    m_foreground = HookEvents(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, &OnEvent);
    // Created, destroyed and shown are neighbours; the name change, apart,
    // comes alone (the events between them, such as a caret moving, are not
    // wanted). A window is told as it is created as well as when shown: Wine
    // tells other programs of nothing else, and a session found before it
    // shows can be refused before anyone has seen it.
    m_lifecycle = HookEvents(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, &OnEvent);
    m_rename = HookEvents(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, &OnEvent);
    if (m_foreground && m_lifecycle && m_rename) return true;
    Stop();
    return false;
}

void Win32WindowEvents::Stop() {
    m_foreground.reset();
    m_lifecycle.reset();
    m_rename.reset();
    m_sink = nullptr;  // what is still queued is dropped
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
    switch (event) {
    case EVENT_SYSTEM_FOREGROUND: m_sink->OnForegroundChanged(ToWindowId(window)); return;
    // A destroyed window has no parent left to ask about: the sink tells.
    case EVENT_OBJECT_DESTROY: break;
    case EVENT_OBJECT_CREATE:
    case EVENT_OBJECT_SHOW:
    case EVENT_OBJECT_NAMECHANGE:
        if (!IsTopLevel(window)) return;
        break;
    default: return;
    }
    // A full queue loses the event; the periodic scan still finds the change.
    ::PostMessageA(Handle(), kQueuedEvent, event, reinterpret_cast<LPARAM>(window));
}

LRESULT Win32WindowEvents::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kQueuedEvent) return Window::HandleMessage(message, wParam, lParam);
    if (m_sink == nullptr) return 0;
    const WindowId window = ToWindowId(reinterpret_cast<HWND>(lParam));
    switch (wParam) {
    case EVENT_OBJECT_CREATE:
    case EVENT_OBJECT_SHOW: m_sink->OnWindowShown(window); break;
    case EVENT_OBJECT_NAMECHANGE: m_sink->OnWindowRenamed(window); break;
    case EVENT_OBJECT_DESTROY: m_sink->OnWindowDestroyed(window); break;
    default: break;
    }
    return 0;
}

}  // namespace ql::win32
