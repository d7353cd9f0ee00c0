#include "shell/win32/TrayIcon.h"

#include <stdexcept>
#include <string>

#include "core/Text.h"
#include "platform/win32/SystemError.h"

namespace ql::win32 {

namespace {

// In TrayImage order.
constexpr const char* kIconFiles[] = {
    ".\\Resource\\Blue 128 Icon.ico",
    ".\\Resource\\Blue Br 128 Icon.ico",
    ".\\Resource\\Red 128 Icon.ico",
    ".\\Resource\\Green 128 Icon.ico",
};

// How long the shell shows a balloon, as far as it heeds the wish.
constexpr UINT kBalloonTimeoutMs = 30000;

UniqueIcon LoadIconFile(const char* path) {
    // The small-icon size follows the screen's scaling in a DPI-aware program.
    UniqueIcon icon(static_cast<HICON>(::LoadImageA(nullptr, path, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                    ::GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE)));
    if (!icon) throw SystemError(std::string("The icon file ") + path + " cannot be loaded.");
    return icon;
}

}  // namespace

TrayIcon::TrayIcon(HWND owner, ReleaseNotice notice) : m_queue(notice) {
    for (std::size_t i = 0; i < std::size(kIconFiles); ++i) m_icons[i] = LoadIconFile(kIconFiles[i]);
    // The first, 88-byte form of the record: every shell understands it.
    m_data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    m_data.hWnd = owner;
    m_data.uID = ::GetCurrentProcessId();
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_data.uCallbackMessage = kTrayCallbackMessage;
    Show();
    Add();
}

void TrayIcon::Animate() {
    char balloon[TrayQueue::kBalloonCapacity];
    if (m_queue.TakeBalloon(balloon)) ShowBalloon(balloon);
    if (!m_queue.Animate()) return;
    Show();
    // A modify fails when the shell no longer has the icon: put it back.
    if (!::Shell_NotifyIconA(NIM_MODIFY, &m_data)) Add();
}

// Balloons need the record's second form; the icon's own record stays in the
// first form, which every shell understands. An empty text takes the balloon down.
void TrayIcon::ShowBalloon(const char* text) {
    NOTIFYICONDATAA balloon{};
    balloon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    balloon.hWnd = m_data.hWnd;
    balloon.uID = m_data.uID;
    balloon.uFlags = NIF_INFO;
    CopyText(balloon.szInfo, text);
    CopyText(balloon.szInfoTitle, "Quorlan");
    balloon.dwInfoFlags = NIIF_WARNING;
    balloon.uTimeout = kBalloonTimeoutMs;
    ::Shell_NotifyIconA(NIM_MODIFY, &balloon);
}

void TrayIcon::Restore() {
    // A shell that still holds the icon refuses a second add.
    ::Shell_NotifyIconA(NIM_DELETE, &m_data);
    Add();
}

void TrayIcon::Remove() { ::Shell_NotifyIconA(NIM_DELETE, &m_data); }

void TrayIcon::Add() { ::Shell_NotifyIconA(NIM_ADD, &m_data); }

void TrayIcon::Show() {
    m_data.hIcon = m_icons[static_cast<std::size_t>(m_queue.Image())].get();
    // The first form's tip holds 63 characters and the zero.
    CopyText(m_data.szTip, TrayQueue::kTipCapacity, m_queue.Tip());
}

}  // namespace ql::win32
