#include "picker/PickerLayout.h"

namespace ql::picker {

namespace {
constexpr std::array<int, kButtonCount> kDesignButtonLefts = {8, 88, 168, 248};
constexpr int kWidestDesignPanel = 325;
// Right edge offsets when the buttons sit against the right edge.
constexpr std::array<int, kButtonCount> kRightAlignedOffsets = {320, 240, 160, 80};
}  // namespace

std::array<int, kButtonCount> ButtonLefts(int panelWidth) {
    // A narrow panel puts the buttons back where they were designed, rather
    // than leave them where a wider panel had put them, partly out of sight.
    if (panelWidth <= kWidestDesignPanel) return kDesignButtonLefts;
    std::array<int, kButtonCount> lefts{};
    for (int i = 0; i < kButtonCount; ++i) lefts[i] = panelWidth - kRightAlignedOffsets[i];
    return lefts;
}

std::optional<int> TitleHeaderWidth(int clientWidth, int listClientWidth, int sizeColumnWidth) {
    if (clientWidth <= 3 * sizeColumnWidth) return std::nullopt;
    return (listClientWidth - sizeColumnWidth) / 2;
}

RowLayout LayOutRow(const ScreenRect& item, int sizeColumnWidth) {
    const int h = item.bottom - item.top;
    const int m = sizeColumnWidth;
    const int s = (item.right - item.left - m) / 2;
    RowLayout row;
    row.icon = {item.left, item.top, item.left + h, item.top + h};
    row.title = {item.left + h + 1, item.top, item.left + s - 1, item.bottom};
    row.className = {item.left + s + 1, item.top, item.right - m - 1, item.bottom};
    row.number = {item.right - m, item.top, item.right, item.bottom};
    row.stateImage = {item.right - m, item.top, item.right - m + h, item.top + h};
    return row;
}

int StateImageFor(int showCmd) { return showCmd == show::kNormal || showCmd == show::kShowMinimized ? 1 : 0; }

}  // namespace ql::picker
