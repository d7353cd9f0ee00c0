#include "picker/win32/WindowPicker.h"

#include <algorithm>
#include <cstdio>

#include "picker/Highlight.h"
#include "picker/PickerLayout.h"
#include "picker/win32/HighlightFrame.h"
#include "platform/win32/Font.h"
#include "platform/win32/ModalLoop.h"
#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kSelectedText = RGB(255, 255, 255);  // readable on the navy of a selected row
// Painted behind the caption icon and then left out: no icon has this colour
// in the corner where it is sampled.
constexpr COLORREF kIconBackdrop = RGB(255, 0, 255);
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
constexpr UINT kRowTextFormat = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
constexpr const char* kButtonCaptions[picker::kButtonCount] = {"Select", "Highlight", "Refresh", "Cancel"};
constexpr int kButtonIds[picker::kButtonCount] = {WindowPicker::kSelectId, WindowPicker::kHighlightId,
                                                  WindowPicker::kRefreshId, WindowPicker::kCancelId};

RECT ToRect(const ScreenRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

void DrawRowText(HDC dc, const char* text, const ScreenRect& where) {
    RECT rect = ToRect(where);
    ::DrawTextA(dc, text, -1, &rect, kRowTextFormat);
}

}  // namespace

WindowPicker::WindowPicker(Desktop& desktop, HWND owner) : m_desktop(desktop), m_list(SharedWindowList()) {
    m_dpi = DpiOf(nullptr);
    m_font = MakeFont(-Px(13));
    m_images = std::make_unique<StateImages>(Px(picker::kItemHeight));

    RECT frame = {0, 0, Px(picker::kDesignClientWidth), Px(picker::kDesignClientHeight)};
    ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    RECT work = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int width = frame.right - frame.left;
    const int height = std::min<int>(frame.bottom - frame.top, work.bottom - work.top);
    if (!CreateWindowOf("TFLisVent", "Reading....", kStyle, kExStyle, work.left + (work.right - work.left - width) / 2,
                        work.top + (work.bottom - work.top - height) / 2, width, height, owner)) {
        return;
    }
    CreateControls();
    FormResize();
    ReadWindows();
}

void WindowPicker::CreateControls() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    // Flat: no border of its own. Item texts are the rows' titles.
    m_listBox = ::CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_OWNERDRAWFIXED |
                                                      LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                0, 0, 0, 0, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), instance,
                                nullptr);
    ::SendMessageA(m_listBox, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
    for (int i = 0; i < picker::kButtonCount; ++i) {
        const DWORD kind = kButtonIds[i] == kSelectId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        m_buttons[i] = ::CreateWindowExA(0, "BUTTON", kButtonCaptions[i], WS_CHILD | WS_VISIBLE | WS_TABSTOP | kind, 0, 0,
                                         0, 0, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonIds[i])),
                                         instance, nullptr);
        ::SendMessageA(m_buttons[i], WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
    }
}

void WindowPicker::MoveTo(int left, int top) {
    ::SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowPicker::ShowModal() {
    if (Handle() == nullptr) return;
    m_closed = false;
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
    ::SetFocus(m_buttons[0]);
    RunModal(Handle(), m_closed);
}

bool WindowPicker::GetSelection(char* buffer, std::size_t capacity) const {
    return CopyRowClassName(m_list, SelIndex, buffer, capacity);
}

void WindowPicker::ReadWindows() {
    ::SetWindowTextA(Handle(), "Reading ..");
    SelIndex = -1;
    // Hidden while filled, so that it is not repainted row by row.
    ::ShowWindow(m_listBox, SW_HIDE);
    ::SendMessageA(m_listBox, LB_RESETCONTENT, 0, 0);
    WindowListReader(m_desktop, m_list).ReadWindows();
    for (int i = 0; i < m_list.WindowCount; ++i) {
        ::SendMessageA(m_listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_list.Rows[i].Title));
    }
    ::ShowWindow(m_listBox, SW_SHOW);
    ::SetWindowTextA(Handle(), "Windows List");
}

LRESULT WindowPicker::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_DRAWITEM:
        if (wParam == kListId) DrawListItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_MEASUREITEM:
        if (wParam == kListId) MeasureListItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_SIZE:
        FormResize();
        return 0;
    case WM_PAINT:
        PaintHeaders();
        return 0;
    case WM_CLOSE:
        Close();  // the close box keeps the row last highlighted
        return 0;
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

void WindowPicker::OnCommand(int id, int notification) {
    if (id == kListId) {
        if (notification == LBN_DBLCLK) OnSelectClicked();
        return;
    }
    if (notification != BN_CLICKED) return;
    switch (id) {
    case kSelectId: OnSelectClicked(); break;
    case kHighlightId: OnHighlightClicked(); break;
    case kRefreshId: OnRefreshClicked(); break;
    case kCancelId: OnCancelClicked(); break;
    default: break;
    }
}

int WindowPicker::SelectedItem() const {
    const LRESULT selected = ::SendMessageA(m_listBox, LB_GETCURSEL, 0, 0);
    return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

void WindowPicker::OnSelectClicked() {
    SelIndex = SelectedItem();
    if (SelIndex == -1) ::MessageBoxA(Handle(), "There is no active selection !", "Quorlan", MB_OK);
    Close();
}

void WindowPicker::OnHighlightClicked() {
    const int selected = SelectedItem();
    if (selected < 0 || selected >= m_list.WindowCount) return;
    ScreenRect rect;
    // A window closed since the list was read has no place to outline.
    if (!RestoreAndRaise(m_desktop, m_list.Rows[selected].Handle, &rect)) return;
    SelIndex = selected;
    {
        HighlightFrame frame(Handle(), rect.right, rect.bottom, rect.left, rect.top);
        frame.ShowModal();
    }
    ::SetForegroundWindow(Handle());
}

void WindowPicker::OnRefreshClicked() { ReadWindows(); }

void WindowPicker::OnCancelClicked() {
    SelIndex = -1;
    Close();
}

void WindowPicker::Close() { m_closed = true; }

void WindowPicker::MeasureListItem(MEASUREITEMSTRUCT& item) const {
    item.itemHeight = static_cast<UINT>(Px(picker::kItemHeight));
}

void WindowPicker::DrawListItem(const DRAWITEMSTRUCT& item) {
    const int index = static_cast<int>(item.itemID);
    if (index < 0 || index >= m_list.WindowCount) return;
    const TWindowEntry& row = m_list.Rows[index];
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const int h = r.bottom - r.top;

    if (selected) {
        UniqueBrush navy(::CreateSolidBrush(kNavy));
        ::FillRect(dc, &r, navy.get());
    } else {
        ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_WINDOW));
    }
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, selected ? kSelectedText : kNavy);
    ScopedSelect font(dc, m_font.get());
    const picker::RowLayout layout = picker::LayOutRow({r.left, r.top, r.right, r.bottom}, Px(picker::kSizeColumnWidth));
    DrawRowText(dc, row.Title, layout.title);
    DrawRowText(dc, row.ClassName, layout.className);
    char number[16];
    std::snprintf(number, sizeof number, "%d", row.ShowCmd);
    DrawRowText(dc, number, layout.number);
    m_images->Draw(dc, picker::StateImageFor(row.ShowCmd), layout.stateImage.left, layout.stateImage.top, h);
    DrawCaptionIcon(dc, row.Handle, r.left, r.top, h);
}

void WindowPicker::DrawCaptionIcon(HDC dc, WindowId window, int left, int top, int size) const {
    // Fetched from the window at each paint: a window closed since it was
    // listed draws nothing, and the cell stays empty.
    UniqueMemoryDC memory(::CreateCompatibleDC(dc));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(dc, size, size));
    if (!memory || !bitmap) return;
    ScopedSelect select(memory.get(), bitmap.get());
    RECT box = {0, 0, size, size};
    UniqueBrush backdrop(::CreateSolidBrush(kIconBackdrop));
    ::FillRect(memory.get(), &box, backdrop.get());
    // Some systems paint the icon but answer 0, so the answer is not trusted:
    // whatever was painted besides the icon has the corner's colour and is
    // left out below.
    ::DrawCaption(ToHwnd(window), memory.get(), &box, DC_ICON);
    const COLORREF transparent = ::GetPixel(memory.get(), 0, size - 1);
    ::GdiTransparentBlt(dc, left, top, size, size, memory.get(), 0, 0, size, size, transparent);
}

void WindowPicker::FormResize() {
    if (m_listBox == nullptr) return;
    RECT client;
    ::GetClientRect(Handle(), &client);
    const int width = client.right;
    const int panel = Px(picker::kPanelHeight);
    const int listHeight = std::max<int>(0, client.bottom - 2 * panel);
    ::MoveWindow(m_listBox, 0, panel, width, listHeight, TRUE);

    const auto lefts = picker::ButtonLefts(::MulDiv(width, static_cast<int>(kDesignDpi), static_cast<int>(m_dpi)));
    for (int i = 0; i < picker::kButtonCount; ++i) {
        ::MoveWindow(m_buttons[i], Px(lefts[i]), client.bottom - panel + Px(picker::kButtonTop),
                     Px(picker::kButtonWidth), Px(picker::kButtonHeight), TRUE);
    }
    if (width > Px(picker::kRepaintListAbove)) ::InvalidateRect(m_listBox, nullptr, TRUE);

    RECT listClient;
    ::GetClientRect(m_listBox, &listClient);
    if (const auto titleWidth = picker::TitleHeaderWidth(width, listClient.right, Px(picker::kSizeColumnWidth))) {
        m_titleHeaderWidth = *titleWidth;
    }
    RECT top = {0, 0, width, panel};
    ::InvalidateRect(Handle(), &top, TRUE);
}

void WindowPicker::PaintHeaders() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Handle(), &paint);
    RECT client;
    ::GetClientRect(Handle(), &client);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kNavy);
    ScopedSelect font(dc, m_font.get());

    RECT arriba = {0, 0, client.right, Px(picker::kTitleStripHeight)};
    ::DrawTextA(dc, "Active Windows", -1, &arriba, DT_CENTER | DT_VCENTER | DT_SINGLELINE);

    const int headerTop = arriba.bottom;
    const int headerBottom = headerTop + Px(picker::kHeaderHeight);
    const int maxLeft = client.right - Px(picker::kSizeColumnWidth);
    const struct {
        const char* caption;
        RECT cell;
    } headers[] = {
        {"Title", {0, headerTop, std::min(m_titleHeaderWidth, maxLeft), headerBottom}},
        {"Name", {std::min(m_titleHeaderWidth, maxLeft), headerTop, maxLeft, headerBottom}},
        {"Size", {maxLeft, headerTop, client.right, headerBottom}},
    };
    for (const auto& header : headers) {
        RECT cell = header.cell;
        ::DrawEdge(dc, &cell, BDR_RAISEDINNER, BF_RECT);
        ::DrawTextA(dc, header.caption, -1, &cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    ::EndPaint(Handle(), &paint);
}

}  // namespace ql::win32
