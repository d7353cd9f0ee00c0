#include <doctest/doctest.h>

#include "FakeDesktop.h"
#include "tests/contract/DesktopContract.h"

namespace {

class FakeWorld final : public ql::test::DesktopWorld {
public:
    ql::Desktop& Subject() override { return m_desktop; }
    ql::WindowId MakeTopLevel(const char* className, const char* title, ql::WindowId owner) override {
        return m_desktop.AddWindow(className, kProcess, owner, title);
    }
    ql::WindowId MakeChild(ql::WindowId parent, const char* className) override {
        return m_desktop.AddChild(parent, className);
    }
    ql::WindowId MakeOwnedOverlapped(const char* className, ql::WindowId owner) override {
        return m_desktop.AddOwnedOverlapped(owner, className);
    }
    void Disable(ql::WindowId window) override { m_desktop.Find(window)->enabled = false; }
    void DestroyWindowOf(ql::WindowId window) override { m_desktop.Destroy(window); }
    ql::ProcessId OwnProcess() override { return kProcess; }

private:
    static constexpr ql::ProcessId kProcess = 321;
    ql::test::FakeDesktop m_desktop;
};

}  // namespace

TEST_CASE("the fake desktop keeps the desktop contract") {
    FakeWorld world;
    ql::test::CheckDesktopContract(world);
}
