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

bool UpgradeSignalRaised() {
    const UniqueHandle signal(::OpenEventA(kWatcherAccess, FALSE, kUpgradeSignalName));
    return signal && OwnedByAdministrators(signal.get()) && ::WaitForSingleObject(signal.get(), 0) == WAIT_OBJECT_0;
}

}  // namespace ql::win32
