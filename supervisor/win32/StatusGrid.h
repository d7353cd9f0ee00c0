#pragma once
// The status window's content above its status bar: the label naming the
// supervised program, over the list of one row per tracked session. The
// list is the common list-view control in report mode, which screen
// readers read and people can sort through with the keyboard: Tab reaches
// it, the arrows move, Ctrl+C copies the selected rows.
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Window.h"
#include "supervisor/GridLayout.h"
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

    // The list is made when the grid is first shown, and kept in step while shown.
    void SetShowing(bool showing);
    // Fonts and sizes for another screen scaling.
    void SetDpi(UINT dpi);
    // The text of one cell (row 0: the headers); empty outside the grid.
    const std::string& Cell(int column, int row) const;
    // The list view; null until the grid was first shown.
    HWND List() const { return m_list; }
    void FocusList();
    // The width this content needs to show every column's widest text.
    int WidthShowingAll() const;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnNotify(const NMHDR& header);
    void EnsureList();
    void FillList();
    void SyncRowCount();
    void ShowCell(int column, int row);
    std::array<int, 3> WidestTexts() const;
    void SizeColumns();
    void Layout();
    void CopySelectedRows();

    bool m_showing = false;
    UINT m_dpi = 96;
    int m_labelHeight = 32;
    HWND m_label = nullptr;  // children, destroyed with this window
    HWND m_list = nullptr;
    bool m_personSized = false;  // a column was resized by hand: the widths are theirs
    std::array<int, 3> m_setWidths{};  // the widths last set here
    UniqueFont m_labelFont;
    UniqueFont m_cellFont;
    std::string m_caption = "Supervised Application";
    std::vector<StatusRow> m_rows = std::vector<StatusRow>(1);
};

}  // namespace ql::win32
