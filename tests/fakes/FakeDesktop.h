#pragma once
// An in-memory desktop: windows with class, title, parent or owner, thread
// and process, in z-order; records every message posted or sent and every
// change of foreground and focus.
#include <functional>
#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace ql::test {

struct FakeWindow {
    WindowId id = 0;
    std::string className;
    std::string title;
    WindowId parent = 0;  // parent of a child, owner of a top-level window
    bool child = false;   // children are not top-level windows
    ThreadId thread = 0;
    ProcessId process = 0;
    bool visible = true;
    int showState = show::kNormal;  // of the placement record; minimised states make it iconic
    bool restoreToMaximized = false;  // a minimised window that was maximised comes back maximised
    ScreenRect rect{20, 20, 420, 320};
    std::uint32_t otherStyle = 0;  // style bits besides WS_VISIBLE
    bool enabled = true;           // false while a modal dialog it owns is open
    // An owned top-level window without WS_POPUP (a tool palette, a second
    // editor window): GetParent does not name its owner, GW_OWNER does.
    bool ownedOverlapped = false;
};

struct RecordedMessage {
    WindowId window;
    unsigned message;
    MessageWord wParam;
    MessageLong lParam;
    bool sent;  // false: posted
};

class FakeDesktop final : public Desktop {
public:
    // Adds a top-level window (on top of the z-order's end) and returns its id.
    WindowId AddWindow(const std::string& className, ProcessId process = 100, WindowId owner = 0,
                       const std::string& title = "");
    WindowId AddChild(WindowId parent, const std::string& className);
    WindowId AddOwnedOverlapped(WindowId owner, const std::string& className);
    // A modal standard dialog the owner's program opened: the owner is disabled until it goes.
    WindowId AddModalDialog(WindowId owner);
    void Destroy(WindowId window);  // and every window it owns or parents
    FakeWindow* Find(WindowId window);

    // Messages addressed to one window, in order.
    std::vector<RecordedMessage> MessagesTo(WindowId window) const;
    std::vector<RecordedMessage> messages;
    std::vector<WindowId> foregroundHistory;
    std::vector<WindowId> focusHistory;
    int enumerations = 0;
    int classReads = 0;
    bool failPosts = false;
    // Called for every message sent or posted, after it is recorded: lets a
    // test model how a program answers (close on WM_CLOSE, open a dialog...).
    std::function<void(const RecordedMessage&)> onMessage;
    // Called when another window comes to the foreground, as the system's
    // foreground event would tell.
    std::function<void(WindowId)> onForegroundChange;

    void EnumTopLevelWindows(FunctionRef<bool(WindowId)> visit) override;
    int ClassNameOf(WindowId window, char* buffer, int capacity) override;
    int TitleOf(WindowId window, char* buffer, int capacity) override;
    WindowId ParentOf(WindowId window) override;
    ThreadId ThreadOf(WindowId window, ProcessId* process) override;
    bool Exists(WindowId window) override;
    bool Post(WindowId window, unsigned message, MessageWord wParam, MessageLong lParam) override;
    MessageLong Send(WindowId window, unsigned message, MessageWord wParam, MessageLong lParam) override;
    WindowId Foreground() override { return m_foreground; }
    std::uint32_t LastInputTime() override { return lastInputTime; }
    bool BringToForeground(WindowId window) override;
    bool Show(WindowId window, int command) override;
    WindowId Focus(WindowId window) override;
    WindowId OwnerOf(WindowId window) override;
    std::uint32_t StyleOf(WindowId window) override;
    bool IsMinimized(WindowId window) override;
    bool IsEnabled(WindowId window) override;
    bool RectOf(WindowId window, ScreenRect* rect) override;
    int ShowStateOf(WindowId window) override;
    bool SetShowState(WindowId window, int showState) override;
    ScreenSize PrimaryScreenSize() override { return screen; }

    ScreenSize screen{1024, 768};

    // The system refuses to change the foreground window (a foreground lock,
    // an open menu): BringToForeground is recorded and fails.
    bool refuseForeground = false;
    // The tick of the user's latest input; a test raises it to model input.
    std::uint32_t lastInputTime = 1000;

private:
    static constexpr int kShowMinNoActive = 7;  // SW_SHOWMINNOACTIVE
    void ApplySysCommand(WindowId window, MessageWord command);
    static void Place(FakeWindow& w, int command);

    bool Record(WindowId window, unsigned message, MessageWord wParam, MessageLong lParam, bool sent);

    std::vector<FakeWindow> m_windows;  // z-order, top first
    WindowId m_nextId = 0x1000;
    WindowId m_foreground = 0;
};

}  // namespace ql::test
