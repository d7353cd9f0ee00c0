// The closing sequence of idle sessions and the surplus rule.
#include <doctest/doctest.h>

#include <algorithm>
#include <functional>

#include "SupervisorFixture.h"
#include "shell/AuditRecord.h"
#include "shell/KillProcess.h"

using namespace ql;
using namespace ql::test;

namespace {

constexpr unsigned kClose = msg::kClose;
constexpr unsigned kShow = msg::kShowWindow;

// One session of process 7, idle limit reached.
struct IdleSession : SupervisorFixture {
    WindowId window = desktop.AddWindow("QLApp", 7);
    IdleSession() {
        desktop.Find(window)->title = "Invoice 2041";
        processes.processes[7] = FakeProcess{};
        setup.MaxInact = 3;
        ScanAndStart();
        for (int i = 0; i < 1 + 3; ++i) AgeTick();  // the second of the answer, then three idle ones
        REQUIRE(sessions[0].CloseStage == 1);
        desktop.messages.clear();
    }
    int Stage() const { return sessions[0].CloseStage; }
    std::string Status() const { return sessions[0].Status; }
    std::vector<unsigned> Messages() const { return MessagesTo(window); }
};

}  // namespace

TEST_CASE("keys and kill: request, keys, request again, then the process is ended") {
    IdleSession f;
    f.setup.SendKeys = true;
    f.setup.CloseKill = true;
    f.setup.KeyGroup = 2;

    f.CloseTick();
    CHECK(f.Stage() == stage::kFirstRequestSent);
    CHECK(f.Status() == "Closing - [Alt+F4]");
    CHECK(f.Messages() == std::vector<unsigned>{kShow, kClose});
    const auto shown = f.desktop.MessagesTo(f.window)[0];
    CHECK(shown.wParam == 1);
    CHECK(shown.lParam == 3);
    CHECK_FALSE(shown.sent);

    f.CloseTick();
    CHECK(f.Stage() == stage::kKeysSent);
    CHECK(f.Status() == "Closing - [Sending Keystrokes]");
    CHECK(TypedKeys(f.keyboard) == std::vector<int>{13, 27});
    // The supervisor's own messages must wait: the slot table is in use.
    const std::string transcript = f.keyboard.Transcript();
    CHECK(transcript.find('~') == std::string::npos);
    // The keys get time to arrive before the foreground goes back.
    CHECK(transcript.substr(transcript.rfind(' ') + 1) == "p" + std::to_string(KeySender::kKeysArriveMs));

    f.CloseTick();
    CHECK(f.Stage() == stage::kSecondRequestSent);
    CHECK(f.Messages() == std::vector<unsigned>{kShow, kClose, kShow, kClose});

    // The kill step: a last request, then the process is given its time
    // without the interface thread waiting, and ended.
    f.CloseTick();
    CHECK(f.Stage() == stage::kKillWaiting);
    CHECK(f.Status() == "Closing/Killing !");
    CHECK(f.Messages() == std::vector<unsigned>{kShow, kClose, kShow, kClose, kClose});
    for (int step = 1; step < SessionCloser::kKillWaitSteps; ++step) f.CloseTick();
    CHECK(f.processes.processes[7].terminations == 0);
    f.sessions[0].IdleSecs = 9;
    f.CloseTick();
    CHECK(f.Stage() == stage::kNone);
    CHECK(f.sessions[0].IdleSecs == 0);
    CHECK(f.processes.processes[7].waitedMs == 0);
    CHECK(f.processes.processes[7].terminations == 1);
    CHECK(f.TrayStates().back() == "CERRANDO");
}

TEST_CASE("kill without keys: the kill step follows the first request") {
    IdleSession f;
    f.setup.CloseKill = true;
    for (int step = 0; step < 2 + SessionCloser::kKillWaitSteps; ++step) f.CloseTick();
    CHECK(f.Stage() == stage::kNone);
    CHECK(f.processes.processes[7].terminations == 1);
    CHECK(TypedKeys(f.keyboard).empty());
}

TEST_CASE("neither keys nor kill: one close request per idle period") {
    IdleSession f;
    f.CloseTick();
    f.CloseTick();
    CHECK(f.Stage() == stage::kNone);
    CHECK(f.Messages() == std::vector<unsigned>{kShow, kClose});
    CHECK(f.processes.processes[7].terminations == 0);
    // The count begins again at the next tick: three whole idle seconds follow.
    for (int second = 0; second < 4; ++second) {
        f.Tick();
        if (second < 3) CHECK(f.Messages().size() == 2);
    }
    CHECK(f.Messages().size() == 4);  // asked again after another idle period
}

TEST_CASE("a window that closes on the first request ends the sequence as closed") {
    IdleSession f;
    f.setup.SendKeys = true;
    f.setup.CloseKill = true;
    f.CloseTick();
    f.desktop.Destroy(f.window);
    f.CloseTick();
    CHECK(f.Stage() == stage::kNone);
    CHECK(f.Status() == "Closed");
    CHECK(f.sessions[0].StatusHold == 10);
    CHECK(TypedKeys(f.keyboard).empty());
    CHECK(f.processes.processes[7].terminations == 0);
    // Until the next scan frees the slot, it is marked and found gone again:
    // the idle count was kept.
    f.AgeTick();
    CHECK(f.Stage() == stage::kIdleLimitReached);
    f.CloseTick();
    CHECK(f.Status() == "Closed");
    f.Scan();
    CHECK(f.sessions[0].Window == 0);
}

TEST_CASE("the key script goes to the question the close raised, else to the topmost standard dialog") {
    IdleSession f;
    f.setup.SendKeys = true;
    f.setup.KeyGroup = 1;
    const WindowId other = f.desktop.AddWindow("Editor", 99);
    f.desktop.BringToForeground(other);
    // A tool window of the session with a modeless search box, open for long, in front.
    const WindowId tool = f.desktop.AddOwnedOverlapped(f.window, "QLAppTool");
    const WindowId findBox = f.desktop.AddWindow("#32770", 7, tool);
    f.desktop.AddWindow("#32770", 7, tool);      // further back
    f.desktop.AddWindow("#32770", 99, other);    // another program's
    WindowId question = 0;

    SUBCASE("the question the close request raised, in front") {
        f.desktop.onMessage = [&](const RecordedMessage& m) {
            if (m.message == kClose && question == 0) question = f.desktop.AddModalDialog(f.window);
        };
    }
    SUBCASE("the question, behind the search box brought forward") {
        f.desktop.onMessage = [&](const RecordedMessage& m) {
            if (m.message != kClose || question != 0) return;
            question = f.desktop.AddWindow("#32770", 7, f.window);
            f.desktop.Find(f.window)->enabled = false;
        };
    }
    SUBCASE("no question: the topmost standard dialog") {}

    f.desktop.foregroundHistory.clear();
    f.CloseTick();
    f.CloseTick();
    const WindowId expected = question != 0 ? question : findBox;
    CHECK(f.sessions[0].DialogWindow == expected);
    CHECK(f.desktop.foregroundHistory == std::vector<WindowId>{expected, other});
    CHECK(TypedKeys(f.keyboard) == std::vector<int>{9, 13, 27});
    CHECK(f.PlainLogLines().empty());
}

TEST_CASE("without a standard dialog the keys go to the session window and the miss is logged") {
    IdleSession f;
    f.setup.SendKeys = true;
    f.setup.KeyGroup = 0;
    f.CloseTick();
    f.CloseTick();
    CHECK(f.sessions[0].DialogWindow == f.window);
    CHECK(f.PlainLogLines() == std::vector<std::string>{"Standard dialog Window not found"});
    CHECK(TypedKeys(f.keyboard) == std::vector<int>{27, 27, 27});
}

TEST_CASE("keys are typed only when the activation put the session in the foreground") {
    IdleSession f;
    f.setup.SendKeys = true;
    const WindowId other = f.desktop.AddWindow("Editor", 99);
    const WindowId dialog = f.desktop.AddWindow("#32770", 7, f.window);
    f.desktop.BringToForeground(other);
    f.CloseTick();

    SUBCASE("refused: nothing typed, the skip is logged, the sequence goes on") {
        f.desktop.refuseForeground = true;
        f.CloseTick();
        CHECK(f.keyboard.Transcript().empty());
        CHECK(f.PlainLogLines() == std::vector<std::string>{SessionCloser::kKeysNotSentLogText});
        // The fixed line names no session: the event that goes with it does.
        CHECK(f.EventTexts(audit::kKeysNotTyped) ==
              std::vector<std::string>{"Keystrokes not typed into \"Invoice 2041\": the session is not in the foreground"});
        CHECK(f.EventTexts(audit::kKeysTyped).empty());
        CHECK(f.desktop.Foreground() == other);
        CHECK(f.Stage() == stage::kKeysSent);
    }
    SUBCASE("the activation lands on another window of the session's tree: typed") {
        f.desktop.BringToForeground(dialog);
        f.desktop.refuseForeground = true;
        f.CloseTick();
        CHECK(TypedKeys(f.keyboard) == std::vector<int>{13, 27});
        CHECK(f.PlainLogLines().empty());
        CHECK(f.EventTexts(audit::kKeysTyped) ==
              std::vector<std::string>{"Keystrokes typed into \"Invoice 2041\": [Enter][Esc]"});
    }
}

TEST_CASE("closing with keystrokes leaves maximised windows maximised") {
    IdleSession f;
    f.setup.SendKeys = true;
    const WindowId other = f.desktop.AddWindow("Editor", 99);
    f.desktop.Show(f.window, 3);  // SW_SHOWMAXIMIZED: no dialog, the keys go here
    f.desktop.Show(other, 3);
    f.desktop.BringToForeground(other);
    f.CloseTick();
    f.CloseTick();
    REQUIRE(TypedKeys(f.keyboard) == std::vector<int>{13, 27});
    CHECK(f.desktop.Find(f.window)->showState == show::kMaximized);
    CHECK(f.desktop.Find(other)->showState == show::kMaximized);
    CHECK(f.desktop.Foreground() == other);
}

TEST_CASE("a key group without a script still searches and activates, but types nothing") {
    IdleSession f;
    f.setup.SendKeys = true;
    f.setup.KeyGroup = 5;
    f.desktop.BringToForeground(f.desktop.AddWindow("Editor", 99));
    f.desktop.foregroundHistory.clear();
    f.CloseTick();
    f.CloseTick();
    CHECK(f.Stage() == stage::kKeysSent);
    CHECK(f.PlainLogLines().size() == 1);
    CHECK(f.EventTexts(audit::kKeysNotTyped).size() == 1);
    CHECK(f.desktop.foregroundHistory.size() == 2);
    CHECK(TypedKeys(f.keyboard).empty());
}

TEST_CASE("while the question a close request raised is open, no further request goes out; status and log say so") {
    IdleSession f;
    std::vector<WindowId> questions;
    // The program asks at every close request, stacking its questions.
    f.desktop.onMessage = [&](const RecordedMessage& m) {
        if (m.message == kClose) questions.push_back(f.desktop.AddModalDialog(f.window));
    };
    for (int second = 0; second < 3 * 6; ++second) f.Tick();  // three idle periods and more
    CHECK(questions.size() == 1);
    CHECK(f.Messages() == std::vector<unsigned>{kShow, kClose});
    CHECK(f.Status() == SessionCloser::kAwaitingAnswerStatusText);
    CHECK(f.PlainLogLines() == std::vector<std::string>{SessionCloser::kAwaitingAnswerLogText});

    // Answered without closing ("Cancel" by some other hand): the next idle period asks again.
    f.desktop.Destroy(questions[0]);
    for (int second = 0; second < 6; ++second) f.Tick();
    CHECK(questions.size() == 2);
    CHECK(f.PlainLogLines().size() == 1);
}

TEST_CASE("the surplus rule closes only the new sessions beyond the limit, once") {
    SupervisorFixture f;
    f.setup.MaxSession = 2;
    const WindowId old1 = f.desktop.AddWindow("QLApp", 1);
    const WindowId old2 = f.desktop.AddWindow("QLApp", 2);
    f.Scan();
    const WindowId new1 = f.desktop.AddWindow("QLApp", 3);
    const WindowId new2 = f.desktop.AddWindow("QLApp", 4);
    const WindowId new3 = f.desktop.AddWindow("QLApp", 5);
    f.desktop.messages.clear();
    f.Scan();
    CHECK(f.MessagesTo(old1).empty());
    CHECK(f.MessagesTo(old2).empty());
    CHECK(f.MessagesTo(new1) == std::vector<unsigned>{kStart, kShow, kClose});
    CHECK(f.MessagesTo(new2) == std::vector<unsigned>{kStart, kShow, kClose});
    CHECK(f.MessagesTo(new3) == std::vector<unsigned>{kStart, kShow, kClose});
    CHECK(std::string(f.sessions[2].Status) == "Closing - [Alt+F4]");
    CHECK(f.sessions[2].CloseStage == 0);

    f.desktop.messages.clear();
    f.Scan();  // still open, but no longer new
    CHECK(f.desktop.messages.empty());
}

TEST_CASE("the surplus rule stops at the limit and ignores an unlimited setting") {
    SupervisorFixture f;
    f.setup.MaxSession = 2;
    f.desktop.AddWindow("QLApp", 1);
    f.Scan();
    const WindowId second = f.desktop.AddWindow("QLApp", 2);
    const WindowId third = f.desktop.AddWindow("QLApp", 3);
    f.Scan();
    CHECK(f.MessagesTo(second) == std::vector<unsigned>{kStart, kShow, kClose});
    CHECK(f.MessagesTo(third) == std::vector<unsigned>{kStart});

    SupervisorFixture unlimited;
    for (int i = 0; i < 5; ++i) unlimited.desktop.AddWindow("QLApp", static_cast<ProcessId>(i));
    unlimited.Scan();
    for (const RecordedMessage& m : unlimited.desktop.messages) CHECK(m.message == kStart);
}

TEST_CASE("sessions open when supervision begins are not surplus; the limit applies to those that open later") {
    SupervisorFixture f;
    f.setup.MaxSession = 1;
    const WindowId first = f.desktop.AddWindow("QLApp", 1);
    const WindowId inFront = f.desktop.AddWindow("QLApp", 2);
    f.Scan();
    CHECK(f.MessagesTo(first) == std::vector<unsigned>{kStart});
    CHECK(f.MessagesTo(inFront) == std::vector<unsigned>{kStart});
    CHECK(f.PlainLogLines() == std::vector<std::string>{SessionCloser::kSessionsAlreadyOpenLogText});

    const WindowId later = f.desktop.AddWindow("QLApp", 3);
    f.Scan();
    CHECK(f.MessagesTo(later) == std::vector<unsigned>{kStart, kShow, kClose});
    CHECK(f.MessagesTo(first) == std::vector<unsigned>{kStart});
    CHECK(f.MessagesTo(inFront) == std::vector<unsigned>{kStart});

    SUBCASE("another program chosen: its open sessions are kept as well") {
        CopyText(f.setup.Program, "QLOther");
        const WindowId other1 = f.desktop.AddWindow("QLOther", 4);
        const WindowId other2 = f.desktop.AddWindow("QLOther", 5);
        f.Scan();
        CHECK(f.MessagesTo(other1) == std::vector<unsigned>{kStart});
        CHECK(f.MessagesTo(other2) == std::vector<unsigned>{kStart});
        CHECK(f.PlainLogLines().size() == 2);
    }
}

TEST_CASE("the kill step spares a process that shows a window the closing is not about, checked to the last") {
    IdleSession f;
    f.setup.CloseKill = true;
    f.CloseTick();
    const WindowId palette = f.desktop.AddOwnedOverlapped(f.window, "QLAppTool");
    f.desktop.Find(palette)->title = "Palette";  // the session's own: no reason to spare
    f.desktop.AddWindow("Hidden", 7);            // untitled: no work in it
    bool appearsLate = false;
    SUBCASE("a titled window of another class, there when the kill step begins") {}
    SUBCASE("the same window opened during the wait") { appearsLate = true; }
    WindowId other = 0;
    const auto openOther = [&] { other = f.desktop.AddWindow("Report", 7, 0, "Q3 figures"); };
    if (!appearsLate) openOther();
    f.CloseTick();
    if (appearsLate) {
        CHECK(f.Stage() == stage::kKillWaiting);
        openOther();
    }
    for (int step = 0; step < SessionCloser::kKillWaitSteps; ++step) f.CloseTick();
    CHECK(f.Stage() == stage::kNone);
    CHECK(f.processes.processes[7].terminations == 0);
    CHECK(f.MessagesTo(other).empty());
    CHECK(f.EventTexts(audit::kKillSkipped) ==
          std::vector<std::string>{"Process not ended: \"Invoice 2041\" shares it with a window that is not being closed"});
}

TEST_CASE("ending a process never waits: one that ended is left, one running is terminated") {
    FakeProcessControl processes;
    struct Case {
        const char* name;
        FakeProcess process;
        int result;
        int terminations;
    };
    FakeProcess ended;
    ended.exitsWithinWait = true;
    FakeProcess stubborn;
    stubborn.canTerminate = false;
    FakeProcess closed;
    closed.canOpen = false;
    const Case cases[] = {{"running", FakeProcess{}, kill::kTerminated, 1},
                          {"ended by itself", ended, kill::kEnded, 0},
                          {"termination refused", stubborn, kill::kFailed, 1},
                          {"cannot be opened", closed, kill::kFailed, 0}};
    ProcessId id = 5;
    for (const Case& c : cases) {
        CAPTURE(c.name);
        processes.processes[id] = c.process;
        CHECK(EndProcess(processes, id) == c.result);
        CHECK(processes.processes[id].terminations == c.terminations);
        CHECK(processes.processes[id].waitedMs == 0);
        ++id;
    }
    CHECK(processes.openHandles == 0);
}

TEST_CASE("the record names each session through finding, idle closing and the kill step") {
    SupervisorFixture f;
    f.processes.accounts[7] = "OFFICE\\alice";
    f.processes.processes[7] = FakeProcess{};
    f.setup.MaxInact = 2;
    f.setup.CloseKill = true;
    const WindowId window = f.desktop.AddWindow("QLApp", 7, 0, "Invoice 2041");
    f.desktop.AddWindow("QLApp", 8, 0, "Line one\r\nforged entry");  // no account known
    f.ScanAndStart();
    CHECK(f.EventTexts(audit::kSessionFound) ==
          std::vector<std::string>{"Session found: \"Invoice 2041\" (process 7, user OFFICE\\alice)",
                                   "Session found: \"Line one  forged entry\" (process 8, user unknown)"});

    f.sessions[1].Started = false;  // only the invoice ages
    f.Tick();
    f.Tick();
    f.Tick();  // marked at 2 s; the close request
    CHECK(f.EventTexts(audit::kIdleClosingBegun) ==
          std::vector<std::string>{"Closing begun: \"Invoice 2041\" was not used for 2 s"});
    for (int step = 0; step <= SessionCloser::kKillWaitSteps; ++step) f.Tick();  // the kill step
    f.desktop.Destroy(window);
    f.Scan();
    CHECK(f.EventTexts(audit::kSessionKilled) ==
          std::vector<std::string>{"Session ended by the kill step: \"Invoice 2041\" (process 7)"});
    CHECK(f.EventTexts(audit::kSessionClosed).empty());  // recorded once, as killed

    // Each recorded line is also in the log, after the fixed texts it joins.
    for (const RecordingEvents::Entry& e : f.events.entries) {
        CAPTURE(e.text);
        CHECK(std::count(f.log.lines.begin(), f.log.lines.end(), e.text) == 1);
    }
    CHECK(f.events.entries[2].type == EventType::Warning);
}

TEST_CASE("the record of a surplus session: the closing begun, then closed when it goes; a failed kill") {
    SupervisorFixture f;
    f.setup.MaxSession = 1;
    f.desktop.AddWindow("QLApp", 1, 0, "Kept");
    f.Scan();
    const WindowId surplus = f.desktop.AddWindow("QLApp", 2, 0, "Report Q3");
    f.Scan();
    CHECK(f.EventTexts(audit::kSurplusClosingBegun) ==
          std::vector<std::string>{"Closing begun: \"Report Q3\" opened beyond the 1 sessions allowed"});
    f.desktop.Destroy(surplus);
    f.Scan();
    CHECK(f.EventTexts(audit::kSessionClosed) == std::vector<std::string>{"Session closed: \"Report Q3\""});

    // A session that goes by itself, never asked to close, is not recorded as closed.
    f.desktop.Destroy(f.sessions[0].Window);
    f.Scan();
    CHECK(f.EventTexts(audit::kSessionClosed).size() == 1);

    // A process that cannot be opened is not ended: said as an error.
    const WindowId stubborn = f.desktop.AddWindow("QLApp", 3, 0, "Stubborn");
    f.processes.processes[3].canOpen = false;
    f.setup.CloseKill = true;
    f.Scan();
    const int slot = f.sessions.SlotOf(stubborn);
    f.sessions[slot].Started = true;
    f.sessions[slot].CloseStage = stage::kSecondRequestSent;  // the kill step is next
    for (int step = 0; step <= SessionCloser::kKillWaitSteps; ++step) f.CloseTick();
    CHECK(f.EventTexts(audit::kKillFailed) ==
          std::vector<std::string>{"Kill step failed: \"Stubborn\" (process 3) could not be ended"});
    CHECK(f.events.entries.back().type == EventType::Error);
}
