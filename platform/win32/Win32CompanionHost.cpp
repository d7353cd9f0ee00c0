#include "platform/win32/Win32CompanionHost.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/HookProtocol.h"
#include "platform/win32/ProgramFolder.h"

namespace ql::win32 {

namespace {

bool FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string DecimalText(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(value));
    return text;
}

}  // namespace

bool Win32CompanionHost::Running() const {
    return m_process && ::WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT && m_window != nullptr;
}

HookRefusal Win32CompanionHost::EnsureRunning() {
    if (Running()) return HookRefusal::None;
    EndHost();
    m_ended = false;  // this start is not news to the caller
    return Start();
}

bool Win32CompanionHost::Ended() {
    if (m_process && ::WaitForSingleObject(m_process.get(), 0) != WAIT_TIMEOUT) EndHost();
    const bool ended = m_ended;
    m_ended = false;
    return ended;
}

void Win32CompanionHost::EndHost() {
    if (!m_process) return;
    ::TerminateProcess(m_process.get(), 1);
    m_process.reset();
    m_window = nullptr;
    m_ended = true;
}

HookRefusal Win32CompanionHost::Start() {
    const std::string folder = ProgramFolder();
    const std::string host = folder + hookproto::kCompanionHost;
    if (folder.empty() || !FileExists(host) || !FileExists(folder + hookproto::kCompanionLibrary)) {
        return HookRefusal::NoCompanion;
    }
    std::string commandLine = "\"" + host + "\" " + DecimalText(::GetCurrentProcessId());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(host.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &started)) {
        return HookRefusal::NoCompanion;
    }
    ::CloseHandle(started.hThread);
    m_process.reset(started.hProcess);
    m_processId = started.dwProcessId;
    const DWORD begun = ::GetTickCount();
    while (::GetTickCount() - begun < kStartWaitMs) {
        m_window = FindHostWindow();
        if (m_window != nullptr) return HookRefusal::None;
        // A host that ends at once found no library it could use.
        if (::WaitForSingleObject(m_process.get(), 20) != WAIT_TIMEOUT) {
            m_process.reset();
            return HookRefusal::NoCompanion;
        }
    }
    EndHost();
    m_ended = false;
    return HookRefusal::CompanionSilent;
}

// The host's window, titled with our process id, and made by the host we
// started: no other program's window is ever asked to place hooks.
HWND Win32CompanionHost::FindHostWindow() const {
    const std::string title = DecimalText(::GetCurrentProcessId());
    HWND window = ::FindWindowExA(HWND_MESSAGE, nullptr, hookproto::kCompanionClass, title.c_str());
    DWORD owner = 0;
    if (window != nullptr) ::GetWindowThreadProcessId(window, &owner);
    return owner == m_processId ? window : nullptr;
}

bool Win32CompanionHost::Ask(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer) {
    DWORD_PTR result = 0;
    if (!Running() ||
        ::SendMessageTimeoutA(m_window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerWaitMs,
                              &result) == 0) {
        EndHost();
        return false;
    }
    *answer = static_cast<LRESULT>(result);
    return true;
}

HookId Win32CompanionHost::Install(int hookKind, ThreadId thread) {
    LRESULT answer = 0;
    if (!Ask(hookproto::kPlaceHookMessage, static_cast<WPARAM>(hookKind), static_cast<LPARAM>(thread), &answer)) {
        m_refusal = HookRefusal::CompanionSilent;
        return 0;
    }
    // Only the low 32 bits cross between 32-bit and 64-bit processes.
    const auto value = static_cast<std::int32_t>(static_cast<std::uint32_t>(answer));
    if (value > 0) {
        m_refusal = HookRefusal::None;
        return static_cast<HookId>(value);
    }
    m_refusal = value == -static_cast<std::int32_t>(ERROR_ACCESS_DENIED) ? HookRefusal::AccessDenied
                                                                        : HookRefusal::Refused;
    return 0;
}

bool Win32CompanionHost::Unhook(HookId hook) {
    LRESULT answer = 0;
    return Ask(hookproto::kRemoveHookMessage, static_cast<WPARAM>(hook), 0, &answer) && answer == 1;
}

}  // namespace ql::win32
