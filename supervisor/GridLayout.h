#pragma once
// The status list's columns: widths that show their texts whole, and the
// selected rows as text for the clipboard.
#include <array>
#include <string>
#include <vector>

namespace ql {

using StatusRow = std::array<std::string, 3>;

// The longest texts the window-id and status columns show (a window id at
// its largest, every status at its longest idle count), and a title of
// ordinary length for the name column; the headers come with the rows.
StatusRow WidestStatusTexts();

// Column widths for texts of the given widths (pixels; each column's widest,
// header included) and a margin around each text. The window-id and status
// columns are as wide as their texts need; the name column takes the rest of
// clientWidth, but never less than its own text needs.
std::array<int, 3> ListColumnWidths(const std::array<int, 3>& widest, int margin, int clientWidth);
// The client width that shows all three columns whole.
int WidthShowingAll(const std::array<int, 3>& widest, int margin);

// Rows as a spreadsheet pastes them: cells separated by tabs, rows ended by
// "\r\n"; tabs and line breaks inside a cell become blanks.
std::string RowsAsText(const std::vector<StatusRow>& rows);

}  // namespace ql
