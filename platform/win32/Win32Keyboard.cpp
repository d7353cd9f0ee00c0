#include "platform/win32/Win32Keyboard.h"

#include <windows.h>

#include "core/HookProtocol.h"

namespace ql::win32 {

namespace {

// WM_KEYFIRST to the last key message before WM_UNICHAR: the messages a
// keyboard event can produce.
constexpr UINT kFirstKeyMessage = 0x0100;
constexpr UINT kLastKeyMessage = 0x0108;

// Every key typed here carries the mark the hook library recognises as ours.
constexpr ULONG_PTR kOwnInput = hookproto::kOwnInputMarker;

}  // namespace

void Win32Keyboard::KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) {
    ::keybd_event(virtualKey, scanCode, flags, kOwnInput);
}

void Win32Keyboard::InputEvent(std::uint16_t virtualKey, std::uint32_t flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = flags;
    input.ki.dwExtraInfo = kOwnInput;
    ::SendInput(1, &input, sizeof input);
}

std::uint16_t Win32Keyboard::KeyWordOf(char character) { return static_cast<std::uint16_t>(::VkKeyScanA(character)); }

unsigned Win32Keyboard::ScanCodeOf(unsigned virtualKey) { return ::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC); }

std::uint32_t Win32Keyboard::PlatformVersion() { return ::GetVersion(); }

std::int16_t Win32Keyboard::KeyState(int virtualKey) { return ::GetKeyState(virtualKey); }

bool Win32Keyboard::ReadKeyboardState(std::uint8_t (&state)[256]) { return ::GetKeyboardState(state) != FALSE; }

bool Win32Keyboard::WriteKeyboardState(const std::uint8_t (&state)[256]) {
    // SetKeyboardState takes a non-const pointer but only reads the table.
    BYTE copy[256];
    ::CopyMemory(copy, state, sizeof copy);
    return ::SetKeyboardState(copy) != FALSE;
}

void Win32Keyboard::PumpKeyboardMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, kFirstKeyMessage, kLastKeyMessage, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

void Win32Keyboard::Pause(unsigned milliseconds) { ::Sleep(milliseconds); }

void Win32Keyboard::Beep(unsigned frequency, unsigned milliseconds) { ::Beep(frequency, milliseconds); }

}  // namespace ql::win32
