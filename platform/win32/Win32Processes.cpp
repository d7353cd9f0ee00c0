#include "platform/win32/Win32Processes.h"

#include "platform/win32/UniqueHandle.h"

#include <tlhelp32.h>

#include <cstdio>

namespace ql::win32 {

bool Win32ProcessList::ForEachProcess(FunctionRef<void(const char* exeFile, ProcessId process)> visit) {
    UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    if (!::Process32First(snapshot.get(), &entry)) return false;
    do {
        entry.szExeFile[MAX_PATH - 1] = '\0';  // never trust the terminator
        visit(entry.szExeFile, entry.th32ProcessID);
    } while (::Process32Next(snapshot.get(), &entry));
    return true;
}

bool Win32ProcessList::LogonSessionOf(ProcessId process, std::uint32_t& session) {
    DWORD id = 0;
    if (!::ProcessIdToSessionId(process, &id)) return false;
    session = id;
    return true;
}

ProcessId Win32ProcessList::CurrentProcess() { return ::GetCurrentProcessId(); }

namespace {

class Win32ProcessHandle final : public ProcessHandle {
public:
    explicit Win32ProcessHandle(HANDLE process) : m_process(process) {}
    bool WaitForExit(unsigned milliseconds) override {
        return ::WaitForSingleObject(m_process.get(), milliseconds) == WAIT_OBJECT_0;
    }
    bool Terminate(unsigned exitCode) override { return ::TerminateProcess(m_process.get(), exitCode) != FALSE; }

private:
    UniqueHandle m_process;
};

}  // namespace

std::unique_ptr<ProcessHandle> Win32ProcessControl::OpenForTermination(ProcessId process) {
    HANDLE handle = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, process);
    if (handle == nullptr) return nullptr;
    return std::make_unique<Win32ProcessHandle>(handle);
}

bool Win32ProcessControl::AccountOf(ProcessId process, char* buffer, std::size_t capacity) {
    if (capacity == 0) return false;
    buffer[0] = '\0';
    UniqueHandle handle(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process));
    if (!handle) return false;
    HANDLE rawToken = nullptr;
    if (!::OpenProcessToken(handle.get(), TOKEN_QUERY, &rawToken)) return false;
    UniqueHandle token(rawToken);
    // TOKEN_USER is followed by its SID in the same buffer.
    alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD length = 0;
    if (!::GetTokenInformation(token.get(), TokenUser, user, sizeof user, &length)) return false;
    char name[257] = {};
    char domain[257] = {};
    DWORD nameLength = sizeof name;
    DWORD domainLength = sizeof domain;
    SID_NAME_USE use;
    if (!::LookupAccountSidA(nullptr, reinterpret_cast<TOKEN_USER*>(user)->User.Sid, name, &nameLength, domain,
                             &domainLength, &use)) {
        return false;
    }
    name[sizeof name - 1] = '\0';
    domain[sizeof domain - 1] = '\0';
    std::snprintf(buffer, capacity, domain[0] != '\0' ? "%s\\%s" : "%s%s", domain, name);
    return true;
}

namespace {

template <typename Function>
Function Kernel32Function(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), name)));
}

bool IsWow64(HANDLE process) {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    static const auto isWow64Process = Kernel32Function<IsWow64ProcessFn>("IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64Process != nullptr && isWow64Process(process, &wow64) && wow64;
}

// 64-bit Windows: we are 64-bit ourselves, or run under WoW64.
bool SystemIs64Bit() { return sizeof(void*) == 8 || IsWow64(::GetCurrentProcess()); }

}  // namespace

// IsWow64Process2 where the system has it (it also knows ARM64 machines);
// IsWow64Process on older systems.
bool Win32ProcessControl::HasEnded(ProcessId process) {
    UniqueHandle handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, process));
    if (!handle) handle.reset(::OpenProcess(SYNCHRONIZE, FALSE, process));
    // An id that names no process any more is refused as an invalid parameter.
    if (!handle) return ::GetLastError() == ERROR_INVALID_PARAMETER;
    return ::WaitForSingleObject(handle.get(), 0) == WAIT_OBJECT_0;
}

ProcessWidth Win32ProcessControl::WidthOf(ProcessId process) {
    UniqueHandle handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    if (!handle) handle.reset(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process));
    if (!handle) return ProcessWidth::Unknown;
    using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    static const auto isWow64Process2 = Kernel32Function<IsWow64Process2Fn>("IsWow64Process2");
    USHORT processMachine = 0;
    USHORT nativeMachine = 0;
    if (isWow64Process2 != nullptr && isWow64Process2(handle.get(), &processMachine, &nativeMachine)) {
        if (processMachine != IMAGE_FILE_MACHINE_UNKNOWN) return ProcessWidth::Bits32;
        return nativeMachine == IMAGE_FILE_MACHINE_I386 ? ProcessWidth::Bits32 : ProcessWidth::Bits64;
    }
    if (IsWow64(handle.get())) return ProcessWidth::Bits32;
    return SystemIs64Bit() ? ProcessWidth::Bits64 : ProcessWidth::Bits32;
}

}  // namespace ql::win32
