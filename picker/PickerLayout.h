#pragma once
// Geometry of the window picker, in design pixels (96 dots per inch): where
// its buttons sit, how wide the "Title" header is, and where each part of a
// row is drawn. The window scales these to the screen.
#include <array>
#include <optional>

#include "platform/Desktop.h"

namespace ql::picker {

constexpr int kButtonCount = 4;  // Select, Highlight, Refresh, Cancel
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = 8;
constexpr int kPanelHeight = 41;     // the top panel and the button panel
constexpr int kTitleStripHeight = 24;
constexpr int kHeaderHeight = 17;
constexpr int kSizeColumnWidth = 28;  // the "Size" header and column
constexpr int kItemHeight = 24;
constexpr int kDesignClientWidth = 565;
constexpr int kDesignClientHeight = 613;
constexpr int kDesignTitleHeaderWidth = 128;
constexpr int kRepaintListAbove = 245;  // list widths above this repaint on resize

// Left edges of the buttons on a button panel of the given width: their
// design places on a narrow panel, otherwise against the right edge in the
// same order.
std::array<int, kButtonCount> ButtonLefts(int panelWidth);

// The width of the "Title" header that makes it end where the rows' Title
// column ends; nothing when the window is too narrow to bother.
std::optional<int> TitleHeaderWidth(int clientWidth, int listClientWidth, int sizeColumnWidth);

// The parts of one row drawn in the item rectangle.
struct RowLayout {
    ScreenRect icon;       // the caption icon, the first h x h of the Title column
    ScreenRect title;
    ScreenRect className;  // the "Name" column
    ScreenRect number;     // the show state as a number, under the state image
    ScreenRect stateImage;
};
RowLayout LayOutRow(const ScreenRect& item, int sizeColumnWidth);

// Which state image stands for a show state: 1 (two small windows) for a
// normal window, 0 (one large window) for anything else, as maximised.
int StateImageFor(int showCmd);

}  // namespace ql::picker
