#pragma once
// The supervisor's binding to the hook library: loaded once at start-up,
// its procedures installed on the thread of every new session.
#include "platform/HookLibrary.h"
#include "shell/LogSink.h"
#include "supervisor/FatalErrorSink.h"
#include "supervisor/SessionTable.h"

namespace ql {

class HookBinding {
public:
    HookBinding(HookLibrary& library, LogSink& log) : m_library(library), m_log(log) {}

    // Loads the library and resolves its three procedures, in order. On the
    // first failure logs it, reports it through FatalError and returns false.
    bool BindHookLib(FatalErrorSink& errors);
    // Keyboard hook, then get-message hook, on the session's thread.
    void InstallHooks(TSessionEntry& entry, ThreadId thread);
    // Removes each installed hook of the session, the get-message hook first.
    void UnhookSession(TSessionEntry& entry);
    void Release() { m_library.Release(); }

private:
    HookLibrary& m_library;
    LogSink& m_log;
    ProcAddress m_procInterceptaR = 0;
    ProcAddress m_procInterceptaT = 0;
    ProcAddress m_procInterceptaM = 0;
};

}  // namespace ql
