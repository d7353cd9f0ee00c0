#pragma once
// The supervisor's binding to the hook library: loaded once at start-up,
// its procedures installed on the thread of every new session. Sessions of
// 64-bit programs are hooked through the 64-bit companion instead.
#include "platform/HookLibrary.h"
#include "platform/Processes.h"
#include "shell/LogSink.h"
#include "supervisor/FatalErrorSink.h"
#include "supervisor/SessionTable.h"

namespace ql {

class HookBinding {
public:
    HookBinding(HookLibrary& library, CompanionHost& companion, ProcessControl& processes, LogSink& log)
        : m_library(library), m_companion(companion), m_processes(processes), m_log(log) {}

    // Loads the library and resolves its three procedures, in order. On the
    // first failure logs it, reports it through FatalError and returns false.
    bool BindHookLib(FatalErrorSink& errors);
    // Keyboard hook, then get-message hook, on the session's thread: by
    // Quorlan itself, or by the companion when the session's process is
    // 64-bit. Both or neither: a hook left alone is removed again, since a
    // session that reports clicks but not keys could be closed under typing.
    // CompanionStarting: nothing placed yet, ask again when the host answers.
    HookRefusal InstallHooks(TSessionEntry& entry, ThreadId thread);
    // A scan begins: the companion may be started (once) again. Within one
    // scan a companion that would not start is not asked again for every
    // 64-bit session.
    void BeginScan() { m_companionRefusal = HookRefusal::None; }

    // Removes each installed hook of the session, the get-message hook first.
    void UnhookSession(TSessionEntry& entry);
    // True when the companion has ended since the last look: the hooks it
    // placed are gone, and its sessions need placing again.
    bool CompanionEnded() { return m_companion.Ended(); }
    void Release() { m_library.Release(); }

private:
    HookRefusal InstallLocally(TSessionEntry& entry, ThreadId thread);
    HookRefusal InstallByCompanion(TSessionEntry& entry, ThreadId thread);
    // Removes the hooks and forgets them.
    void DropHooks(TSessionEntry& entry);

    HookLibrary& m_library;
    CompanionHost& m_companion;
    ProcessControl& m_processes;
    LogSink& m_log;
    ProcAddress m_passOnProcedure = 0;
    ProcAddress m_keyboardProcedure = 0;
    ProcAddress m_getMessageProcedure = 0;
    HookRefusal m_companionRefusal = HookRefusal::None;  // the host's latest answer to EnsureRunning
};

}  // namespace ql
