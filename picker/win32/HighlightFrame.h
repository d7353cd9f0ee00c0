#pragma once
// HighlightFrame, the highlight frame: for about a second it covers the
// screen with a translucent grey veil in which one window's rectangle is cut
// out clear and outlined in navy. Any key closes it at once; clicks do not.
#include "platform/Desktop.h"
#include "platform/win32/Window.h"

namespace ql::win32 {

class HighlightFrame final : public Window {
public:
    // The rectangle in screen coordinates, in the order GetWindowRect's
    // fields are handed over: right, bottom, left, top.
    HighlightFrame(HWND owner, int right, int bottom, int left, int top);
    ~HighlightFrame() override;

    // Shows the frame over the whole screen and returns when it has closed.
    void ShowModal();
    bool Created() const { return Handle() != nullptr; }

    static constexpr unsigned kShowMilliseconds = 1000;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint();
    void Close();  // Timer1Timer and FormKeyDown both end here

    ScreenRect m_rectangulo;  // client coordinates, which are screen coordinates here
    bool m_closed = false;
};

}  // namespace ql::win32
