#include "supervisor/GridLayout.h"

#include <algorithm>

namespace ql {

std::array<int, 3> GridColumnWidths(int panelWidth) {
    const int first = std::min(panelWidth / 6, 64);
    return {first, (panelWidth - first) * 2 / 3, (panelWidth - first) / 3};
}

}  // namespace ql
