#pragma once
// Quorlan.exe started in a scratch folder with its settings, supervising one
// test program started before it; its log, and its event log as Wine traces
// it (when the runner keeps the traces).
#include <doctest/doctest.h>

#include <algorithm>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "WinTestSupport.h"

namespace ql::test {

// First scan after 5 s, the start answer, the idle limit and the closing ticks.
constexpr DWORD kScenarioTimeout = 30000;

struct ClosingScenario {
    WineTraces traces;  // from before Quorlan starts
    ScratchFolder folder;
    std::unique_ptr<TestAppProcess> app;
    std::unique_ptr<QuorlanProcess> quorlan;

    ClosingScenario(const SupervisorSettings& settings, const std::string& className,
                    const std::string& appArguments = "") {
        SupervisorSettings withProgram = settings;
        withProgram.program = className;
        folder.Write("Quorlan.ini", IniText(withProgram));
        app = std::make_unique<TestAppProcess>(folder, className, appArguments);
        REQUIRE(app->Windows().size() >= 1);
        quorlan = std::make_unique<QuorlanProcess>(folder, BinPath("Quorlan.exe"), QuorlanProcess::Icons::Copied,
                                                   traces.Kept() ? ChildEnvironment{"+eventlog", ""}
                                                                 : ChildEnvironment{});
        REQUIRE(quorlan->Started());
    }
    std::string Log() const { return folder.Read("Quorlan.exe.Log"); }
    int LogCount(const std::string& text) const { return CountOf(Log(), text); }
    bool WaitForLog(const std::string& text, DWORD timeoutMs = kScenarioTimeout) const {
        return WaitForFileText(folder.File("Quorlan.exe.Log"), text, timeoutMs);
    }
    // The texts Quorlan reported to the event log, in order, as Wine traces them.
    std::vector<std::string> Events() const {
        REQUIRE(traces.Kept());
        std::vector<std::string> texts;
        static const std::regex quoted(R"re(^"(.*)"\s*$)re");
        static const std::regex escaped(R"(\\(.))");
        for (const std::string& line : traces.Lines(":eventlog:ReportEventW L")) {
            std::smatch match;
            if (std::regex_search(line, match, quoted)) texts.push_back(std::regex_replace(match.str(1), escaped, "$1"));
        }
        return texts;
    }
    // How many texts reported to the event log hold part. Read from Wine's
    // traces, not from the log: a line is lost when the file is held by a
    // reader just when Quorlan writes it, as a test that polls it may do.
    int RecordCount(const std::string& part) const {
        int count = 0;
        for (const std::string& text : Events()) count += text.find(part) != std::string::npos ? 1 : 0;
        return count;
    }
    bool WaitForRecord(const std::string& part, DWORD timeoutMs = kScenarioTimeout) const {
        return WaitUntil([&] { return RecordCount(part) > 0; }, timeoutMs);
    }
    // Whether the log holds a line with this text, and the event log the same text.
    void CheckRecorded(const std::string& text) const {
        CAPTURE(text);
        CHECK(Log().find("\t" + text) != std::string::npos);
        const std::vector<std::string> events = Events();
        CHECK(std::count(events.begin(), events.end(), text) == 1);
    }
};

}  // namespace ql::test
