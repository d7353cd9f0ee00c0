#pragma once
// A supervisor wired to fakes, with the hook library bound and the
// supervised program's class prefix set.
#include <string>
#include <vector>

#include "FakeDesktop.h"
#include "FakeHookLibrary.h"
#include "FakeKeyboard.h"
#include "FakeProcesses.h"
#include "Recorders.h"
#include "TestSettings.h"
#include "core/Text.h"
#include "supervisor/Supervisor.h"

namespace ql::test {

constexpr WindowId kMainWindow = 0x77770;
constexpr unsigned kStart = report::kStartMessage;
constexpr unsigned kReport = report::kReportMessage;

struct SupervisorFixture {
    FakeDesktop desktop;
    FakeHookLibrary library;
    FakeCompanionHost companion;
    FakeProcessControl processes;
    FakeKeyboard keyboard;
    EventTrail trail;
    RecordingLog log{&trail};
    RecordingErrors errors{&trail};
    RecordingTray tray;
    RecordingStatusView view;
    RecordingEvents events;
    TestSettings settings;
    TSetup& setup = settings.setup;
    Supervisor supervisor{SupervisorServices{desktop, library, companion, processes, keyboard, log, tray, view, events},
                          setup};
    SessionTable& sessions = supervisor.Sessions();

    explicit SupervisorFixture(const char* program = "QLApp") {
        CopyText(setup.Program, program);
        supervisor.ResetSessions();
        supervisor.BindHookLib(errors);
        supervisor.SetReportWindow(kMainWindow);
    }

    void Scan() { supervisor.OnScanTimer(); }
    void Report(MessageWord kind, MessageLong slot) { supervisor.OnReport(kind, slot); }
    void AgeTick() { supervisor.OnAgeTimer(); }
    void CloseTick() { supervisor.OnCloseTimer(); }
    // Scans, then answers every start message the way the hook library does.
    void ScanAndStart() {
        Scan();
        for (int slot = 0; slot < kSessionSlots; ++slot) {
            if (sessions[slot].Window != 0 && !sessions[slot].Started) Report(report::kControlStarted, slot);
        }
    }
    // One second of the status window's life: ageing, then closing.
    void Tick() {
        AgeTick();
        CloseTick();
    }

    // Messages posted to a window, in order (sent ones are window activation).
    std::vector<unsigned> MessagesTo(WindowId window) const {
        std::vector<unsigned> found;
        for (const RecordedMessage& m : desktop.MessagesTo(window)) {
            if (!m.sent) found.push_back(m.message);
        }
        return found;
    }
    // The log lines of fixed texts: every line but those of the action record,
    // which go to the event log as well.
    std::vector<std::string> PlainLogLines() const {
        std::vector<std::string> plain;
        for (const std::string& line : log.lines) {
            bool recorded = false;
            for (const RecordingEvents::Entry& e : events.entries) recorded = recorded || e.text == line;
            if (!recorded) plain.push_back(line);
        }
        return plain;
    }
    // The texts of the event log entries of one id, in order.
    std::vector<std::string> EventTexts(unsigned id) const {
        std::vector<std::string> texts;
        for (const RecordingEvents::Entry& e : events.entries) {
            if (e.id == id) texts.push_back(e.text);
        }
        return texts;
    }
    std::vector<std::string> TrayStates() const {
        std::vector<std::string> states;
        for (const auto& [kind, text] : tray.events) {
            if (kind == tray::kState) states.push_back(text);
        }
        return states;
    }
};

// The keys pressed on the keyboard, in order (releases left out).
inline std::vector<int> TypedKeys(const FakeKeyboard& keyboard) {
    std::vector<int> keys;
    for (const FakeKeyboard::Entry& e : keyboard.KeyEvents()) {
        if ((e.flags & keyflag::kKeyUp) == 0) keys.push_back(e.virtualKey);
    }
    return keys;
}

}  // namespace ql::test
