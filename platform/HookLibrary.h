#pragma once
// The hook library as the supervisor binds it: loaded by file name from the
// program's own folder, its procedures resolved by export name and
// installed as thread hooks.
#include <cstdint>

#include "platform/Types.h"

namespace ql {

constexpr int kKeyboardHook = 2;    // WH_KEYBOARD
constexpr int kGetMessageHook = 3;  // WH_GETMESSAGE

// Why a session's hooks could not be placed.
enum class HookRefusal : std::uint8_t {
    None,
    NoCompanion,       // the 64-bit companion's files are missing or it would not start
    CompanionSilent,   // the companion did not answer in time
    CompanionStarting, // the companion was started and has not answered yet: ask again later
    AccessDenied,      // the program runs with more rights than Quorlan (or in an app container)
    Refused,           // the system refused for another reason
    NoAnswer,          // placed, but the hook library never answered the start message
};

class HookLibrary {
public:
    virtual ~HookLibrary() = default;

    // The file of that name beside the program, never one found by searching.
    virtual bool Load(const char* fileName) = 0;
    // 0 when the library has no export of that name.
    virtual ProcAddress Resolve(const char* exportName) = 0;
    // Installs procedure (from the loaded library) as a hook of the given kind
    // on one thread; 0 on failure, and for thread 0 (never a global hook).
    virtual HookId Install(int hookKind, ProcAddress procedure, ThreadId thread) = 0;
    virtual bool Unhook(HookId hook) = 0;
    // Why the latest Install returned 0.
    virtual HookRefusal InstallRefusal() const = 0;
    // The system's error code of the latest Load or Resolve that failed.
    virtual std::uint32_t LoadError() const = 0;
    // Frees the loaded library; harmless when none is loaded.
    virtual void Release() = 0;
};

// The 64-bit companion: a host process that places hooks of QL_lib64.dll in
// 64-bit programs for the supervisor, which cannot do so itself. Every call
// returns within a quarter of a second, also when the host hangs or is still
// starting: the supervisor's interface thread never waits longer.
class CompanionHost {
public:
    virtual ~CompanionHost() = default;

    // Starts the host unless it runs or is starting; HookRefusal::None once
    // it answers, CompanionStarting while a host started earlier has not
    // answered yet (for a few seconds at most, then CompanionSilent).
    virtual HookRefusal EnsureRunning() = 0;
    // True, once, after a host that was running has ended (or been ended
    // for not answering): the hooks it placed went with it.
    virtual bool Ended() = 0;
    virtual HookId Install(int hookKind, ThreadId thread) = 0;
    virtual bool Unhook(HookId hook) = 0;
    // Why the latest Install returned 0.
    virtual HookRefusal InstallRefusal() const = 0;
};

}  // namespace ql
