// The usage record in a real folder, written by several processes at once.
#include <doctest/doctest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "usage/UsageLine.h"

namespace ql::test {
namespace {

TEST_CASE("several processes appending at once lose no line and mix none") {
    constexpr int kWriters = 4;
    constexpr int kLinesEach = 150;
    ScratchFolder folder;
    std::vector<std::unique_ptr<ChildProcess>> writers;
    for (int w = 0; w < kWriters; ++w) {
        const std::string command = "\"" + BinPath("UsageAppender.exe") + "\" writer" + std::to_string(w) + " " +
                                    std::to_string(kLinesEach);
        writers.push_back(std::make_unique<ChildProcess>(command, folder.Path()));
        REQUIRE(writers.back()->Started());
    }
    folder.Write("go", "");
    for (auto& writer : writers) {
        REQUIRE(writer->WaitForExit(60000));
        CHECK(writer->ExitCode() == 0);
    }

    const std::string text = folder.Read("Quorlan.usage.csv");
    CHECK(text.rfind(kUsageHeader, 0) == 0);
    CHECK(text.find(kUsageHeader, 1) == std::string::npos);  // one header: the file was made once
    ParsedRecord parsed;
    ParseUsageRecord(text, parsed);
    CHECK(parsed.unreadable == 0);
    REQUIRE(parsed.sessions.size() == static_cast<std::size_t>(kWriters * kLinesEach));
    // Each writer's lines are all there, in the order it wrote them.
    std::map<std::string, std::uint32_t> nextOf;
    for (const UsageSession& session : parsed.sessions) {
        const std::string tag = session.user.substr(0, session.user.find(','));
        CHECK(session.user == tag + ", \"no. " + std::to_string(nextOf[tag]) + "\"\r\nend");
        CHECK(session.logonSession == nextOf[tag]);
        ++nextOf[tag];
    }
    CHECK(nextOf.size() == static_cast<std::size_t>(kWriters));
}

}  // namespace
}  // namespace ql::test
