// The real window system keeps the contract the fake desktop models.
#include <doctest/doctest.h>

#include <vector>

#include "WinTestSupport.h"
#include "platform/win32/Win32Desktop.h"
#include "tests/contract/DesktopContract.h"

namespace {

class RealWorld final : public ql::test::DesktopWorld {
public:
    ql::Desktop& Subject() override { return m_desktop; }
    ql::WindowId MakeTopLevel(const char* className, const char* title, ql::WindowId owner) override {
        // GetParent names the owner of an owned popup, not of other owned windows.
        return Make(className, title, owner ? WS_POPUP | WS_CAPTION : WS_OVERLAPPEDWINDOW, ql::win32::ToHwnd(owner));
    }
    ql::WindowId MakeChild(ql::WindowId parent, const char* className) override {
        return Make(className, "", WS_CHILD, ql::win32::ToHwnd(parent));
    }
    ql::WindowId MakeOwnedOverlapped(const char* className, ql::WindowId owner) override {
        return Make(className, "", WS_OVERLAPPEDWINDOW, ql::win32::ToHwnd(owner));
    }
    void Disable(ql::WindowId window) override { EnableWindow(ql::win32::ToHwnd(window), FALSE); }
    void DestroyWindowOf(ql::WindowId window) override {
        for (auto& made : m_windows) {
            if (made.get() == ql::win32::ToHwnd(window)) made.reset();
        }
    }
    ql::ProcessId OwnProcess() override { return GetCurrentProcessId(); }

    ~RealWorld() override {
        // Children and owned windows go before their parent or owner.
        while (!m_windows.empty()) m_windows.pop_back();
    }

private:
    ql::WindowId Make(const char* className, const char* title, DWORD style, HWND parent) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = className;
        RegisterClassA(&windowClass);
        m_windows.emplace_back(
            CreateWindowA(className, title, style, 0, 0, 100, 100, parent, nullptr, windowClass.hInstance, nullptr));
        return ql::win32::ToWindowId(m_windows.back().get());
    }

    ql::win32::Win32Desktop m_desktop;
    std::vector<ql::win32::UniqueWindow> m_windows;
};

}  // namespace

TEST_CASE("the real desktop keeps the desktop contract") {
    RealWorld world;
    ql::test::CheckDesktopContract(world);
}
