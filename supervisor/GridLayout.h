#pragma once
// Column widths of the status grid for the width of its panel.
#include <array>

namespace ql {

// The window-id column takes a sixth, at most 64 pixels; of the rest the
// title takes two thirds and the status one third (divisions truncate).
std::array<int, 3> GridColumnWidths(int panelWidth);

}  // namespace ql
