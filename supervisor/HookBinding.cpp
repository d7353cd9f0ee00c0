#include "supervisor/HookBinding.h"

#include <cstdio>

namespace ql {

namespace {

struct BindStep {
    const char* exportName;  // null for loading the library itself
    ProcAddress HookBinding::*target;
    const char* logText;
    const char* boxText;  // differs from the log text in its blanks
};

}  // namespace

bool HookBinding::BindHookLib(FatalErrorSink& errors) {
    static const BindStep kSteps[] = {
        {nullptr, nullptr, "Error ! Can't open Lib. QL_lib.dll", "Error ! Can't open Lib. 'QL_lib.dll'"},
        {"_InterceptaR", &HookBinding::m_passOnProcedure, "Error opening module  '_InterceptaR'",
         "Error opening module  '_InterceptaR'"},
        {"_InterceptaT", &HookBinding::m_keyboardProcedure, "Error opening module  '_InterceptaT'",
         "Error opening  module '_InterceptaT'"},
        {"_InterceptaM", &HookBinding::m_getMessageProcedure, "Error opening module  '_InterceptaM'",
         "Error opening module '_InterceptaM'"},
    };
    for (const BindStep& step : kSteps) {
        const bool ok = step.exportName == nullptr ? m_library.Load("QL_lib.dll")
                                                   : (this->*step.target = m_library.Resolve(step.exportName)) != 0;
        if (!ok) {
            // The fixed texts, and the system's code of what went wrong.
            const unsigned long code = m_library.LoadError();
            char logLine[96];
            std::snprintf(logLine, sizeof logLine, "%s (Windows error %lu)", step.logText, code);
            m_log.WriteLog(logLine);
            char boxText[96];
            std::snprintf(boxText, sizeof boxText, "%s\n\nWindows error %lu", step.boxText, code);
            errors.FatalError(boxText);
            return false;
        }
    }
    return true;
}

HookRefusal HookBinding::InstallHooks(TSessionEntry& entry, ThreadId thread) {
    entry.ViaCompanion = m_processes.WidthOf(entry.ProcessId) == ProcessWidth::Bits64;
    return entry.ViaCompanion ? InstallByCompanion(entry, thread) : InstallLocally(entry, thread);
}

HookRefusal HookBinding::InstallLocally(TSessionEntry& entry, ThreadId thread) {
    entry.KeyHook = m_library.Install(kKeyboardHook, m_keyboardProcedure, thread);
    HookRefusal refusal = entry.KeyHook == 0 ? m_library.InstallRefusal() : HookRefusal::None;
    entry.MsgHook = m_library.Install(kGetMessageHook, m_getMessageProcedure, thread);
    if (entry.MsgHook == 0 && refusal == HookRefusal::None) refusal = m_library.InstallRefusal();
    if (refusal != HookRefusal::None) DropHooks(entry);
    return refusal;
}

HookRefusal HookBinding::InstallByCompanion(TSessionEntry& entry, ThreadId thread) {
    const bool refusedThisScan =
        m_companionRefusal != HookRefusal::None && m_companionRefusal != HookRefusal::CompanionStarting;
    if (!refusedThisScan) m_companionRefusal = m_companion.EnsureRunning();
    if (m_companionRefusal != HookRefusal::None) return m_companionRefusal;
    entry.KeyHook = m_companion.Install(kKeyboardHook, thread);
    if (entry.KeyHook != 0) entry.MsgHook = m_companion.Install(kGetMessageHook, thread);
    if (entry.MsgHook != 0) return HookRefusal::None;
    const HookRefusal refusal = m_companion.InstallRefusal();
    // A host that stopped answering was ended: not started again before the next scan.
    if (refusal == HookRefusal::CompanionSilent) m_companionRefusal = refusal;
    DropHooks(entry);
    return refusal;
}

// Each hook on its own: a keyboard hook left behind because the other one
// never installed (or would not go) would report for the session's slot long
// after the session has gone.
void HookBinding::UnhookSession(TSessionEntry& entry) {
    const auto unhook = [this, &entry](HookId hook) {
        if (hook != 0) entry.ViaCompanion ? m_companion.Unhook(hook) : m_library.Unhook(hook);
    };
    unhook(entry.MsgHook);
    unhook(entry.KeyHook);
}

void HookBinding::DropHooks(TSessionEntry& entry) {
    UnhookSession(entry);
    entry.MsgHook = 0;
    entry.KeyHook = 0;
}

}  // namespace ql
