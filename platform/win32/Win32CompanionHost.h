#pragma once
// The 64-bit companion host, QL_host64.exe beside the program: started on
// demand with this process's id, asked through its message-only window.
#include "platform/HookLibrary.h"
#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

class Win32CompanionHost final : public CompanionHost {
public:
    HookRefusal EnsureRunning() override;
    bool Ended() override;
    HookId Install(int hookKind, ThreadId thread) override;
    bool Unhook(HookId hook) override;
    HookRefusal InstallRefusal() const override { return m_refusal; }

    // How long a start may take before the host counts as not answering.
    static constexpr DWORD kStartWaitMs = 4000;
    // How long one request may take.
    static constexpr UINT kAnswerWaitMs = 1000;

private:
    bool Running() const;
    HookRefusal Start();
    HWND FindHostWindow() const;
    // Sends one request; a host that does not answer in time is ended, so
    // that the next scan starts it afresh.
    bool Ask(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer);
    void EndHost();

    UniqueHandle m_process;
    DWORD m_processId = 0;
    HWND m_window = nullptr;
    bool m_ended = false;
    HookRefusal m_refusal = HookRefusal::None;
};

}  // namespace ql::win32
