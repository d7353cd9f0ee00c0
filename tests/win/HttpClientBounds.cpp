// The real HTTP client against a local server: what each server behaviour
// yields, and that no behaviour keeps the caller longer than the request's
// bound (with room for a loaded machine; without the bound, the slow cases
// would never end).
#include <doctest/doctest.h>

#include <windows.h>
// After windows.h, which they need.
#include <psapi.h>
#include <tlhelp32.h>

#include <string>

#include "LocalHttpServer.h"
#include "WinTestSupport.h"
#include "platform/win32/Win32HttpClient.h"
#include "release/ReleaseResponse.h"

namespace ql::test {
namespace {

constexpr unsigned kBoundMs = 1500;
constexpr DWORD kLatestReturnMs = kBoundMs + 2500;

TEST_CASE("every server behaviour yields its outcome within the request's bound") {
    using Behaviour = LocalHttpServer::Behaviour;
    struct Case {
        const char* name;
        Behaviour behaviour;
        bool refused;
        HttpGetResult expected;
        int bodyHasMarker;  // -1: either (how much of a trickled body arrives is the client's affair)
    };
    const Case cases[] = {
        {"answers", Behaviour::Answer, false, HttpGetResult::BodyComplete, 1},
        {"refused", Behaviour::Answer, true, HttpGetResult::NoResponse, 0},
        {"silent", Behaviour::Silent, false, HttpGetResult::NoResponse, 0},
        {"headers a byte at a time", Behaviour::SlowHeaders, false, HttpGetResult::NoResponse, 0},
        {"body a byte at a time", Behaviour::SlowBody, false, HttpGetResult::BodyCut, -1},
        {"endless body", Behaviour::EndlessBody, false, HttpGetResult::BodyCut, 1},
        {"header lines without end", Behaviour::EndlessHeaders, false, HttpGetResult::NoResponse, 0},
    };
    for (const Case& c : cases) {
        CAPTURE(std::string(c.name));
        LocalHttpServer server(c.behaviour, "RELEASE=\"00.60.00\"");
        REQUIRE(server.Listening());
        const unsigned short port = c.refused ? LocalHttpServer::UnusedPort() : server.Port();
        const HttpGetRequest request{"anonimous", "127.0.0.1", port, "/Release/Quorlan.php?PROD=Quorlan.exe", kBoundMs};
        ReleaseBody body;
        win32::Win32HttpClient client;

        const DWORD start = GetTickCount();
        const HttpGetResult result = client.Get(request, body);
        const DWORD spent = GetTickCount() - start;

        MESSAGE(std::string(c.name) << ": " << spent << " ms");
        CHECK(static_cast<int>(result) == static_cast<int>(c.expected));
        CHECK(spent < kLatestReturnMs);
        const bool hasMarker = body.Text().find("RELEASE=\"00.60.00\"") != std::string::npos;
        if (c.bodyHasMarker >= 0) CHECK(hasMarker == (c.bodyHasMarker == 1));
        if (c.behaviour == Behaviour::Answer && !c.refused) {
            REQUIRE(server.RequestLines().size() == 1);
            CHECK(server.RequestLines()[0] == "GET /Release/Quorlan.php?PROD=Quorlan.exe HTTP/1.1");
        }
    }
}


int ThreadsOfThisProcess() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

SIZE_T WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.WorkingSetSize : 0;
}

TEST_CASE("a server sending header lines without end costs little memory, and the thread ends soon after the bound") {
    LocalHttpServer server(LocalHttpServer::Behaviour::EndlessHeaders);
    REQUIRE(server.Listening());
    const HttpGetRequest request{"anonimous", "127.0.0.1", server.Port(), "/Release/Quorlan.php?PROD=Quorlan.exe", 4000};
    ReleaseBody body;
    win32::Win32HttpClient client;
    const int threadsBefore = ThreadsOfThisProcess();

    const HttpGetResult result = client.Get(request, body);
    const DWORD returned = GetTickCount();
    CHECK(static_cast<int>(result) == static_cast<int>(HttpGetResult::NoResponse));
    // The check's thread is gone within 2 s after the bound.
    CHECK(WaitUntil([&] { return ThreadsOfThisProcess() <= threadsBefore; }, 2000));
    MESSAGE("thread gone " << GetTickCount() - returned << " ms after the bound; working set "
                           << WorkingSet() / 1024 << " KiB");
    CHECK(WorkingSet() < SIZE_T{64} * 1024 * 1024);
}

}  // namespace
}  // namespace ql::test
