#pragma once
// The one dialog base class, beside Window: a dialog made from a resource
// template, created once and hidden, shown modally as often as needed. It
// routes messages to the virtual HandleMessage of the object that created it
// and lets no exception out.
#include <windows.h>

#include <memory>

namespace ql::win32 {

class Dialog {
public:
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    HWND Handle() const noexcept { return m_dialog; }
    HWND Item(int id) const noexcept { return ::GetDlgItem(m_dialog, id); }
    // Whether a modal showing is running.
    bool InModalLoop() const noexcept { return m_modal; }

protected:
    Dialog() = default;

    // Creates the dialog hidden, from the template in this program's resources.
    bool CreateFromResource(int templateId, HWND owner);
    // Shows the dialog with its owner disabled and pumps messages until
    // EndModal; then hides it again. A quit request met meanwhile is passed on.
    void RunModal();
    void EndModal() noexcept { m_endModal = true; }

    // Dialog-procedure rules: TRUE when handled (a message with a result of
    // its own puts it in DWLP_MSGRESULT; the WM_CTLCOLOR* messages return
    // their brush instead), FALSE for the default handling.
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

private:
    static INT_PTR CALLBACK StaticProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_dialog = nullptr;
    // False once the object is gone: a message handled inside the modal loop
    // (the owner ending the program) may destroy the dialog under it.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    bool m_modal = false;
    bool m_endModal = false;
};

}  // namespace ql::win32
