#include "platform/win32/Win32CompanionHost.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/HookProtocol.h"
#include "platform/win32/ProgramFolder.h"

namespace ql::win32 {

namespace {

namespace proto = hookproto;

bool FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// One pipe's two ends.
struct Pipe {
    UniqueHandle read;
    UniqueHandle write;
    bool Create() {
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        if (!::CreatePipe(&readEnd, &writeEnd, nullptr, 4096)) return false;
        read.reset(readEnd);
        write.reset(writeEnd);
        return true;
    }
};

UniqueHandle NewEvent() { return UniqueHandle(::CreateEventA(nullptr, FALSE, FALSE, nullptr)); }

// A handle of this process that the host may wait on, and nothing more.
UniqueHandle OwnProcessForWaiting() {
    HANDLE own = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(), &own, SYNCHRONIZE,
                           FALSE, 0)) {
        return UniqueHandle();
    }
    return UniqueHandle(own);
}

// The handles the host inherits, and no other: they are made inheritable
// only for the moment of the start and listed explicitly, so that no other
// handle of this process (the log file, for one) reaches the host.
class InheritedHandles {
public:
    explicit InheritedHandles(std::vector<HANDLE> handles) : m_handles(std::move(handles)) {
        for (HANDLE handle : m_handles) ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        m_storage.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_storage.data());
        if (size != 0 && ::InitializeProcThreadAttributeList(list, 1, 0, &size)) {
            m_list = list;
            if (!::UpdateProcThreadAttribute(m_list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, m_handles.data(),
                                             m_handles.size() * sizeof(HANDLE), nullptr, nullptr)) {
                ::DeleteProcThreadAttributeList(m_list);
                m_list = nullptr;
            }
        }
    }
    ~InheritedHandles() {
        if (m_list != nullptr) ::DeleteProcThreadAttributeList(m_list);
        for (HANDLE handle : m_handles) ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
    }
    InheritedHandles(const InheritedHandles&) = delete;
    InheritedHandles& operator=(const InheritedHandles&) = delete;

    // Null when the system keeps no list: then every inheritable handle
    // goes, and this process makes no other handle inheritable.
    LPPROC_THREAD_ATTRIBUTE_LIST List() const { return m_list; }

    std::string CommandLineValues() const {
        std::string values;
        for (HANDLE handle : m_handles) {
            char text[16];
            std::snprintf(text, sizeof text, " %lu", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(handle)));
            values += text;
        }
        return values;
    }

private:
    std::vector<HANDLE> m_handles;
    std::vector<char> m_storage;
    LPPROC_THREAD_ATTRIBUTE_LIST m_list = nullptr;
};

}  // namespace

bool Win32CompanionHost::ProcessEnded() const {
    return !m_process || ::WaitForSingleObject(m_process.get(), 0) != WAIT_TIMEOUT;
}

HookRefusal Win32CompanionHost::EnsureRunning() {
    if (m_state == State::Running && !ProcessEnded()) return HookRefusal::None;
    if (m_state == State::Starting) return AwaitReady(0);
    EndHost();
    m_ended = false;  // this start is not news to the caller
    return Start();
}

bool Win32CompanionHost::Ended() {
    if (m_state == State::Running && ProcessEnded()) EndHost();
    const bool ended = m_ended;
    m_ended = false;
    return ended;
}

void Win32CompanionHost::EndHost() {
    if (m_process) ::TerminateProcess(m_process.get(), 1);
    if (m_state == State::Running) m_ended = true;
    m_state = State::Stopped;
    m_process.reset();
    m_requests.reset();
    m_requestReady.reset();
    m_answers.reset();
    m_answerReady.reset();
}

HookRefusal Win32CompanionHost::Start() {
    const std::string folder = ProgramFolder();
    const std::string host = folder + proto::kCompanionHost;
    if (folder.empty() || !FileExists(host) || !FileExists(folder + proto::kCompanionLibrary)) {
        return HookRefusal::NoCompanion;
    }
    Pipe requests;
    Pipe answers;
    m_requestReady = NewEvent();
    m_answerReady = NewEvent();
    UniqueHandle supervisor = OwnProcessForWaiting();
    if (!requests.Create() || !answers.Create() || !m_requestReady || !m_answerReady || !supervisor) {
        EndHost();
        return HookRefusal::NoCompanion;
    }
    PROCESS_INFORMATION started{};
    {
        const InheritedHandles inherited({supervisor.get(), requests.read.get(), m_requestReady.get(),
                                          answers.write.get(), m_answerReady.get()});
        std::string commandLine = "\"" + host + "\"" + inherited.CommandLineValues();
        STARTUPINFOEXA startup{};
        startup.StartupInfo.cb = inherited.List() != nullptr ? sizeof startup : sizeof startup.StartupInfo;
        startup.lpAttributeList = inherited.List();
        const DWORD flags = inherited.List() != nullptr ? EXTENDED_STARTUPINFO_PRESENT : 0;
        if (!::CreateProcessA(host.c_str(), &commandLine[0], nullptr, nullptr, TRUE, flags, nullptr, folder.c_str(),
                              &startup.StartupInfo, &started)) {
            EndHost();
            return HookRefusal::NoCompanion;
        }
    }
    ::CloseHandle(started.hThread);
    m_process.reset(started.hProcess);
    // The host's ends stay with the host alone: a host that dies breaks
    // the pipes instead of leaving them open here.
    m_requests = std::move(requests.write);
    m_answers = std::move(answers.read);
    m_state = State::Starting;
    m_startedAt = ::GetTickCount();
    return AwaitReady(kFirstAnswerWaitMs);
}

HookRefusal Win32CompanionHost::AwaitReady(DWORD waitMs) {
    const DWORD elapsed = ::GetTickCount() - m_startedAt;
    const DWORD left = elapsed < kStartWaitMs ? kStartWaitMs - elapsed : 0;
    const HANDLE waits[] = {m_answerReady.get(), m_process.get()};
    const DWORD woken = ::WaitForMultipleObjects(2, waits, FALSE, waitMs < left ? waitMs : left);
    int answer = 0;
    if (woken == WAIT_OBJECT_0 && ReadAnswer(&answer) && answer == proto::kCompanionReady) {
        m_state = State::Running;
        return HookRefusal::None;
    }
    if (woken == WAIT_OBJECT_0 + 1) {
        // A host that ends at once found no library it could use.
        EndHost();
        return HookRefusal::NoCompanion;
    }
    if (woken == WAIT_TIMEOUT && waitMs < left) return HookRefusal::CompanionStarting;
    EndHost();
    return HookRefusal::CompanionSilent;
}

// Never blocks: an answer is read only once all of it has arrived.
bool Win32CompanionHost::ReadAnswer(int* answer) {
    proto::CompanionAnswer received{};
    DWORD available = 0;
    DWORD read = 0;
    if (!::PeekNamedPipe(m_answers.get(), nullptr, 0, nullptr, &available, nullptr) ||
        available < sizeof received ||
        !::ReadFile(m_answers.get(), &received, sizeof received, &read, nullptr) || read != sizeof received) {
        return false;
    }
    *answer = received.value;
    return true;
}

bool Win32CompanionHost::Ask(unsigned verb, unsigned argument, unsigned thread, int* answer) {
    const proto::CompanionRequest request{verb, argument, thread};
    DWORD written = 0;
    const bool answered = m_state == State::Running && !ProcessEnded() &&
                          ::WriteFile(m_requests.get(), &request, sizeof request, &written, nullptr) &&
                          written == sizeof request && ::SetEvent(m_requestReady.get()) &&
                          ::WaitForSingleObject(m_answerReady.get(), kAnswerWaitMs) == WAIT_OBJECT_0 &&
                          ReadAnswer(answer);
    if (!answered) EndHost();
    return answered;
}

HookId Win32CompanionHost::Install(int hookKind, ThreadId thread) {
    int answer = 0;
    if (!Ask(proto::kPlaceHook, static_cast<unsigned>(hookKind), static_cast<unsigned>(thread), &answer)) {
        m_refusal = HookRefusal::CompanionSilent;
        return 0;
    }
    if (answer > 0) {
        m_refusal = HookRefusal::None;
        return static_cast<HookId>(answer);
    }
    m_refusal = answer == -static_cast<int>(ERROR_ACCESS_DENIED) ? HookRefusal::AccessDenied : HookRefusal::Refused;
    return 0;
}

bool Win32CompanionHost::Unhook(HookId hook) {
    int answer = 0;
    return Ask(proto::kRemoveHook, static_cast<unsigned>(hook), 0, &answer) && answer == 1;
}

}  // namespace ql::win32
