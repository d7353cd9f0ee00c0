#pragma once
// Window events through SetWinEventHook, out of context: the system queues
// them to the watching thread, which must run a message loop.
#include "platform/WindowEvents.h"
#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

using UniqueWinEventHook = UniqueAny<HWINEVENTHOOK, decltype(&::UnhookWinEvent), ::UnhookWinEvent>;

class Win32WindowEvents final : public WindowEvents {
public:
    Win32WindowEvents() = default;
    ~Win32WindowEvents() override { Stop(); }
    Win32WindowEvents(const Win32WindowEvents&) = delete;
    Win32WindowEvents& operator=(const Win32WindowEvents&) = delete;

    bool Watch(WindowEventSink& sink) override;
    void Stop() override;

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                                 DWORD time);
    void Deliver(DWORD event, HWND window);

    WindowEventSink* m_sink = nullptr;
    UniqueWinEventHook m_foreground;
    UniqueWinEventHook m_showOrDestroy;
    UniqueWinEventHook m_rename;
};

}  // namespace ql::win32
