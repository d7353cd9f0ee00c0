#pragma once
// The hook library as the supervisor binds it: loaded by file name, its
// procedures resolved by export name and installed as thread hooks.
#include "platform/Types.h"

namespace ql {

constexpr int kKeyboardHook = 2;    // WH_KEYBOARD
constexpr int kGetMessageHook = 3;  // WH_GETMESSAGE

class HookLibrary {
public:
    virtual ~HookLibrary() = default;

    virtual bool Load(const char* fileName) = 0;
    // 0 when the library has no export of that name.
    virtual ProcAddress Resolve(const char* exportName) = 0;
    // Installs procedure (from the loaded library) as a hook of the given kind
    // on one thread; 0 on failure, and for thread 0 (never a global hook).
    virtual HookId Install(int hookKind, ProcAddress procedure, ThreadId thread) = 0;
    virtual bool Unhook(HookId hook) = 0;
    // Frees the loaded library; harmless when none is loaded.
    virtual void Release() = 0;
};

}  // namespace ql
