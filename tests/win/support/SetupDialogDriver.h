#pragma once
// Drives Quorlan's setup dialog from another process as a user would: real
// mouse clicks on its controls and typed keys.
#include <windows.h>

#include <string>

#include "WinTestSupport.h"
#include "settings/win32/SetupDialogIds.h"

namespace ql::test {

constexpr const char* kSetupTitle = "Quorlan - Setup";

// The setup dialog of a process, once it is visible.
inline HWND WaitForSetupDialog(DWORD processId, DWORD timeoutMs = 15000) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND dialog : TopLevelWindowsOfClass("#32770", processId)) {
                char title[64] = {};
                GetWindowTextA(dialog, title, sizeof title);
                if (IsWindowVisible(dialog) && std::string(title) == kSetupTitle) found = dialog;
            }
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

// A left click at a point of the screen, through the real mouse input.
inline void ClickAt(int x, int y) {
    ClickAt(POINT{x, y});
    PumpFor(200);
}

// A left click in the middle of the control.
inline void ClickControl(HWND dialog, int id) {
    const HWND control = GetDlgItem(dialog, id);
    BringForward(dialog);
    RECT box{};
    GetWindowRect(control, &box);
    ClickAt((box.left + box.right) / 2, (box.top + box.bottom) / 2);
}

inline void SendKey(WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(INPUT));
}

// Types plain characters (digits, letters) into the focused control.
inline void TypeText(const std::string& text) {
    for (char typed : text) {
        const SHORT scan = VkKeyScanA(typed);
        const WORD key = LOBYTE(scan);
        const bool shift = (HIBYTE(scan) & 1) != 0;
        if (shift) SendKey(VK_SHIFT, false);
        SendKey(key, false);
        SendKey(key, true);
        if (shift) SendKey(VK_SHIFT, true);
    }
    PumpFor(200);
}

// Clicks into a text field, selects its whole text with Home, Shift+End and
// types over it.
inline void ReplaceFieldText(HWND dialog, int id, const std::string& text) {
    ClickControl(dialog, id);
    SendKey(VK_HOME, false);
    SendKey(VK_HOME, true);
    SendKey(VK_SHIFT, false);
    SendKey(VK_END, false);
    SendKey(VK_END, true);
    SendKey(VK_SHIFT, true);
    TypeText(text);
}

inline std::string ControlText(HWND dialog, int id) {
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

inline LRESULT CheckOf(HWND dialog, int id) { return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0); }

// Clicks and keys reach the other process when it gets to them: these wait
// until the control shows what is expected, and answer what it shows then.
constexpr DWORD kControlWait = 10000;
inline std::string ControlTextOnceIs(HWND dialog, int id, const std::string& expected) {
    WaitUntil([&] { return ControlText(dialog, id) == expected; }, kControlWait);
    return ControlText(dialog, id);
}
inline LRESULT CheckOnceIs(HWND dialog, int id, LRESULT expected) {
    WaitUntil([&] { return CheckOf(dialog, id) == expected; }, kControlWait);
    return CheckOf(dialog, id);
}

}  // namespace ql::test
