#pragma once
// A keyboard that records what is typed on it instead of typing it, with a
// US layout for VkKeyScanA, a settable GetVersion and a keyboard state that
// key events move the way the real one does.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Keyboard.h"

namespace ql::test {

class FakeKeyboard final : public Keyboard {
public:
    // GetVersion values of the three platform paths the keyboard code knows.
    static constexpr std::uint32_t kWindowsNt = 0x1DB10106;     // 6.1 build 7601
    static constexpr std::uint32_t kWindows95 = 0xC0000004;     // 4.0
    static constexpr std::uint32_t kWindows98 = 0xC0000A04;     // 4.10

    enum class Kind { KeyEvent, InputEvent, Pause, Beep, Pump };

    struct Entry {
        Kind kind;
        std::uint16_t virtualKey = 0;
        std::uint8_t scanCode = 0;
        std::uint32_t flags = 0;
        unsigned frequency = 0;
        unsigned milliseconds = 0;
    };

    FakeKeyboard();

    void KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) override;
    void InputEvent(std::uint16_t virtualKey, std::uint32_t flags) override;
    std::uint16_t KeyWordOf(char character) override;
    unsigned ScanCodeOf(unsigned virtualKey) override;
    std::uint32_t PlatformVersion() override { return m_version; }
    std::int16_t KeyState(int virtualKey) override;
    bool ReadKeyboardState(std::uint8_t (&state)[256]) override;
    bool WriteKeyboardState(const std::uint8_t (&state)[256]) override;
    void PumpKeyboardMessages() override;
    void Pause(unsigned milliseconds) override;
    void Beep(unsigned frequency, unsigned milliseconds) override;

    // Called for every key event, after it is recorded: lets a test route the
    // key to the window in front.
    std::function<void(const Entry&)> onKey;

    // Everything in order.
    const std::vector<Entry>& Log() const { return m_log; }
    // Only the key events, both kinds.
    std::vector<Entry> KeyEvents() const;
    // The log as one line: "27:0" a key event (key:flags), "i144:2" an input
    // event, "p100" a pause, "b440/200" a beep, "~" a message pump.
    std::string Transcript() const;
    void ClearLog() { m_log.clear(); }

    void SetKeyWord(char character, std::uint16_t word);
    void SetScanCode(unsigned virtualKey, unsigned scanCode);
    void SetPlatformVersion(std::uint32_t version) { m_version = version; }
    void SetToggled(int virtualKey, bool on);
    void FailStateReads(bool fail) { m_failStateReads = fail; }
    // Whether any key is down in the keyboard state.
    bool AnyKeyDown() const;
    int StateWrites() const { return m_stateWrites; }

private:
    void Track(std::uint16_t virtualKey, std::uint32_t flags);

    std::vector<Entry> m_log;
    std::uint16_t m_keyWords[256];
    unsigned m_scanCodes[256];
    std::uint8_t m_state[256] = {};
    std::uint32_t m_version = kWindowsNt;
    bool m_failStateReads = false;
    int m_stateWrites = 0;
};

}  // namespace ql::test
