#pragma once
// The 64-bit companion host, QL_host64.exe beside the program: started on
// demand and asked through a channel of pipes and events that only this
// process and the host it started hold (see core/HookProtocol.h).
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
    // How long the call that starts the host waits for its first answer.
    static constexpr DWORD kFirstAnswerWaitMs = 200;
    // How long one request may take.
    static constexpr DWORD kAnswerWaitMs = 250;

private:
    enum class State { Stopped, Starting, Running };

    HookRefusal Start();
    // Whether the starting host said it is ready within waitMs.
    HookRefusal AwaitReady(DWORD waitMs);
    bool ProcessEnded() const;
    // Sends one request; a host that does not answer in time is ended, so
    // that the next scan starts it afresh.
    bool Ask(unsigned verb, unsigned argument, unsigned thread, int* answer);
    bool ReadAnswer(int* answer);
    void EndHost();

    State m_state = State::Stopped;
    DWORD m_startedAt = 0;
    UniqueHandle m_process;
    UniqueHandle m_requests;      // write end
    UniqueHandle m_requestReady;
    UniqueHandle m_answers;       // read end
    UniqueHandle m_answerReady;
    bool m_ended = false;
    HookRefusal m_refusal = HookRefusal::None;
};

}  // namespace ql::win32
