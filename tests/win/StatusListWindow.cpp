// The status list on the real desktop: a list-view control whose texts
// another program (a screen reader) can read back, columns that show their
// texts whole at 100 % and 150 %, and the keyboard: arrows move, Ctrl+C copies.
#include <doctest/doctest.h>

#include <memory>
#include <string>

#include "WinTestSupport.h"

#include <commctrl.h>

#include "supervisor/win32/StatusGrid.h"

namespace ql::test {
namespace {

struct ListHost {
    ListHost() {
        parent.reset(CreateWindowExA(0, "STATIC", "Status list test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300,
                                     240, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
        grid = std::make_unique<win32::StatusGrid>(parent.get());
        const char* headers[] = {"Window ID", "Name", "Status"};
        const char* rows[][3] = {{"4294967295", "Invoice 2041", "No hooks (64-bit companion not answering): 999999 secs. idle"},
                                 {"65538", "Quarterly report", "12 secs. without activity"},
                                 {"131074", "Meeting notes", "Waiting for an answer"}};
        grid->SetRowCount(4);
        for (int column = 0; column < 3; ++column) grid->SetCell(column, 0, headers[column]);
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) grid->SetCell(column, row + 1, rows[row][column]);
        }
    }
    HWND List() const { return grid->List(); }
    std::string ItemText(int item, int column) const {
        char text[256] = {};
        LVITEMA read{};
        read.iSubItem = column;
        read.pszText = text;
        read.cchTextMax = sizeof text;
        SendMessageA(List(), LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&read));
        return text;
    }
    std::string HeaderText(int column) const {
        char text[64] = {};
        LVCOLUMNA read{};
        read.mask = LVCF_TEXT;
        read.pszText = text;
        read.cchTextMax = sizeof text;
        SendMessageA(List(), LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&read));
        return text;
    }
    int ColumnWidth(int column) const {
        return static_cast<int>(SendMessageA(List(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
    }
    int TextWidth(const std::string& text) const {
        return static_cast<int>(SendMessageA(List(), LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    // The grid as wide as it says it needs, as the status window makes it.
    void FitWidth() {
        MoveWindow(grid->Handle(), 0, 0, grid->WidthShowingAll(), 200, TRUE);
    }

    win32::UniqueWindow parent;
    std::unique_ptr<win32::StatusGrid> grid;
};

TEST_CASE("the list is made at first showing and holds the headers and rows as the grid was given them") {
    ListHost host;
    CHECK(host.List() == nullptr);  // nobody looked yet: no common control
    host.grid->SetShowing(true);
    REQUIRE(host.List() != nullptr);
    CHECK(SendMessageA(host.List(), LVM_GETITEMCOUNT, 0, 0) == 3);
    CHECK(host.HeaderText(0) == "Window ID");
    CHECK(host.HeaderText(2) == "Status");
    CHECK(host.ItemText(0, 0) == "4294967295");
    CHECK(host.ItemText(1, 1) == "Quarterly report");
    CHECK(host.ItemText(2, 2) == "Waiting for an answer");

    // Later changes reach the list while it shows; a row that goes is removed.
    host.grid->SetCell(2, 2, "13 secs. without activity");
    CHECK(host.ItemText(1, 2) == "13 secs. without activity");
    host.grid->SetRowCount(2);
    CHECK(SendMessageA(host.List(), LVM_GETITEMCOUNT, 0, 0) == 1);
    CHECK(host.ItemText(0, 1) == "Invoice 2041");
}

TEST_CASE("at 100 % and 150 % every column is wider than its texts, headers included") {
    ListHost host;
    host.grid->SetShowing(true);
    for (UINT dpi : {96u, 144u}) {
        CAPTURE(dpi);
        host.grid->SetDpi(dpi);
        host.FitWidth();
        for (int column = 0; column < 3; ++column) {
            CAPTURE(column);
            CHECK(host.ColumnWidth(column) > host.TextWidth(host.HeaderText(column)) + 8);
            for (int item = 0; item < 3; ++item) {
                CHECK(host.ColumnWidth(column) > host.TextWidth(host.ItemText(item, column)) + 8);
            }
        }
    }
}

TEST_CASE("the name column follows the width until a person resizes a column; then the widths are theirs") {
    ListHost host;
    host.grid->SetShowing(true);
    host.FitWidth();
    const int fitted = host.ColumnWidth(1);
    MoveWindow(host.grid->Handle(), 0, 0, host.grid->WidthShowingAll() + 100, 200, TRUE);
    CHECK(host.ColumnWidth(1) == fitted + 100);
    SendMessageA(host.List(), LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(80, 0));  // as a drag of its divider does
    MoveWindow(host.grid->Handle(), 0, 0, host.grid->WidthShowingAll() + 300, 200, TRUE);
    CHECK(host.ColumnWidth(1) == fitted + 100);
    CHECK(host.ColumnWidth(2) == 80);
}

TEST_CASE("arrows move the selection and Ctrl+C copies the selected rows") {
    ListHost host;
    host.grid->SetShowing(true);
    host.FitWidth();
    SetForegroundWindow(host.parent.get());
    REQUIRE(WaitUntil([&] { return GetForegroundWindow() == host.parent.get(); }, 5000));
    host.grid->FocusList();
    REQUIRE(GetFocus() == host.List());
    const auto selected = [&] {
        return static_cast<int>(SendMessageA(host.List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    };
    TypeKeys({VK_DOWN});
    CHECK(WaitUntil([&] { return selected() == 0; }, 3000));
    TypeKeys({VK_DOWN});
    CHECK(WaitUntil([&] { return selected() == 1; }, 3000));

    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    keybd_event(VK_CONTROL, 0, 0, 0);
    keybd_event('C', 0, 0, 0);
    keybd_event('C', 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
    std::string copied;
    CHECK(WaitUntil(
        [&] {
            if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(nullptr)) return false;
            if (HANDLE data = GetClipboardData(CF_TEXT)) {
                if (const char* text = static_cast<const char*>(GlobalLock(data))) {
                    copied = text;
                    GlobalUnlock(data);
                }
            }
            CloseClipboard();
            return !copied.empty();
        },
        3000));
    CHECK(copied == "65538\tQuarterly report\t12 secs. without activity\r\n");
}

}  // namespace
}  // namespace ql::test
