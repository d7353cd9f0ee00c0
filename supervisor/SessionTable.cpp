#include "supervisor/SessionTable.h"

#include <cstdio>

#include "core/Text.h"

namespace ql {

namespace {
constexpr int kTitleCapacity = 251;  // 250 characters and the terminator
}

void SessionTable::ResetSession(int slot) { (*this)[slot] = TSessionEntry{}; }

void SessionTable::ResetAll() {
    for (int slot = 0; slot < kSessionSlots; ++slot) ResetSession(slot);
}

void SessionTable::SetStatus(int slot, const char* text, int hold) {
    (*this)[slot].StatusHold = hold;
    CopyText((*this)[slot].Status, text);
    ShowStatus(slot);
}

void SessionTable::SetIdleStatus(int slot, const char* text) {
    if ((*this)[slot].StatusHold != 0 || (*this)[slot].AwaitingAnswer) return;
    CopyText((*this)[slot].Status, text);
    ShowStatus(slot);
}

void SessionTable::ShowStatus(int slot) {
    // While the grid is renumbered, rows may not match their slots yet.
    if (!Refreshing) m_view.SetCell(grid::kStatusColumn, (*this)[slot].Row, (*this)[slot].Status);
}

int SessionTable::SlotOf(WindowId window) const {
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        if ((*this)[slot].Window == window) return slot;
    }
    return -1;
}

int SessionTable::FirstFreeSlot() const { return SlotOf(0); }

int SessionTable::TrackedCount() const {
    int count = 0;
    for (const TSessionEntry& entry : m_sessions) count += entry.Window != 0 ? 1 : 0;
    return count;
}

void SessionTable::WriteGridHeaders() {
    m_view.SetCell(grid::kWindowColumn, 0, "Window ID");
    m_view.SetCell(grid::kNameColumn, 0, "Name");
    m_view.SetCell(grid::kStatusColumn, 0, "Status");
}

void SessionTable::RefreshGrid(Desktop& desktop) {
    Refreshing = true;
    m_view.SetRowCount(1 + TrackedCount());
    WriteGridHeaders();
    const bool showing = m_view.Showing();
    int row = 0;
    for (TSessionEntry& entry : m_sessions) {
        entry.Row = 0;
        if (entry.Window == 0) continue;
        entry.Row = ++row;
        char handle[24];
        std::snprintf(handle, sizeof handle, "%u", static_cast<unsigned>(entry.Window));
        m_view.SetCell(grid::kWindowColumn, row, handle);
        if (showing) {
            char title[kTitleCapacity];
            desktop.TitleOf(entry.Window, title, kTitleCapacity);
            m_view.SetCell(grid::kNameColumn, row, title);
        }
        m_view.SetCell(grid::kStatusColumn, row, entry.Status);
    }
    m_view.Repaint();
    Refreshing = false;
}

}  // namespace ql
