#include "supervisor/win32/StatusGrid.h"

#include <algorithm>

namespace ql::win32 {

std::array<int, 3> GridColumnWidths(int panelWidth) {
    const int first = std::min(panelWidth / 6, 64);
    return {first, (panelWidth - first) * 2 / 3, (panelWidth - first) / 3};
}

void StatusGrid::SetProgramCaption(const char* text) {
    m_caption = text;
    Repaint();
}

void StatusGrid::SetRowCount(int rows) { m_rows.resize(static_cast<std::size_t>(std::max(rows, 1))); }

void StatusGrid::SetCell(int column, int row, const char* text) {
    if (row < 0 || column < 0 || column > 2 || static_cast<std::size_t>(row) >= m_rows.size()) return;
    m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
    Repaint();
}

void StatusGrid::Repaint() {
    if (m_showing) ::InvalidateRect(m_window, nullptr, TRUE);
}

void StatusGrid::Paint(HDC dc, const RECT& client) const {
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 128));
    RECT caption{client.left, client.top, client.right, client.top + kCaptionHeight};
    ::DrawTextA(dc, m_caption.c_str(), -1, &caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    const auto widths = GridColumnWidths(client.right - client.left);
    int top = caption.bottom;
    for (const auto& row : m_rows) {
        int left = client.left;
        for (std::size_t column = 0; column < row.size(); ++column) {
            RECT cell{left + 2, top, left + widths[column], top + kRowHeight};
            ::DrawTextA(dc, row[column].c_str(), -1, &cell, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
            left += widths[column];
        }
        top += kRowHeight;
    }
}

}  // namespace ql::win32
