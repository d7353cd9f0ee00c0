#pragma once
// What the key sender relies on from a keyboard with a US layout, checked
// against the fake and, under Wine, against the real keyboard.
#include <doctest/doctest.h>

#include <cstdint>
#include <initializer_list>

#include "platform/Keyboard.h"

namespace ql::test {

inline void CheckUsLayout(Keyboard& keyboard) {
    struct Word {
        char character;
        std::uint16_t word;
    };
    const Word words[] = {
        {'a', 0x041}, {'A', 0x141}, {'z', 0x05A}, {'1', 0x031}, {'!', 0x131}, {' ', 0x020}, {'\t', 0x009},
        {'{', 0x1DB}, {'}', 0x1DD}, {'~', 0x1C0}, {'+', 0x1BB}, {'^', 0x136}, {'%', 0x135}, {'@', 0x132},
        {']', 0x0DD},
    };
    // Not ( and ): Wine over the X server's default keymap finds no key for them.
    for (const Word& w : words) {
        CAPTURE(w.character);
        CHECK(keyboard.KeyWordOf(w.character) == w.word);
    }
    struct Scan {
        unsigned virtualKey;
        unsigned scanCode;
    };
    const Scan scans[] = {{27, 0x01}, {9, 0x0F}, {13, 0x1C}, {16, 0x2A}, {17, 0x1D}, {18, 0x38}, {65, 0x1E}};
    for (const Scan& s : scans) {
        CAPTURE(s.virtualKey);
        CHECK(keyboard.ScanCodeOf(s.virtualKey) == s.scanCode);
    }
}

// Writes the Scroll Lock toggle into the thread's keyboard state and reads it
// back through the key state; leaves the state as it found it.
inline void CheckKeyboardStateRoundTrip(Keyboard& keyboard) {
    constexpr int kScrollLock = 145;
    std::uint8_t original[256] = {};
    REQUIRE(keyboard.ReadKeyboardState(original));
    std::uint8_t changed[256] = {};
    for (int i = 0; i < 256; ++i) changed[i] = original[i];
    for (const bool on : {true, false}) {
        changed[kScrollLock] = static_cast<std::uint8_t>(on ? 1 : 0);
        CHECK(keyboard.WriteKeyboardState(changed));
        CHECK((keyboard.KeyState(kScrollLock) & 1) == (on ? 1 : 0));
    }
    keyboard.WriteKeyboardState(original);
}

}  // namespace ql::test
