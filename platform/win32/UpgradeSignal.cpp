#include "platform/win32/UpgradeSignal.h"

#include <sddl.h>

#include "platform/win32/Ownership.h"

namespace ql::win32 {

namespace {

using UniqueLocal = UniqueAny<HLOCAL, decltype(&::LocalFree), ::LocalFree>;

// Owned by the administrators; the system and the administrators may do
// anything with it, everyone else only wait on it and read who owns it.
constexpr char kSignalSecurity[] = "O:BAD:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00120000;;;WD)";
constexpr DWORD kWatcherAccess = SYNCHRONIZE | READ_CONTROL;

}  // namespace

bool OwnedByAdministrators(HANDLE object) { return OwnedByAdministrators(object, SE_KERNEL_OBJECT); }

UniqueHandle RaiseUpgradeSignal() {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(kSignalSecurity, SDDL_REVISION_1, &descriptor,
                                                                nullptr)) {
        return UniqueHandle();
    }
    const UniqueLocal held(descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    UniqueHandle signal(::CreateEventA(&attributes, TRUE, FALSE, kUpgradeSignalName));
    if (!signal || !OwnedByAdministrators(signal.get())) return UniqueHandle();
    ::SetEvent(signal.get());
    return signal;
}

UpgradeWatcher::UpgradeWatcher(HWND window, UINT message)
    : m_window(window), m_message(message), m_stop(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    if (m_stop) m_thread.reset(::CreateThread(nullptr, 0, &UpgradeWatcher::ThreadMain, this, 0, nullptr));
}

UpgradeWatcher::~UpgradeWatcher() {
    if (!m_thread) return;
    ::SetEvent(m_stop.get());
    ::WaitForSingleObject(m_thread.get(), INFINITE);
}

DWORD WINAPI UpgradeWatcher::ThreadMain(void* self) {
    static_cast<UpgradeWatcher*>(self)->Watch();
    return 0;
}

// The event exists only while an installer runs: looked for, not waited on,
// until it appears.
void UpgradeWatcher::Watch() {
    while (::WaitForSingleObject(m_stop.get(), kLookEveryMs) == WAIT_TIMEOUT) {
        UniqueHandle signal(::OpenEventA(kWatcherAccess, FALSE, kUpgradeSignalName));
        if (!signal || !OwnedByAdministrators(signal.get())) continue;
        const HANDLE waits[] = {m_stop.get(), signal.get()};
        if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
        ::PostMessageA(m_window, m_message, 0, 0);
        return;
    }
}

}  // namespace ql::win32
