#pragma once
// The status window's content above its status bar: the label naming
// the supervised program, over the grid of one row per
// tracked session (a header row that stays, rows that scroll vertically).
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Window.h"
#include "supervisor/StatusView.h"

namespace ql::win32 {

class StatusGrid final : public Window, public StatusView {
public:
    explicit StatusGrid(HWND parent);

    // StatusView
    void SetProgramCaption(const char* text) override;
    void SetRowCount(int rows) override;
    void SetCell(int column, int row, const char* text) override;
    void Repaint() override;
    bool Showing() const override { return m_showing; }

    void SetShowing(bool showing) { m_showing = showing; }
    // Fonts and sizes for another screen scaling.
    void SetDpi(UINT dpi);
    // The text of one cell; empty outside the grid.
    const std::string& Cell(int column, int row) const;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& client) const;
    void PaintLabel(HDC dc, const RECT& client) const;
    void GridDrawCell(HDC dc, int column, int row, const RECT& cell) const;
    void FormResize();
    void UpdateScrollBar();
    void Scroll(int request);
    int VisibleRows() const;
    RECT GridArea() const;

    bool m_showing = false;
    UINT m_dpi = 96;
    int m_rowHeight = 15;
    int m_labelHeight = 32;
    HWND m_scrollBar = nullptr;  // a child control, destroyed with this window
    int m_firstRow = 1;  // the data row shown under the header
    std::array<int, 3> m_columnWidths{};
    UniqueFont m_labelFont;
    UniqueFont m_cellFont;
    UniqueFont m_headerFont;
    std::string m_caption = "Supervised Application";
    std::vector<std::array<std::string, 3>> m_rows = std::vector<std::array<std::string, 3>>(1);
};

}  // namespace ql::win32
