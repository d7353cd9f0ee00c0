#pragma once
// Sinks that remember what they were given: log entries, tray requests,
// status-window cells and fatal errors.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/EventLog.h"
#include "shell/LogSink.h"
#include "shell/TrayEvents.h"
#include "supervisor/FatalErrorSink.h"
#include "supervisor/StatusView.h"

namespace ql::test {

// One ordered record of everything the sinks below saw, for tests of order.
using EventTrail = std::vector<std::string>;

class RecordingLog final : public LogSink {
public:
    explicit RecordingLog(EventTrail* trail = nullptr) : m_trail(trail) {}
    bool WriteLog(const char* text) override {
        lines.emplace_back(text);
        if (m_trail) m_trail->push_back("log: " + lines.back());
        return true;
    }
    std::vector<std::string> lines;

private:
    EventTrail* m_trail;
};

class RecordingEvents final : public EventLog {
public:
    struct Entry {
        EventType type;
        unsigned id;
        std::string text;
    };
    void Report(EventType type, unsigned id, const char* text) override { entries.push_back({type, id, text}); }
    std::vector<Entry> entries;
};

class RecordingErrors final : public FatalErrorSink {
public:
    explicit RecordingErrors(EventTrail* trail = nullptr) : m_trail(trail) {}
    void FatalError(const char* text) override {
        boxes.emplace_back(text);
        if (m_trail) m_trail->push_back("box: " + boxes.back());
    }
    std::vector<std::string> boxes;

private:
    EventTrail* m_trail;
};

// Kinds of recorded icon requests, and the words the tests name the pictures by.
namespace tray {
constexpr int kState = 1;
constexpr int kTip = 2;
constexpr const char* kScanning = "ACTUALIZANDO";
constexpr const char* kNewSession = "NUEVO";
constexpr const char* kClosing = "CERRANDO";
}  // namespace tray

class RecordingTray final : public TrayEvents {
public:
    void PostState(TrayImage image) override { events.emplace_back(tray::kState, WordOf(image)); }
    void PostTip(const char* text) override { events.emplace_back(tray::kTip, text); }
    void PostBalloon(const char* text) override { balloons.emplace_back(text); }
    std::vector<std::pair<int, std::string>> events;
    std::vector<std::string> balloons;

private:
    static const char* WordOf(TrayImage image) {
        switch (image) {
        case TrayImage::Scanning: return tray::kScanning;
        case TrayImage::NewSession: return tray::kNewSession;
        case TrayImage::Closing: return tray::kClosing;
        default: return "";
        }
    }
};

class RecordingStatusView final : public StatusView {
public:
    void SetProgramCaption(const char* text) override { caption = text; }
    void SetRowCount(int count) override { rows = count; }
    void SetCell(int column, int row, const char* text) override { cells[{column, row}] = text; }
    void Repaint() override { ++repaints; }
    bool Showing() const override { return showing; }

    std::string Cell(int column, int row) const {
        auto found = cells.find({column, row});
        return found == cells.end() ? std::string() : found->second;
    }

    bool showing = true;
    std::string caption;
    int rows = 0;
    int repaints = 0;
    std::map<std::pair<int, int>, std::string> cells;
};

}  // namespace ql::test
