#pragma once
// The status window's contents: the supervised program's name over a grid
// of one row per tracked session, drawn in the window's client area.
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "supervisor/StatusView.h"

namespace ql::win32 {

class StatusGrid final : public StatusView {
public:
    explicit StatusGrid(HWND window) : m_window(window) {}

    void SetProgramCaption(const char* text) override;
    void SetRowCount(int rows) override;
    void SetCell(int column, int row, const char* text) override;
    void Repaint() override;
    bool Showing() const override { return m_showing; }
    void SetShowing(bool showing) { m_showing = showing; }

    void Paint(HDC dc, const RECT& client) const;

private:
    static constexpr int kRowHeight = 15;
    static constexpr int kCaptionHeight = 32;

    HWND m_window;
    bool m_showing = false;
    std::string m_caption = "Supervised Application";
    std::vector<std::array<std::string, 3>> m_rows = std::vector<std::array<std::string, 3>>(1);
};

// Column widths for a panel width w: the window-id column takes a sixth, at
// most 64 pixels; the rest is split two thirds to one third.
std::array<int, 3> GridColumnWidths(int panelWidth);

}  // namespace ql::win32
