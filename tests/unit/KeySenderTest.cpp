#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "tests/fakes/FakeDesktop.h"
#include "keys/KeySender.h"
#include "tests/fakes/FakeKeyboard.h"

using ql::KeySender;
using ql::test::FakeKeyboard;
using ql::test::FakeDesktop;

namespace {

struct SenderFixture {
    FakeKeyboard keyboard;
    FakeDesktop desktop;
    KeySender sender{keyboard, desktop};

    // Runs a script that must be read to its end; returns what was typed.
    std::string Type(const std::string& script, bool pumpMessages = false) {
        keyboard.ClearLog();
        CHECK(sender.Run(script.c_str(), pumpMessages));
        CHECK_FALSE(keyboard.AnyKeyDown());
        return keyboard.Transcript();
    }
};

std::string Repeat(const std::string& part, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += (text.empty() ? "" : " ") + part;
    return text;
}

}  // namespace

TEST_CASE_FIXTURE(SenderFixture, "the closing scripts press with flags 0 and release with flags 3") {
    CHECK(Type("[Esc][Esc][Esc]") == "27:0 27:3 27:0 27:3 27:0 27:3");
    CHECK(Type("[Tab][Enter][Esc]") == "9:0 9:3 13:0 13:3 27:0 27:3");
    CHECK(Type("[Enter][Esc]") == "13:0 13:3 27:0 27:3");
}

TEST_CASE_FIXTURE(SenderFixture, "key events carry the layout's scan code cut to 8 bits") {
    keyboard.SetScanCode(27, 0x1E01);
    Type("[Esc]a");
    const auto keys = keyboard.KeyEvents();
    REQUIRE(keys.size() == 4);
    CHECK(keys[0].scanCode == 0x01);
    CHECK(keys[1].scanCode == 0x01);
    CHECK(keys[2].scanCode == 0x1E);
    CHECK(keys[3].scanCode == 0x1E);
}

TEST_CASE_FIXTURE(SenderFixture, "bracket names match in full without regard to case") {
    for (const char* script : {"[esc]", "[ESC]", "[ESCAPE]", "[eScApE]"}) {
        CAPTURE(script);
        CHECK(Type(script) == "27:0 27:3");
    }
    for (const char* script : {"[E]", "[ESCX]", "[]", "[ ESC]", "[Escap]"}) {
        CAPTURE(script);
        CHECK(Type(script) == "");
    }
    CHECK(Type("[F1]") == "112:0 112:3");
    CHECK(Type("[F16]") == "127:0 127:3");
    CHECK(Type("[add]") == "107:0 107:3");  // first entry of the table
    CHECK(Type("[win]") == "91:0 91:3");    // last entry of the table
    CHECK(Type("[del][Delete]") == "46:1 46:3 46:1 46:3");  // not taken for DELAY
}

TEST_CASE_FIXTURE(SenderFixture, "the navigation block is pressed as extended keys") {
    CHECK(Type("[LEFT]") == "37:1 37:3");
    CHECK(Type("[DOWN]") == "40:1 40:3");
    CHECK(Type("[PGUP][INS]") == "33:1 33:3 45:1 45:3");
    CHECK(Type("[NUMPAD2]") == "98:0 98:3");
}

TEST_CASE_FIXTURE(SenderFixture, "character entries type their character through the layout") {
    struct Case {
        const char* script;
        const char* typed;
    };
    const Case cases[] = {
        {"[LEFTBRACE]", "16:0 219:0 219:3 16:2"}, {"[RIGHTBRACE]", "16:0 221:0 221:3 16:2"},
        {"[PLUS]", "16:0 187:0 187:3 16:2"},      {"[CARET]", "16:0 54:0 54:3 16:2"},
        {"[PERCENT]", "16:0 53:0 53:3 16:2"},     {"[AT]", "16:0 50:0 50:3 16:2"},
        {"[LEFTPAREN]", "16:0 57:0 57:3 16:2"},   {"[RIGHTPAREN]", "16:0 48:0 48:3 16:2"},
        {"[TILDE]", "16:0 192:0 192:3 16:2"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.script);
        CHECK(Type(c.script) == c.typed);
    }
    // A layout that types { with Ctrl+Alt: all needed modifiers go down and up around it.
    keyboard.SetKeyWord('{', 0x0637);
    CHECK(Type("[LEFTBRACE]") == "17:0 18:0 55:0 55:3 17:2 18:2");
}

TEST_CASE_FIXTURE(SenderFixture, "plain characters") {
    CHECK(Type("ab") == "65:0 65:3 66:0 66:3");
    CHECK(Type("A") == "16:0 65:0 65:3 16:2");
    CHECK(Type("]") == "221:0 221:3");  // only [ is special
    CHECK(Type("~") == "13:0 13:3");
    CHECK(Type("a\x01\xE9" "b") == "65:0 65:3 66:0 66:3");  // no key in the layout: skipped
}

TEST_CASE_FIXTURE(SenderFixture, "a prefix holds its modifier for one key, a group for all of it") {
    CHECK(Type("+abc") == "16:0 65:0 65:3 16:2 66:0 66:3 67:0 67:3");
    CHECK(Type("+(abc)") == "16:0 65:0 65:3 66:0 66:3 67:0 67:3 16:2");
    CHECK(Type("^%@x") == "17:0 18:0 91:0 88:0 88:3 17:2 18:2 91:2");
    CHECK(Type("+A") == "16:0 16:0 65:0 65:3 16:2 16:2");
    CHECK(Type("+~a") == "16:0 13:0 13:3 16:2 65:0 65:3");
    CHECK(Type("^[Esc]") == "17:0 27:0 27:3 17:2");
    // Groups do not nest; an unclosed group ends with the script.
    CHECK(Type("^((a)b") == "17:0 65:0 65:3 17:2 66:0 66:3");
    CHECK(Type("%(a") == "18:0 65:0 65:3 18:2");
    // A bracket that sends no key keeps the prefix for the next key.
    CHECK(Type("+[BEEP]a") == "16:0 65:0 65:3 16:2");
}

TEST_CASE_FIXTURE(SenderFixture, "VKEY sends a raw key word") {
    CHECK(Type("[VKEY 321]") == "16:0 65:0 65:3 16:2");
    CHECK(Type("[vkey 65]") == "65:0 65:3");
    CHECK(Type("[VKEY 1089]") == "18:0 65:0 65:3 18:2");  // 0x441: Alt
    CHECK(Type("[VKEY 2369]") == "16:0 65:0 65:3 16:2");  // 0x941: bit 8 is not a modifier
    CHECK(Type("[VKEY 65535]") == "");
    CHECK(Type("[VKEY -1]") == "");
    CHECK(Type("[VKEY 65601]") == "65:0 65:3");  // cut to 16 bits
}

TEST_CASE_FIXTURE(SenderFixture, "DELAY=n pauses before every key stroke from then on") {
    CHECK(Type("[DELAY=100]ab") == "p100 65:0 65:3 p100 66:0 66:3");
    CHECK(sender.DefaultDelay() == 100);
    CHECK(Type("c") == "p100 67:0 67:3");
    // Needed modifiers go down before the pause; ~ and prefixes are not delayed.
    CHECK(Type("A+~") == "16:0 p100 65:0 65:3 16:2 16:0 13:0 13:3 16:2");
    CHECK(Type("[DELAY=0]a") == "65:0 65:3");
}

TEST_CASE_FIXTURE(SenderFixture, "DELAY n pauses before the next key stroke only") {
    CHECK(Type("[DELAY 500]ab") == "p500 65:0 65:3 66:0 66:3");
    CHECK(Type("[DELAY=100][DELAY 500]ab") == "p500 65:0 65:3 p100 66:0 66:3");
    // Still pending when the run ends: it waits for the next run's first key.
    CHECK(Type("[DELAY=0]a[DELAY 300]") == "65:0 65:3");
    CHECK(sender.PendingDelay() == 300);
    CHECK(Type("b") == "p300 66:0 66:3");
}

TEST_CASE_FIXTURE(SenderFixture, "a negative delay never pauses and large ones are bounded") {
    CHECK(Type("[DELAY=-100]ab") == "65:0 65:3 66:0 66:3");
    CHECK(Type("[DELAY=100][DELAY -1]ab") == "65:0 65:3 p100 66:0 66:3");
    CHECK(Type("[DELAY=-2147483648][DELAY -99999999999]a") == "65:0 65:3");
    CHECK(Type("[DELAY=0][DELAY 99999999999]a") == "p" + std::to_string(KeySender::kMaxPauseMs) + " 65:0 65:3");
}

TEST_CASE_FIXTURE(SenderFixture, "BEEP sounds and sends no key") {
    CHECK(Type("[BEEP 440 200]") == "b440/200");
    CHECK(Type("[beep 440 200]a") == "b440/200 65:0 65:3");
    for (const char* script : {"[BEEP 440]", "[BEEP]", "[BEEP ]", "[BEEP -440 200]", "[BEEP 440 -5]", "[BEEP  440 200]"}) {
        CAPTURE(script);
        CHECK(Type(script) == "");
    }
    CHECK(Type("[BEEP 440 99999999]") == "b440/" + std::to_string(KeySender::kMaxPauseMs));
}

TEST_CASE_FIXTURE(SenderFixture, "a bracket may hold 299 characters; 300 stop the run") {
    const std::string text299(299, 'x');
    const std::string text300(300, 'x');
    CHECK(Type("[" + text299 + "]a") == "65:0 65:3");
    CHECK(Type("a[" + text299) == "65:0 65:3");

    for (const std::string& tail : {std::string("]b"), std::string("")}) {
        keyboard.ClearLog();
        CHECK_FALSE(sender.Run(("+(a[" + text300 + tail).c_str(), false));
        // Held modifiers go up even inside an open group; nothing after the bracket is typed.
        CHECK(keyboard.Transcript() == "16:0 65:0 65:3 16:2");
        CHECK_FALSE(keyboard.AnyKeyDown());
    }
    // A much longer bracket is refused the same way, without reading it all.
    CHECK_FALSE(sender.Run(("[" + std::string(100000, 'y') + "]").c_str(), false));
}

TEST_CASE_FIXTURE(SenderFixture, "an open bracket at the end of the script is still a bracket") {
    CHECK(Type("a[Tab") == "65:0 65:3 9:0 9:3");
    CHECK(Type("[") == "");
    CHECK(Type("[VKEY 66") == "66:0 66:3");
}

TEST_CASE_FIXTURE(SenderFixture, "an empty script sends nothing and succeeds") {
    CHECK(Type("") == "");
    CHECK(sender.Run(nullptr, false));
    CHECK(keyboard.Log().empty());
}

TEST_CASE_FIXTURE(SenderFixture, "NUMLOCK on the NT family: fixed scan code, extended, no pumping") {
    keyboard.SetPlatformVersion(FakeKeyboard::kWindowsNt);
    CHECK(Type("[NUMLOCK]", true) == "144:1 144:3");
    const auto keys = keyboard.KeyEvents();
    REQUIRE(keys.size() == 2);
    CHECK(keys[0].scanCode == 0x45);
    CHECK(keys[1].scanCode == 0x45);
    CHECK((keyboard.KeyState(144) & 1) == 1);
    CHECK(Type("[VKEY 144]") == "144:1 144:3");
    CHECK((keyboard.KeyState(144) & 1) == 0);
}

TEST_CASE_FIXTURE(SenderFixture, "NUMLOCK on the old 95 family flips the keyboard state") {
    keyboard.SetPlatformVersion(FakeKeyboard::kWindows95);
    keyboard.SetToggled(144, true);
    CHECK(Type("[DELAY 20][NUMLOCK]") == "p20");
    CHECK((keyboard.KeyState(144) & 1) == 0);
    CHECK(Type("[NUMLOCK]") == "");
    CHECK((keyboard.KeyState(144) & 1) == 1);
    CHECK(keyboard.StateWrites() == 2);

    keyboard.FailStateReads(true);
    CHECK(Type("[NUMLOCK]") == "");
    CHECK(keyboard.StateWrites() == 2);  // nothing written from an unread state
}

TEST_CASE_FIXTURE(SenderFixture, "NUMLOCK on the later 95 family goes through SendInput") {
    keyboard.SetPlatformVersion(FakeKeyboard::kWindows98);
    CHECK(Type("[NUMLOCK 2]") == "i144:0 i144:2 i144:0 i144:2");
    CHECK(keyboard.StateWrites() == 0);
}

TEST_CASE_FIXTURE(SenderFixture, "with pumping, the thread's keyboard messages are drained after every key event") {
    CHECK(Type("[Tab]", true) == "9:0 ~ 9:3 ~");
    CHECK(Type("+a", true) == "16:0 ~ 65:0 ~ 65:3 ~ 16:2 ~");
    CHECK(Type("+a", false) == "16:0 65:0 65:3 16:2");
}

TEST_CASE_FIXTURE(SenderFixture, "a repeat count after a key name") {
    CHECK(Type("[Tab 3]") == Repeat("9:0 9:3", 3));
    CHECK(Type("[Esc 2]") == Repeat("27:0 27:3", 2));
    CHECK(Type("[Esc   2]") == Repeat("27:0 27:3", 2));
    CHECK(Type("[Tab ]") == "9:0 9:3");
    CHECK(Type("[PLUS 2]") == "16:0 187:0 187:3 187:0 187:3 16:2");
    CHECK(Type("[DELAY=10][Tab 2]") == "p10 9:0 9:3 p10 9:0 9:3");
    CHECK(Type("[DELAY=0]") == "");
    for (const char* script : {"[Tab 0]", "[Tab -2]", "[Tab x]"}) {
        CAPTURE(script);
        CHECK(Type(script) == "");
    }
    CHECK(Type("[Tab 100000]") == Repeat("9:0 9:3", KeySender::kMaxRepeat));
    CHECK(Type("[Tab3]") == "");  // the count is set off by a blank
}

TEST_CASE_FIXTURE(SenderFixture, "each run starts with no group and no held modifier") {
    CHECK_FALSE(sender.Run(("+(a[" + std::string(300, 'x')).c_str(), false));
    CHECK(Type("b") == "66:0 66:3");
}

TEST_CASE_FIXTURE(SenderFixture, "APPACTIVATE brings forward the first window whose title begins with the text") {
    desktop.AddWindow("Notepad", 100, 0, "Notepad - notes");
    const ql::WindowId editor = desktop.AddWindow("Editor", 101, 0, "Untitled - Editor");
    desktop.AddWindow("Other", 102, 0, "untitled - other");
    CHECK(Type("[APPACTIVATE untitled]") == "");
    CHECK(desktop.foregroundHistory == std::vector<ql::WindowId>{editor});
    CHECK(desktop.focusHistory == std::vector<ql::WindowId>{editor});

    for (const char* script : {"[APPACTIVATE Editor]", "[APPACTIVATE]", "[APPACTIVATE ]"}) {
        CAPTURE(script);
        CHECK(Type(script) == "");
    }
    CHECK(desktop.foregroundHistory.size() == 1);
    CHECK(desktop.messages.size() == 1);  // the activation's one system command (the window is not minimised)
}
