#pragma once
// The fixed table of tracked sessions. A slot's index is the session number
// that travels in the hook messages, so slots are never moved or compacted.
#include <array>
#include <cstdint>

#include "core/HookProtocol.h"
#include "platform/Desktop.h"
#include "platform/HookLibrary.h"
#include "supervisor/StatusView.h"

namespace ql {

constexpr int kSessionSlots = hookproto::kSessionSlots;
constexpr std::size_t kStatusCapacity = 64;
constexpr std::size_t kRecordedTitleCapacity = 128;

struct TSessionEntry {
    HookId KeyHook = 0;
    HookId MsgHook = 0;
    WindowId Window = 0;  // the session's root window; 0 marks a free slot
    std::uint32_t ProcessId = 0;
    bool Started = false;  // the hook library answered the start message
    int Row = 0;           // grid row, 1-based; 0 until the grid is rebuilt
    bool Seen = false;     // found by the scan in progress
    bool IsNew = false;    // first found by the latest scan
    int CloseStage = 0;
    WindowId DialogWindow = 0;
    bool Activity = false;  // a key or mouse report since the last ageing tick
    int IdleSecs = 0;
    int StatusHold = 0;  // ageing ticks during which the idle text may not replace Status
    char Status[kStatusCapacity] = {};
    // The session shows the question an earlier close request raised: no
    // further request goes out, and the status says it waits for an answer.
    bool AwaitingAnswer = false;
    bool Warned = false;        // warned of its closing in this idle stretch
    bool ClosingBegun = false;  // asked to close by us and not used since
    char Title[kRecordedTitleCapacity] = {};  // the window's title when last read, for the record
    bool ViaCompanion = false;  // hooked by the 64-bit companion, not by Quorlan itself
    // Why the session has no hooks and is supervised by foreground input instead.
    HookRefusal NotHooked = HookRefusal::None;
    bool NotHookedLogged = false;  // the log has said so, once for the session's life
    int UnansweredTicks = 0;  // ageing ticks since the hooks were placed, while no start answer came
    // Hooks are still to be placed: the companion was starting, or ended
    // and took the session's hooks with it. The session is not aged meanwhile.
    bool AwaitingHooks = false;
    int KillWaitTicks = 0;  // closing steps left before the process is ended
    // A closing sequence ended with the session still open: its idle count
    // begins again at the next ageing tick, not at the one before the closing.
    bool RestartIdleCount = false;
};

class SessionTable {
public:
    explicit SessionTable(StatusView& view) : m_view(view) {}

    TSessionEntry& operator[](int slot) { return m_sessions[static_cast<std::size_t>(slot)]; }
    const TSessionEntry& operator[](int slot) const { return m_sessions[static_cast<std::size_t>(slot)]; }

    void ResetSession(int slot);
    void ResetAll();
    void SetStatus(int slot, const char* text, int hold);
    // Writes the idle text unless a status is held or the session waits for an answer.
    void SetIdleStatus(int slot, const char* text);

    // Slot holding this root window, or -1.
    int SlotOf(WindowId window) const;
    // First slot without a window, or -1 when the table is full.
    int FirstFreeSlot() const;
    int TrackedCount() const;

    // Renumbers the grid rows in slot order and writes every cell; the titles
    // only while the grid is showing (it is rebuilt when it is shown).
    void RefreshGrid(Desktop& desktop);
    void WriteGridHeaders();

    bool Refreshing = false;

private:
    void ShowStatus(int slot);

    std::array<TSessionEntry, kSessionSlots> m_sessions{};
    StatusView& m_view;
};

}  // namespace ql
