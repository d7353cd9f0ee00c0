#pragma once
// WindowPicker, the window picker: lists the desktop's windows one per class
// and hands back the class name of the row the user chooses. Its buttons:
// Select (confirm the selected row), Highlight (restore, raise and outline
// the selected row's window), Refresh (read the desktop again), Cancel.
#include <cstddef>
#include <memory>

#include "picker/WindowList.h"
#include "picker/win32/StateImages.h"
#include "platform/Desktop.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Window.h"

namespace ql::win32 {

class WindowPicker final : public Window {
public:
    // Builds the window, centred on the screen, and reads the desktop's
    // windows into the shared list before it is ever shown.
    WindowPicker(Desktop& desktop, HWND owner);

    bool Created() const { return Handle() != nullptr; }
    void MoveTo(int left, int top);
    // Shows the picker and returns when it has closed.
    void ShowModal();
    // After the picker has closed: the chosen row's class name into buffer
    // (capacity characters, NUL included), or false when nothing was chosen.
    bool GetSelection(char* buffer, std::size_t capacity) const;

    // The row confirmed by Select or last highlighted; -1 for none.
    int SelIndex = -1;

    // Control ids, for keyboard handling and for tests that drive the picker.
    static constexpr int kSelectId = IDOK;       // Enter selects
    static constexpr int kCancelId = IDCANCEL;   // Esc cancels
    static constexpr int kHighlightId = 101;
    static constexpr int kRefreshId = 102;
    static constexpr int kListId = 103;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void CreateControls();
    void ReadWindows();
    void OnCommand(int id, int notification);
    void OnSelectClicked();
    void OnHighlightClicked();
    void OnRefreshClicked();
    void OnCancelClicked();
    void DrawListItem(const DRAWITEMSTRUCT& item);
    void MeasureListItem(MEASUREITEMSTRUCT& item) const;
    void DrawCaptionIcon(HDC dc, WindowId window, int left, int top, int size) const;
    void FormResize();
    void PaintHeaders();
    int SelectedItem() const;
    void Close();
    int Px(int designPixels) const { return Scaled(designPixels, m_dpi); }

    Desktop& m_desktop;
    TWindowList& m_list;
    UINT m_dpi = kDesignDpi;
    bool m_closed = false;
    UniqueFont m_font;
    std::unique_ptr<StateImages> m_images;
    HWND m_listBox = nullptr;
    HWND m_buttons[4] = {};
    int m_titleHeaderWidth = 0;  // the "Title" header, kept in line with the rows' Title column
};

}  // namespace ql::win32
