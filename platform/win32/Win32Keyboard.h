#pragma once
// Synthetic keyboard input and the keyboard layout through user32 and kernel32.
#include "platform/Keyboard.h"

namespace ql::win32 {

class Win32Keyboard final : public Keyboard {
public:
    void KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) override;
    void InputEvent(std::uint16_t virtualKey, std::uint32_t flags) override;
    std::uint16_t KeyWordOf(char character) override;
    unsigned ScanCodeOf(unsigned virtualKey) override;
    std::uint32_t PlatformVersion() override;
    std::int16_t KeyState(int virtualKey) override;
    bool ReadKeyboardState(std::uint8_t (&state)[256]) override;
    bool WriteKeyboardState(const std::uint8_t (&state)[256]) override;
    void PumpKeyboardMessages() override;
    void Pause(unsigned milliseconds) override;
    void Beep(unsigned frequency, unsigned milliseconds) override;
};

}  // namespace ql::win32
