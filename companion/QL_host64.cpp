// QL_host64.exe, the 64-bit companion: places and removes the hooks of
// QL_lib64.dll in 64-bit programs on behalf of the supervisor, whose own
// 32-bit hook library cannot run there. It owns no window and answers only
// what arrives through the channel the supervisor handed down when it
// started it (see core/HookProtocol.h); it ends when the supervisor ends or
// closes the channel, and the hooks it placed end with it.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "core/HookProtocol.h"
#include "platform/win32/DllSearch.h"
#include "platform/win32/ProgramFolder.h"
#include "platform/win32/UniqueHandle.h"

namespace {

using ql::win32::UniqueHandle;
using ql::win32::UniqueHook;
using ql::win32::UniqueModule;
namespace proto = ql::hookproto;

// Two hooks for each session the supervisor can track.
constexpr int kHookCapacity = 2 * proto::kSessionSlots;

struct HookProcedures {
    HMODULE library = nullptr;
    HOOKPROC keyboard = nullptr;
    HOOKPROC getMessage = nullptr;
};

// The hooks this host placed; only these are ever removed.
class HookTable {
public:
    explicit HookTable(const HookProcedures& procedures) : m_procedures(procedures) {}

    int Answer(const proto::CompanionRequest& request) {
        switch (request.verb) {
        case proto::kPlaceHook: return Place(request.argument, request.thread);
        case proto::kRemoveHook: return Remove(request.argument);
        default: return -static_cast<int>(ERROR_INVALID_FUNCTION);
        }
    }

private:
    // The handle's low 32 bits (all that is significant in a user handle),
    // or 0 minus the system's error code.
    int Place(unsigned kind, unsigned thread) {
        const HOOKPROC procedure = kind == WH_KEYBOARD ? m_procedures.keyboard
                                   : kind == WH_GETMESSAGE ? m_procedures.getMessage
                                                           : nullptr;
        // Thread 0 would be a global hook in every program of the desktop.
        if (procedure == nullptr || thread == 0) return -static_cast<int>(ERROR_INVALID_PARAMETER);
        UniqueHook* free = FreeEntry();
        if (free == nullptr) return -static_cast<int>(ERROR_NOT_ENOUGH_QUOTA);
        HHOOK hook = ::SetWindowsHookExA(static_cast<int>(kind), procedure, m_procedures.library, thread);
        if (hook == nullptr) {
            const DWORD error = ::GetLastError();
            return -static_cast<int>(error != 0 ? error : ERROR_GEN_FAILURE);
        }
        free->reset(hook);
        return static_cast<int>(LowWord32(hook));
    }

    int Remove(unsigned handle) {
        for (UniqueHook& hook : m_hooks) {
            if (hook && LowWord32(hook.get()) == handle) {
                hook.reset();
                return 1;
            }
        }
        return 0;
    }

    UniqueHook* FreeEntry() {
        for (UniqueHook& hook : m_hooks) {
            if (!hook) return &hook;
        }
        return nullptr;
    }

    static DWORD LowWord32(HHOOK hook) { return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(hook)); }

    HookProcedures m_procedures;
    UniqueHook m_hooks[kHookCapacity];
};

// The inherited handles, in command-line order.
struct Channel {
    HANDLE supervisor = nullptr;
    HANDLE requests = nullptr;
    HANDLE requestReady = nullptr;
    HANDLE answers = nullptr;
    HANDLE answerReady = nullptr;
};

// Decimal handle values separated by blanks, each one a handle this process
// holds; anything else leaves the host without a channel.
bool ParseChannel(const char* commandLine, Channel& channel) {
    HANDLE* const fields[proto::kCompanionChannelHandles] = {&channel.supervisor, &channel.requests,
                                                             &channel.requestReady, &channel.answers,
                                                             &channel.answerReady};
    const char* at = commandLine != nullptr ? commandLine : "";
    for (HANDLE* field : fields) {
        while (*at == ' ') ++at;
        unsigned long long value = 0;
        int digits = 0;
        for (; *at >= '0' && *at <= '9'; ++at) {
            if (++digits > 10) return false;
            value = value * 10 + static_cast<unsigned>(*at - '0');
        }
        if (digits == 0 || value == 0 || value > 0xFFFFFFFFull || (*at != ' ' && *at != '\0')) return false;
        *field = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value));
        DWORD flags = 0;
        if (!::GetHandleInformation(*field, &flags)) return false;
    }
    while (*at == ' ') ++at;
    return *at == '\0';
}

// Own every handle of the channel from here on.
struct ChannelOwner {
    explicit ChannelOwner(const Channel& channel)
        : supervisor(channel.supervisor), requests(channel.requests), requestReady(channel.requestReady),
          answers(channel.answers), answerReady(channel.answerReady) {}
    UniqueHandle supervisor, requests, requestReady, answers, answerReady;
};

bool ReadExactly(HANDLE pipe, void* buffer, DWORD size) {
    auto* bytes = static_cast<char*>(buffer);
    while (size > 0) {
        DWORD read = 0;
        if (!::ReadFile(pipe, bytes, size, &read, nullptr) || read == 0) return false;
        bytes += read;
        size -= read;
    }
    return true;
}

bool SendAnswer(const ChannelOwner& channel, int value) {
    const proto::CompanionAnswer answer{value};
    DWORD written = 0;
    if (!::WriteFile(channel.answers.get(), &answer, sizeof answer, &written, nullptr) || written != sizeof answer) {
        return false;
    }
    return ::SetEvent(channel.answerReady.get()) != FALSE;
}

// QL_lib64.dll from our own folder, never from the search path.
UniqueModule LoadHookLibrary() {
    const std::string folder = ql::win32::ProgramFolder();
    if (folder.empty()) return UniqueModule();
    return UniqueModule(::LoadLibraryA((folder + proto::kCompanionLibrary).c_str()));
}

template <typename Procedure>
Procedure Resolve(HMODULE module, const char* name) {
    return reinterpret_cast<Procedure>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// Requests until the supervisor ends or breaks the channel. Messages are
// dispatched meanwhile: the system may call a hook's owner thread.
void Serve(const ChannelOwner& channel, HookTable& hooks) {
    const HANDLE waits[] = {channel.supervisor.get(), channel.requestReady.get()};
    for (;;) {
        const DWORD woken = ::MsgWaitForMultipleObjects(2, waits, FALSE, INFINITE, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0 + 1) {
            proto::CompanionRequest request{};
            if (!ReadExactly(channel.requests.get(), &request, sizeof request)) return;
            if (!SendAnswer(channel, hooks.Answer(request))) return;
            continue;
        }
        if (woken != WAIT_OBJECT_0 + 2) return;
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return;
            ::DispatchMessageA(&message);
        }
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    ql::win32::RestrictDllSearchToSystem();
    Channel handed;
    if (!ParseChannel(commandLine, handed)) return 2;
    const ChannelOwner channel(handed);
    UniqueModule library = LoadHookLibrary();
    const HookProcedures procedures{library.get(), Resolve<HOOKPROC>(library.get(), "_InterceptaT"),
                                    Resolve<HOOKPROC>(library.get(), "_InterceptaM")};
    if (!library || procedures.keyboard == nullptr || procedures.getMessage == nullptr) return 3;
    HookTable hooks(procedures);
    if (!SendAnswer(channel, proto::kCompanionReady)) return 4;
    Serve(channel, hooks);
    return 0;
}
