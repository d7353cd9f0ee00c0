#pragma once
// What the supervisor relies on from a desktop, checked against the fake
// and, under Wine, against the real window system.
#include <doctest/doctest.h>

#include <cstring>
#include <vector>

#include "platform/Desktop.h"

namespace ql::test {

// A desktop to check, with the means to make and destroy windows on it.
class DesktopWorld {
public:
    virtual ~DesktopWorld() = default;
    virtual Desktop& Subject() = 0;
    // With an owner, an owned popup (as dialogs and message boxes are).
    virtual WindowId MakeTopLevel(const char* className, const char* title, WindowId owner) = 0;
    virtual WindowId MakeChild(WindowId parent, const char* className) = 0;
    // An owned window that is not a popup (WS_OVERLAPPEDWINDOW with an owner).
    virtual WindowId MakeOwnedOverlapped(const char* className, WindowId owner) = 0;
    // Takes the window's input away, as a modal dialog does to its owner.
    virtual void Disable(WindowId window) = 0;
    virtual void DestroyWindowOf(WindowId window) = 0;
    // The process the made windows belong to.
    virtual ProcessId OwnProcess() = 0;
};

inline bool Enumerates(Desktop& desktop, WindowId wanted) {
    bool found = false;
    desktop.EnumTopLevelWindows([&](WindowId window) {
        found = found || window == wanted;
        return true;
    });
    return found;
}

inline void CheckDesktopContract(DesktopWorld& world) {
    Desktop& desktop = world.Subject();
    const WindowId owner = world.MakeTopLevel("QLContractOwner", "Owner title", 0);
    const WindowId owned = world.MakeTopLevel("QLContractOwned", "", owner);
    const WindowId child = world.MakeChild(owner, "QLContractChild");

    SUBCASE("names and titles are copied whole, or cut and terminated") {
        char buffer[64];
        CHECK(desktop.ClassNameOf(owner, buffer, sizeof buffer) == 15);
        CHECK(std::strcmp(buffer, "QLContractOwner") == 0);
        char small[6];
        CHECK(desktop.ClassNameOf(owner, small, sizeof small) == 5);
        CHECK(std::strcmp(small, "QLCon") == 0);
        CHECK(desktop.TitleOf(owner, buffer, sizeof buffer) == 11);
        CHECK(std::strcmp(buffer, "Owner title") == 0);
    }
    SUBCASE("parents lead from a child to its parent and from an owned window to its owner") {
        CHECK(desktop.ParentOf(child) == owner);
        CHECK(desktop.ParentOf(owned) == owner);
        CHECK(desktop.ParentOf(owner) == 0);
    }
    SUBCASE("a window tells its thread and process") {
        ProcessId process = 0;
        CHECK(desktop.ThreadOf(owner, &process) != 0);
        CHECK(process == world.OwnProcess());
        CHECK(desktop.ThreadOf(owner, nullptr) == desktop.ThreadOf(owned, nullptr));
    }
    SUBCASE("the enumeration meets top-level windows only, and stops when told") {
        CHECK(Enumerates(desktop, owner));
        CHECK(Enumerates(desktop, owned));
        CHECK_FALSE(Enumerates(desktop, child));
        int visits = 0;
        desktop.EnumTopLevelWindows([&](WindowId) { return ++visits < 2; });
        CHECK(visits == 2);
    }
    SUBCASE("a minimised window says so until SC_RESTORE brings it back") {
        constexpr int kSwMinimize = 6;
        constexpr MessageWord kScRestore = 0xF120;
        CHECK_FALSE(desktop.IsMinimized(owner));
        desktop.Show(owner, kSwMinimize);
        CHECK(desktop.IsMinimized(owner));
        desktop.Send(owner, msg::kSysCommand, kScRestore, 0);
        CHECK_FALSE(desktop.IsMinimized(owner));
        CHECK_FALSE(desktop.IsMinimized(0));
    }
    SUBCASE("a destroyed window is gone for every question") {
        world.DestroyWindowOf(owned);
        CHECK_FALSE(desktop.Exists(owned));
        CHECK_FALSE(Enumerates(desktop, owned));
        char buffer[64] = "stale";
        CHECK(desktop.ClassNameOf(owned, buffer, sizeof buffer) == 0);
        CHECK(buffer[0] == '\0');
        CHECK_FALSE(desktop.Post(owned, msg::kClose, 0, 0));
        CHECK(desktop.Exists(owner));
        CHECK(desktop.Post(owner, msg::kUser + 99, 0, 0));
        ScreenRect rect;
        CHECK_FALSE(desktop.RectOf(owned, &rect));
        CHECK(desktop.ShowStateOf(owned) == show::kHide);
        CHECK(desktop.StyleOf(owned) == 0);
        CHECK_FALSE(desktop.SetShowState(owned, show::kRestore));
    }
    SUBCASE("owners are told apart from parents") {
        CHECK(desktop.OwnerOf(owned) == owner);
        CHECK(desktop.OwnerOf(owner) == 0);
        CHECK(desktop.OwnerOf(child) == 0);
    }
    SUBCASE("an owned overlapped window names its owner only as its owner") {
        const WindowId tool = world.MakeOwnedOverlapped("QLContractTool", owner);
        CHECK(desktop.ParentOf(tool) == 0);
        CHECK(desktop.OwnerOf(tool) == owner);
        CHECK(Enumerates(desktop, tool));
    }
    SUBCASE("a window takes input until it is disabled; a window that is gone takes none") {
        CHECK(desktop.IsEnabled(owner));
        CHECK(desktop.IsEnabled(owned));
        world.Disable(owner);
        CHECK_FALSE(desktop.IsEnabled(owner));
        CHECK(desktop.IsEnabled(owned));
        world.DestroyWindowOf(owned);
        CHECK_FALSE(desktop.IsEnabled(owned));
    }
    SUBCASE("visibility, placement and minimising follow what was done to the window") {
        desktop.Show(owner, 5);  // SW_SHOW
        CHECK((desktop.StyleOf(owner) & style::kVisible) != 0);
        CHECK(desktop.SetShowState(owner, show::kMaximized));
        CHECK(desktop.ShowStateOf(owner) == show::kMaximized);
        CHECK(desktop.SetShowState(owner, show::kRestore));
        CHECK(desktop.ShowStateOf(owner) == show::kNormal);
        CHECK_FALSE(desktop.IsMinimized(owner));
        CHECK(desktop.SetShowState(owner, show::kMinimize));
        CHECK(desktop.IsMinimized(owner));
        CHECK(desktop.ShowStateOf(owner) == show::kShowMinimized);
        desktop.Show(owner, 0);  // SW_HIDE
        CHECK((desktop.StyleOf(owner) & style::kVisible) == 0);
    }
    SUBCASE("a window has a rectangle on a screen of some size") {
        ScreenRect rect;
        CHECK(desktop.RectOf(owner, &rect));
        CHECK(rect.right > rect.left);
        CHECK(rect.bottom > rect.top);
        CHECK(desktop.PrimaryScreenSize().width > 0);
        CHECK(desktop.PrimaryScreenSize().height > 0);
    }
}

}  // namespace ql::test
