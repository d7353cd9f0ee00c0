#include "supervisor/win32/StatusGrid.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/CommonControls.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Font.h"

namespace ql::win32 {

namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr int kColumns = 3;
// Room around a cell's text: the list view's own padding and a little air.
constexpr int kTextMargin = 16;

// The clipboard's copy of a text, in memory the clipboard takes over.
bool PutOnClipboard(HWND owner, const std::string& text) {
    if (!::OpenClipboard(owner)) return false;
    bool put = false;
    if (::EmptyClipboard()) {
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        if (memory != nullptr) {
            void* bytes = ::GlobalLock(memory);
            if (bytes != nullptr) {
                std::memcpy(bytes, text.c_str(), text.size() + 1);
                ::GlobalUnlock(memory);
                put = ::SetClipboardData(CF_TEXT, memory) != nullptr;
            }
            if (!put) ::GlobalFree(memory);  // the clipboard owns it only once it took it
        }
    }
    ::CloseClipboard();
    return put;
}

}  // namespace

StatusGrid::StatusGrid(HWND parent) {
    CreateWindowOf("QLStatusGrid", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, 0, parent);
    SetDpi(DpiOf(parent));
}

void StatusGrid::SetDpi(UINT dpi) {
    m_dpi = dpi;
    m_labelHeight = Scaled(32, dpi);
    m_labelFont = MakeFont(-Scaled(13, dpi), FW_BOLD);
    m_cellFont = MakeFont(-Scaled(11, dpi));
    if (m_label != nullptr) ::SendMessageA(m_label, WM_SETFONT, reinterpret_cast<WPARAM>(m_labelFont.get()), TRUE);
    if (m_list != nullptr) {
        ::SendMessageA(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(m_cellFont.get()), TRUE);
        m_personSized = false;  // texts of another size need widths of another size
        m_setWidths = {};
        SizeColumns();
    }
    Layout();
}

void StatusGrid::SetProgramCaption(const char* text) {
    if (m_caption == text) return;
    m_caption = text;
    if (m_label != nullptr) ::SetWindowTextA(m_label, m_caption.c_str());
}

void StatusGrid::SetRowCount(int rows) {
    m_rows.resize(static_cast<std::size_t>(std::max(rows, 1)));
    SyncRowCount();
}

void StatusGrid::SetCell(int column, int row, const char* text) {
    if (row < 0 || column < 0 || column >= kColumns || static_cast<std::size_t>(row) >= m_rows.size()) return;
    std::string& cell = m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    if (cell == text) return;  // an unchanged cell is not sent again: no flicker, no reader chatter
    cell = text;
    ShowCell(column, row);
}

const std::string& StatusGrid::Cell(int column, int row) const {
    static const std::string empty;
    if (row < 0 || column < 0 || column >= kColumns || static_cast<std::size_t>(row) >= m_rows.size()) return empty;
    return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

// The list view repaints what changed by itself.
void StatusGrid::Repaint() {}

void StatusGrid::SetShowing(bool showing) {
    m_showing = showing;
    if (showing) EnsureList();
}

void StatusGrid::FocusList() {
    if (m_list != nullptr) ::SetFocus(m_list);
}

// The list view comes from the common controls library, loaded only when
// somebody first looks (see LoadCommonControls); so does the label, a static
// control (which a screen reader reads), since with the program's manifest
// the library provides that class too.
void StatusGrid::EnsureList() {
    if (m_list != nullptr) return;
    LoadCommonControls(ICC_LISTVIEW_CLASSES);
    m_label = ::CreateWindowExA(0, "STATIC", m_caption.c_str(),
                                WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX | SS_ENDELLIPSIS, 0,
                                0, 0, 0, Handle(), nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(m_label, WM_SETFONT, reinterpret_cast<WPARAM>(m_labelFont.get()), FALSE);
    m_list = ::CreateWindowExA(0, WC_LISTVIEWA, "Sessions",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 0, 0,
                               Handle(), nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (m_list == nullptr) return;
    ::SendMessageA(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                   LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
    ::SendMessageA(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(m_cellFont.get()), FALSE);
    ::SendMessageA(m_list, LVM_SETTEXTCOLOR, 0, kNavy);
    for (int column = 0; column < kColumns; ++column) {
        LVCOLUMNA header{};
        header.mask = LVCF_TEXT | LVCF_SUBITEM;
        header.pszText = const_cast<char*>(Cell(column, 0).c_str());
        header.iSubItem = column;
        ::SendMessageA(m_list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&header));
    }
    FillList();
    SizeColumns();
    Layout();
}

void StatusGrid::FillList() {
    SyncRowCount();
    for (int row = 1; row < static_cast<int>(m_rows.size()); ++row) {
        for (int column = 0; column < kColumns; ++column) ShowCell(column, row);
    }
}

// Items are added or removed at the end: the rows follow the slots in order,
// so the first rows keep their selection when a later one goes.
void StatusGrid::SyncRowCount() {
    if (m_list == nullptr) return;
    const int wanted = static_cast<int>(m_rows.size()) - 1;
    int count = static_cast<int>(::SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0));
    while (count > wanted) ::SendMessageA(m_list, LVM_DELETEITEM, static_cast<WPARAM>(--count), 0);
    while (count < wanted) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = count;
        item.pszText = const_cast<char*>("");
        ::SendMessageA(m_list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        ++count;
    }
}

void StatusGrid::ShowCell(int column, int row) {
    if (m_list == nullptr) return;
    const std::string& text = Cell(column, row);
    if (row == 0) {
        LVCOLUMNA header{};
        header.mask = LVCF_TEXT;
        header.pszText = const_cast<char*>(text.c_str());
        ::SendMessageA(m_list, LVM_SETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&header));
        return;
    }
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    ::SendMessageA(m_list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(&item));
}

// Each column's widest text as the list's font draws it: the header, the
// longest text the column can hold, and what it holds now.
std::array<int, 3> StatusGrid::WidestTexts() const {
    std::array<int, 3> widest{};
    if (m_list == nullptr) return widest;
    const auto widthOf = [this](const std::string& text) {
        return static_cast<int>(::SendMessageA(m_list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text.c_str())));
    };
    const StatusRow longest = WidestStatusTexts();
    for (std::size_t column = 0; column < widest.size(); ++column) {
        widest[column] = std::max(widthOf(longest[column]), widthOf(m_rows[0][column]));
    }
    return widest;
}

int StatusGrid::WidthShowingAll() const {
    return ::ql::WidthShowingAll(WidestTexts(), Scaled(kTextMargin, m_dpi)) + ::GetSystemMetrics(SM_CXVSCROLL);
}

// The window-id and status columns fit their longest texts; the name column
// takes the rest. Once a person has resized a column (its width is no longer
// the one set here) the widths are theirs.
void StatusGrid::SizeColumns() {
    if (m_list == nullptr || m_personSized) return;
    for (int column = 0; column < kColumns; ++column) {
        const int now = static_cast<int>(::SendMessageA(m_list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
        if (m_setWidths[static_cast<std::size_t>(column)] != 0 && now != m_setWidths[static_cast<std::size_t>(column)]) {
            m_personSized = true;
            return;
        }
    }
    RECT client{};
    ::GetClientRect(m_list, &client);
    const int usable = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
    m_setWidths = ListColumnWidths(WidestTexts(), Scaled(kTextMargin, m_dpi), usable);
    for (int column = 0; column < kColumns; ++column) {
        ::SendMessageA(m_list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                       MAKELPARAM(m_setWidths[static_cast<std::size_t>(column)], 0));
        // The control may round the width: what it holds is what was set.
        m_setWidths[static_cast<std::size_t>(column)] =
            static_cast<int>(::SendMessageA(m_list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
    }
}

void StatusGrid::Layout() {
    if (Handle() == nullptr) return;
    RECT client;
    ::GetClientRect(Handle(), &client);
    if (m_list == nullptr) return;
    ::MoveWindow(m_label, 0, 0, client.right, m_labelHeight, TRUE);
    ::MoveWindow(m_list, 0, m_labelHeight, client.right, std::max(0L, client.bottom - m_labelHeight), TRUE);
    SizeColumns();
}

void StatusGrid::CopySelectedRows() {
    std::vector<StatusRow> selected;
    for (int item = -1;;) {
        item = static_cast<int>(::SendMessageA(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(item), LVNI_SELECTED));
        if (item < 0 || static_cast<std::size_t>(item) + 1 >= m_rows.size()) break;
        selected.push_back(m_rows[static_cast<std::size_t>(item) + 1]);
    }
    if (!selected.empty()) PutOnClipboard(Handle(), RowsAsText(selected));
}

LRESULT StatusGrid::OnNotify(const NMHDR& header) {
    if (header.hwndFrom == m_list && header.code == LVN_KEYDOWN) {
        const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
        if (key.wVKey == 'C' && ::GetKeyState(VK_CONTROL) < 0) CopySelectedRows();
    }
    return 0;
}

LRESULT StatusGrid::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CTLCOLORSTATIC: {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, kNavy);
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_ERASEBKGND: {
        RECT client;
        ::GetClientRect(Handle(), &client);
        ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

}  // namespace ql::win32
