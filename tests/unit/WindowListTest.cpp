#include <doctest/doctest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "FakeDesktop.h"
#include "picker/Highlight.h"
#include "picker/PickerLayout.h"
#include "picker/WindowList.h"

namespace {

using ql::TWindowList;
using ql::WindowId;
using ql::test::FakeDesktop;
using ql::test::FakeWindow;

struct Picker {
    FakeDesktop desktop;
    TWindowList list;
    ql::WindowListReader reader{desktop, list};

    WindowId Add(const std::string& className, const std::string& title = "a title") {
        return desktop.AddWindow(className, 100, 0, title);
    }
    std::string Classes() {
        reader.ReadWindows();
        std::string classes;
        for (int i = 0; i < list.WindowCount; ++i) classes += std::string(i ? "," : "") + list.Rows[i].ClassName;
        return classes;
    }
};

}  // namespace

TEST_CASE("one window alone is listed only if a user could pick it") {
    struct Case {
        const char* what;
        const char* className;
        std::function<void(FakeWindow&)> change;
        bool listed;
    };
    const Case cases[] = {
        {"a plain window", "Notepad", [](FakeWindow&) {}, true},
        {"a maximised window", "Notepad", [](FakeWindow& w) { w.showState = 3; }, true},
        {"a hidden window", "Notepad", [](FakeWindow& w) { w.visible = false; }, false},
        {"a minimised window", "Notepad", [](FakeWindow& w) { w.showState = 2; }, false},
        {"a window placed as hidden", "Notepad", [](FakeWindow& w) { w.showState = 0; }, false},
        {"a window exactly covering the screen", "Notepad", [](FakeWindow& w) { w.rect = {0, 0, 1024, 768}; }, false},
        {"a window one pixel short of the screen", "Notepad", [](FakeWindow& w) { w.rect = {0, 0, 1024, 767}; }, true},
        {"a window larger than the screen", "Notepad", [](FakeWindow& w) { w.rect = {-8, -8, 1032, 776}; }, true},
        {"a window without class name", "", [](FakeWindow&) {}, false},
        {"the desktop window", "#32769", [](FakeWindow&) {}, false},
        {"the taskbar", "Shell_TrayWnd", [](FakeWindow&) {}, false},
        {"a taskbar relative, any case", "shell_traywndSecondary", [](FakeWindow&) {}, false},
        {"a class shorter than the taskbar's", "Shell_Tray", [](FakeWindow&) {}, true},
        {"a replacement tray", "ISW_TRAY_WINDOW_CLASS2", [](FakeWindow&) {}, false},
        {"the hidden application window", "TApplication", [](FakeWindow&) {}, false},
        {"the hidden application window, other case", "tapplication", [](FakeWindow&) {}, false},
        {"a class that goes on after TApplication", "TApplicationX", [](FakeWindow&) {}, true},
    };
    for (const Case& c : cases) {
        CAPTURE(c.what);
        Picker picker;
        const WindowId window = picker.Add(c.className, "Its title");
        c.change(*picker.desktop.Find(window));
        picker.reader.ReadWindows();
        REQUIRE(picker.list.WindowCount == (c.listed ? 1 : 0));
        if (c.listed) {
            const ql::TWindowEntry& row = picker.list.Rows[0];
            CHECK(std::strcmp(row.ClassName, c.className) == 0);
            CHECK(std::strcmp(row.Title, "Its title") == 0);
            CHECK(row.Handle == window);
            CHECK(row.ShowCmd == picker.desktop.Find(window)->showState);
        }
    }
}

TEST_CASE("classes sharing their first four letters give one row, for the window highest in z-order") {
    struct Case {
        const char* higher;
        const char* lower;
        const char* expected;
    };
    const Case cases[] = {
        {"Notepad", "NoteList", "Notepad"},
        {"NOTEpad", "notelist", "NOTEpad"},
        {"Ab", "aB", "Ab"},          // short names: the same name only
        {"Ab", "Abc", "Ab,Abc"},
        {"Abc", "Abcd", "Abc,Abcd"},
        {"Note", "Nota", "Note,Nota"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.higher);
        CAPTURE(c.lower);
        Picker picker;
        picker.Add(c.higher);
        picker.Add(c.lower);
        CHECK(picker.Classes() == c.expected);
    }

    SUBCASE("a higher window that is not listed leaves the class free") {
        Picker picker;
        picker.desktop.Find(picker.Add("Notepad"))->showState = 2;
        picker.Add("NoteList");
        CHECK(picker.Classes() == "NoteList");
    }
}

TEST_CASE("owned windows lead to their owner and are never listed themselves") {
    Picker picker;
    // A question above the window that owns it, and a window of a like class
    // between them in z-order.
    const WindowId question = picker.desktop.AddWindow("#32770", 100, 0, "Save changes?");
    picker.Add("EditPad");
    const WindowId owner = picker.Add("Editor", "Document");
    picker.desktop.Find(question)->parent = owner;

    SUBCASE("the owner takes the place of its question in z-order") {
        CHECK(picker.Classes() == "Editor");
        CHECK(picker.list.Rows[0].Handle == owner);
    }
    SUBCASE("an owner that is hidden lists nothing in its place") {
        picker.desktop.Find(owner)->visible = false;
        CHECK(picker.Classes() == "EditPad");
    }
    SUBCASE("the owner test itself rejects an owned window") {
        CHECK_FALSE(picker.reader.AddWindow(question, 0));
        CHECK(picker.reader.AddWindow(owner, 0));
    }
}

TEST_CASE("with sixty qualifying windows the first fifty in z-order are listed") {
    Picker picker;
    char className[8];
    for (int i = 0; i < 60; ++i) {
        std::snprintf(className, sizeof className, "%02dWin", i);
        picker.Add(className);
    }
    picker.reader.ReadWindows();
    REQUIRE(picker.list.WindowCount == 50);
    CHECK(std::strcmp(picker.list.Rows[0].ClassName, "00Win") == 0);
    CHECK(std::strcmp(picker.list.Rows[49].ClassName, "49Win") == 0);
    CHECK_FALSE(picker.reader.AddWindow(picker.list.Rows[0].Handle, 50));
}

TEST_CASE("a user reads the list, a window closes, the rows stay until Refresh") {
    Picker picker;
    const WindowId editor = picker.Add("Editor", std::string(300, 'T'));
    picker.Add("Viewer");
    CHECK(picker.Classes() == "Editor,Viewer");
    CHECK(std::strlen(picker.list.Rows[0].Title) == 249);  // a long title is cut, not overrun

    picker.desktop.Destroy(editor);
    CHECK(picker.list.Rows[0].Handle == editor);  // nothing re-reads behind the user's back

    CHECK(picker.Classes() == "Viewer");
}

TEST_CASE("the buttons keep their design places up to a 325-pixel panel, then follow the right edge") {
    using Lefts = std::array<int, ql::picker::kButtonCount>;
    CHECK(ql::picker::ButtonLefts(200) == Lefts{8, 88, 168, 248});
    CHECK(ql::picker::ButtonLefts(325) == Lefts{8, 88, 168, 248});
    CHECK(ql::picker::ButtonLefts(326) == Lefts{6, 86, 166, 246});
    CHECK(ql::picker::ButtonLefts(565) == Lefts{245, 325, 405, 485});
}

TEST_CASE("the Title header ends where the rows' Title column ends; normal windows get the two-window image") {
    CHECK_FALSE(ql::picker::TitleHeaderWidth(84, 80, 28).has_value());
    CHECK(ql::picker::TitleHeaderWidth(85, 81, 28) == 26);
    CHECK(ql::picker::TitleHeaderWidth(565, 565, 28) == 268);  // (565 - 28) / 2, truncated

    const ql::picker::RowLayout row = ql::picker::LayOutRow({0, 48, 565, 72}, 28);
    CHECK(row.title.right == 268 - 1);
    CHECK(row.className.left == 268 + 1);
    CHECK(row.icon.left == 0);
    CHECK(row.icon.right == 24);
    CHECK(row.title.left == 25);
    CHECK(row.className.right == 565 - 28 - 1);
    CHECK(row.stateImage.left == 537);
    CHECK(row.stateImage.top == 48);
    CHECK(row.stateImage.bottom == 72);
    CHECK(row.number.left == row.stateImage.left);

    CHECK(ql::picker::StateImageFor(1) == 1);
    CHECK(ql::picker::StateImageFor(2) == 1);
    CHECK(ql::picker::StateImageFor(3) == 0);
    CHECK(ql::picker::StateImageFor(9) == 0);
}

TEST_CASE("Highlight brings a listed window back to normal size and to the front, but not a closed one") {
    Picker picker;
    const WindowId editor = picker.Add("Editor");
    picker.desktop.Find(editor)->showState = 3;
    picker.desktop.Find(editor)->rect = {-4, -4, 1028, 772};

    ql::ScreenRect rect;
    REQUIRE(ql::RestoreAndRaise(picker.desktop, editor, &rect));
    CHECK(picker.desktop.ShowStateOf(editor) == 1);
    CHECK(picker.desktop.Foreground() == editor);
    CHECK(rect.left == -4);
    CHECK(rect.bottom == 772);

    picker.desktop.Destroy(editor);
    picker.desktop.foregroundHistory.clear();
    CHECK_FALSE(ql::RestoreAndRaise(picker.desktop, editor, &rect));
    CHECK(picker.desktop.foregroundHistory.empty());
}

TEST_CASE("the chosen row's class name is handed over whole, cut to the buffer, or not at all") {
    Picker picker;
    picker.Add("Editor");
    picker.Add("Viewer");
    picker.reader.ReadWindows();
    char chosen[8] = "before";
    CHECK_FALSE(ql::CopyRowClassName(picker.list, -1, chosen, sizeof chosen));
    CHECK_FALSE(ql::CopyRowClassName(picker.list, 2, chosen, sizeof chosen));
    CHECK(std::string(chosen) == "before");
    CHECK(ql::CopyRowClassName(picker.list, 1, chosen, sizeof chosen));
    CHECK(std::string(chosen) == "Viewer");
    char small[4];
    CHECK(ql::CopyRowClassName(picker.list, 0, small, sizeof small));
    CHECK(std::string(small) == "Edi");
}
