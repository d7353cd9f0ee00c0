// QL_host64.exe, the 64-bit companion: places and removes the hooks of
// QL_lib64.dll in 64-bit programs on behalf of the supervisor, whose own
// 32-bit hook library cannot run there. Started by the supervisor with its
// process id; asked through a message-only window titled with that id; ends
// when the supervisor ends, and the hooks it placed end with it.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "core/HookProtocol.h"
#include "platform/win32/ProgramFolder.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Window.h"

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

class CompanionWindow final : public ql::win32::Window {
public:
    CompanionWindow(const HookProcedures& procedures, const char* title) : m_procedures(procedures) {
        CreateWindowOf(proto::kCompanionClass, title, 0, 0, 0, 0, 0, 0, HWND_MESSAGE);
    }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == proto::kPlaceHookMessage) return Place(wParam, lParam);
        if (message == proto::kRemoveHookMessage) return Remove(wParam);
        return Window::HandleMessage(message, wParam, lParam);
    }

    // The answer is the handle's low 32 bits (all that is significant in a
    // user handle), or 0 minus the system's error code.
    LRESULT Place(WPARAM kind, LPARAM thread) {
        const HOOKPROC procedure = kind == WH_KEYBOARD ? m_procedures.keyboard
                                   : kind == WH_GETMESSAGE ? m_procedures.getMessage
                                                           : nullptr;
        const auto threadId = static_cast<DWORD>(thread);
        // Thread 0 would be a global hook in every program of the desktop.
        if (procedure == nullptr || threadId == 0) return -static_cast<LRESULT>(ERROR_INVALID_PARAMETER);
        UniqueHook* free = FreeEntry();
        if (free == nullptr) return -static_cast<LRESULT>(ERROR_NOT_ENOUGH_QUOTA);
        HHOOK hook = ::SetWindowsHookExA(static_cast<int>(kind), procedure, m_procedures.library, threadId);
        if (hook == nullptr) {
            const DWORD error = ::GetLastError();
            return -static_cast<LRESULT>(error != 0 ? error : ERROR_GEN_FAILURE);
        }
        free->reset(hook);
        return static_cast<LRESULT>(LowWord32(hook));
    }

    // Only a hook this host placed is removed, whatever the request names.
    LRESULT Remove(WPARAM handle) {
        for (UniqueHook& hook : m_hooks) {
            if (hook && LowWord32(hook.get()) == static_cast<DWORD>(handle)) {
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

// The supervisor's process id: decimal digits only, and a value that fits.
DWORD ParseProcessId(const char* text) {
    std::string digits(text != nullptr ? text : "");
    while (!digits.empty() && digits.back() == ' ') digits.pop_back();
    if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos) return 0;
    const unsigned long long value = std::strtoull(digits.c_str(), nullptr, 10);
    return value <= 0xFFFFFFFFull ? static_cast<DWORD>(value) : 0;
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

// Messages until the supervisor's process ends.
void RunUntilEnded(HANDLE supervisor) {
    for (;;) {
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &supervisor, FALSE, INFINITE, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1) return;
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return;
            ::DispatchMessageA(&message);
        }
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    const DWORD supervisorId = ParseProcessId(commandLine);
    UniqueHandle supervisor(supervisorId != 0 ? ::OpenProcess(SYNCHRONIZE, FALSE, supervisorId) : nullptr);
    if (!supervisor) return 2;
    UniqueModule library = LoadHookLibrary();
    const HookProcedures procedures{library.get(), Resolve<HOOKPROC>(library.get(), "_InterceptaT"),
                                    Resolve<HOOKPROC>(library.get(), "_InterceptaM")};
    if (!library || procedures.keyboard == nullptr || procedures.getMessage == nullptr) return 3;
    CompanionWindow window(procedures, std::to_string(supervisorId).c_str());
    if (window.Handle() == nullptr) return 4;
    RunUntilEnded(supervisor.get());
    return 0;
}
