#include "supervisor/win32/StatusGrid.h"

#include <algorithm>

#include "platform/win32/BufferedPaint.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Font.h"
#include "supervisor/GridLayout.h"

namespace ql::win32 {

namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr int kColumns = 3;

}  // namespace

StatusGrid::StatusGrid(HWND parent) {
    CreateWindowOf("QLStatusGrid", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, 0, parent);
    m_scrollBar = ::CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_VERT, 0, 0, 0, 0, Handle(), nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
    SetDpi(DpiOf(parent));
}

void StatusGrid::SetDpi(UINT dpi) {
    m_dpi = dpi;
    m_rowHeight = Scaled(15, dpi);
    m_labelHeight = Scaled(32, dpi);
    m_labelFont = MakeFont(-Scaled(13, dpi), FW_BOLD);
    m_cellFont = MakeFont(-Scaled(11, dpi));
    m_headerFont = MakeFont(-Scaled(11, dpi), FW_BOLD);
    FormResize();
}

void StatusGrid::SetProgramCaption(const char* text) {
    m_caption = text;
    Repaint();
}

void StatusGrid::SetRowCount(int rows) {
    m_rows.resize(static_cast<std::size_t>(std::max(rows, 1)));
    UpdateScrollBar();
}

void StatusGrid::SetCell(int column, int row, const char* text) {
    if (row < 0 || column < 0 || column >= kColumns || static_cast<std::size_t>(row) >= m_rows.size()) return;
    m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
    Repaint();
}

const std::string& StatusGrid::Cell(int column, int row) const {
    static const std::string empty;
    if (row < 0 || column < 0 || column >= kColumns || static_cast<std::size_t>(row) >= m_rows.size()) return empty;
    return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void StatusGrid::Repaint() {
    if (m_showing && Handle() != nullptr) ::InvalidateRect(Handle(), nullptr, FALSE);
}

LRESULT StatusGrid::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        FormResize();
        return 0;
    case WM_VSCROLL:
        Scroll(LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        Scroll(GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? SB_LINEUP : SB_LINEDOWN);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the buffered paint covers everything
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(Handle(), &paint);
        RECT client;
        ::GetClientRect(Handle(), &client);
        if (client.right > client.left && client.bottom > client.top) {
            BufferedPaint buffer(dc, client);
            Paint(buffer.Dc(), client);
        }
        ::EndPaint(Handle(), &paint);
        return 0;
    }
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

RECT StatusGrid::GridArea() const {
    RECT area;
    ::GetClientRect(Handle(), &area);
    area.top += m_labelHeight;
    if (::IsWindowVisible(m_scrollBar)) area.right -= ::GetSystemMetrics(SM_CXVSCROLL);
    return area;
}

int StatusGrid::VisibleRows() const {
    const RECT area = GridArea();
    return std::max(0, static_cast<int>(area.bottom - area.top) / std::max(m_rowHeight, 1) - 1);
}

// The three column widths follow the panel's width.
void StatusGrid::FormResize() {
    if (Handle() == nullptr) return;
    RECT client;
    ::GetClientRect(Handle(), &client);
    // The arithmetic (its 64-pixel cap included) is in 96-DPI pixels.
    const auto design = GridColumnWidths(::MulDiv(client.right - client.left, kDesignDpi, static_cast<int>(m_dpi)));
    for (std::size_t column = 0; column < design.size(); ++column) {
        m_columnWidths[column] = Scaled(design[column], m_dpi);
    }
    UpdateScrollBar();
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void StatusGrid::UpdateScrollBar() {
    if (Handle() == nullptr) return;
    RECT client;
    ::GetClientRect(Handle(), &client);
    const int dataRows = static_cast<int>(m_rows.size()) - 1;
    const int width = ::GetSystemMetrics(SM_CXVSCROLL);
    const int gridHeight = std::max(0, static_cast<int>(client.bottom - client.top) - m_labelHeight);
    const int fits = std::max(0, gridHeight / std::max(m_rowHeight, 1) - 1);
    const bool needed = dataRows > fits;
    ::MoveWindow(m_scrollBar, client.right - width, client.top + m_labelHeight, width, gridHeight, TRUE);
    ::ShowWindow(m_scrollBar, needed ? SW_SHOWNA : SW_HIDE);
    m_firstRow = needed ? std::clamp(m_firstRow, 1, std::max(1, dataRows - fits + 1)) : 1;
    SCROLLINFO info{sizeof info, SIF_ALL, 1, std::max(1, dataRows), static_cast<UINT>(std::max(fits, 1)),
                    m_firstRow, 0};
    ::SetScrollInfo(m_scrollBar, SB_CTL, &info, TRUE);
}

void StatusGrid::Scroll(int request) {
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    ::GetScrollInfo(m_scrollBar, SB_CTL, &info);
    int first = m_firstRow;
    switch (request) {
    case SB_LINEUP: --first; break;
    case SB_LINEDOWN: ++first; break;
    case SB_PAGEUP: first -= static_cast<int>(info.nPage); break;
    case SB_PAGEDOWN: first += static_cast<int>(info.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: first = info.nTrackPos; break;
    default: return;
    }
    const int dataRows = static_cast<int>(m_rows.size()) - 1;
    m_firstRow = std::clamp(first, 1, std::max(1, dataRows - VisibleRows() + 1));
    info.fMask = SIF_POS;
    info.nPos = m_firstRow;
    ::SetScrollInfo(m_scrollBar, SB_CTL, &info, TRUE);
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void StatusGrid::Paint(HDC dc, const RECT& client) const {
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    PaintLabel(dc, client);
    const RECT area = GridArea();
    const int lastRow = static_cast<int>(m_rows.size()) - 1;
    int top = area.top;
    // The header row stays; the data rows below it scroll.
    for (int row = 0; row <= lastRow && top < area.bottom; row = (row == 0 ? m_firstRow : row + 1)) {
        int left = area.left;
        for (int column = 0; column < kColumns; ++column) {
            const int width = m_columnWidths[static_cast<std::size_t>(column)];
            const RECT cell{left, top, std::min<LONG>(left + width, area.right), top + m_rowHeight};
            GridDrawCell(dc, column, row, cell);
            left = cell.right;
        }
        top += m_rowHeight;
    }
}

void StatusGrid::PaintLabel(HDC dc, const RECT& client) const {
    RECT label{client.left, client.top, client.right, client.top + m_labelHeight};
    ScopedSelect font(dc, m_labelFont.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kNavy);
    ::DrawTextA(dc, m_caption.c_str(), -1, &label,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

// Every cell on the button face in navy Arial; the header row bold and
// underlined with a navy line 3 pixels wide.
void StatusGrid::GridDrawCell(HDC dc, int column, int row, const RECT& cell) const {
    ::FillRect(dc, &cell, ::GetSysColorBrush(COLOR_BTNFACE));
    ScopedSelect font(dc, row == 0 ? m_headerFont.get() : m_cellFont.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kNavy);
    RECT text{cell.left + 2, cell.top + 2, cell.right, cell.bottom};
    const std::string& content = Cell(column, row);
    ::DrawTextA(dc, content.c_str(), static_cast<int>(content.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (row != 0) return;
    const int width = Scaled(3, m_dpi);
    UniquePen pen(::CreatePen(PS_SOLID, width, kNavy));
    ScopedSelect selectPen(dc, pen.get());
    // Kept inside the cell, so the row below does not cover half of it.
    const int y = cell.bottom - (width + 1) / 2;
    ::MoveToEx(dc, cell.left + 2, y, nullptr);
    ::LineTo(dc, cell.right - 1, y);
}

}  // namespace ql::win32
