#pragma once
// Window events through SetWinEventHook, out of context: the system queues
// them to the watching thread, which must run a message loop.
#include "platform/WindowEvents.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Window.h"

namespace ql::win32 {

using UniqueWinEventHook = UniqueAny<HWINEVENTHOOK, decltype(&::UnhookWinEvent), ::UnhookWinEvent>;

// The system may call an event procedure while the watching thread waits in
// a call to another program (a sent message), in the middle of the sink's
// own work. So windows created, shown, renamed and destroyed, which change the
// session table, go through a message-only window of this object: they reach
// the sink from the message queue, as the timers do, after the reports the
// session's program posted before the change.
class Win32WindowEvents final : public WindowEvents, private Window {
public:
    Win32WindowEvents() = default;
    ~Win32WindowEvents() override { Stop(); }

    bool Watch(WindowEventSink& sink) override;
    void Stop() override;
    // A test switch: from now on Watch tells nothing, as where the system
    // delivers no events, so the periodic scan serves alone.
    void SwitchOff() { m_switchedOff = true; }

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                                 DWORD time);
    void Deliver(DWORD event, HWND window);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    WindowEventSink* m_sink = nullptr;
    bool m_switchedOff = false;
    UniqueWinEventHook m_foreground;
    UniqueWinEventHook m_lifecycle;  // created, destroyed, shown
    UniqueWinEventHook m_rename;
};

}  // namespace ql::win32
