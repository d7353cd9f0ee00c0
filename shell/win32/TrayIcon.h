#pragma once
// The notification-area icon: shows what the request ring says, one step
// per timer tick, and comes back after the shell has lost it.
#include <windows.h>

#include <shellapi.h>

#include "platform/win32/UniqueHandle.h"
#include "shell/TrayQueue.h"

namespace ql::win32 {

// The callback message the shell sends to the owner window for mouse actions
// on the icon; lParam carries the mouse message.
constexpr UINT kTrayCallbackMessage = WM_USER + 1;
// lParam of the callback message when the user clicks the balloon
// (NIN_BALLOONUSERCLICK, absent from older headers).
constexpr LPARAM kBalloonClicked = WM_USER + 5;

class TrayIcon final : public TrayEvents {
public:
    // Loads the four icons from ".\Resource" (throws std::runtime_error naming
    // the file that cannot be loaded) and adds the icon, owned by owner.
    TrayIcon(HWND owner, ReleaseNotice notice);
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    void PostState(TrayImage image) override { m_queue.PostState(image); }
    void PostTip(const char* text) override { m_queue.PostTip(text); }
    void PostBalloon(const char* text) override { m_queue.PostBalloon(text); }
    // One step of the request ring, and the balloon waiting, every 250 ms
    // while the icon is not at rest.
    void Animate();
    bool AtRest() const { return m_queue.AtRest(); }
    // Adds the icon again after the shell restarted (it lost every icon).
    void Restore();
    // Takes the icon out of the notification area at the program's end.
    void Remove();

private:
    void Add();
    void Show();
    void ShowBalloon(const char* text);

    TrayQueue m_queue;
    UniqueIcon m_icons[4];  // indexed by TrayImage
    NOTIFYICONDATAA m_data{};
};

}  // namespace ql::win32
