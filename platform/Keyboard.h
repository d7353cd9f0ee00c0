#pragma once
// Synthetic keyboard input and the keyboard layout it is typed in.
#include <cstdint>

namespace ql {

namespace keyflag {
constexpr std::uint32_t kExtended = 0x1;  // KEYEVENTF_EXTENDEDKEY
constexpr std::uint32_t kKeyUp = 0x2;     // KEYEVENTF_KEYUP
}  // namespace keyflag

class Keyboard {
public:
    virtual ~Keyboard() = default;

    // One key event (keybd_event).
    virtual void KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) = 0;
    // One key event through SendInput (scan code 0).
    virtual void InputEvent(std::uint16_t virtualKey, std::uint32_t flags) = 0;
    // VkKeyScanA: low byte key code, high byte shift state; 0xFFFF for none.
    virtual std::uint16_t KeyWordOf(char character) = 0;
    // MapVirtualKeyA(code, MAPVK_VK_TO_VSC).
    virtual unsigned ScanCodeOf(unsigned virtualKey) = 0;
    // GetVersion.
    virtual std::uint32_t PlatformVersion() = 0;
    // GetKeyState.
    virtual std::int16_t KeyState(int virtualKey) = 0;
    virtual bool ReadKeyboardState(std::uint8_t (&state)[256]) = 0;
    virtual bool WriteKeyboardState(const std::uint8_t (&state)[256]) = 0;
    // Dispatches the calling thread's pending keyboard messages.
    virtual void PumpKeyboardMessages() = 0;
    virtual void Pause(unsigned milliseconds) = 0;
    virtual void Beep(unsigned frequency, unsigned milliseconds) = 0;
};

}  // namespace ql
