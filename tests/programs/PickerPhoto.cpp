// Holds the window picker, then the highlight frame, on screen until a
// screenshot of each has been taken (scripts/picker-shots.sh):
//   PickerPhoto SIGNAL_FOLDER CLASS_TO_HIGHLIGHT [CLASS_TO_MAXIMISE]
// It writes <folder>\picker.ready and waits for <folder>\picker.taken, then
// the same with frame.ready and frame.taken.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "picker/Highlight.h"
#include "picker/win32/WindowPicker.h"
#include "picker/win32/HighlightFrame.h"
#include "platform/win32/Win32Desktop.h"

namespace {

constexpr DWORD kPatienceMs = 60000;

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Touch(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

// Pumps messages until the file appears, so the windows stay painted.
void PumpUntilFile(const std::string& path) {
    const DWORD start = GetTickCount();
    while (!FileExists(path) && GetTickCount() - start < kPatienceMs) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

void Pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(20);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 3) return 2;
    const std::string folder = __argv[1];
    // The test programs may still be starting.
    HWND target = nullptr;
    for (DWORD waited = 0; target == nullptr && waited < kPatienceMs; waited += 100) {
        target = FindWindowA(__argv[2], nullptr);
        if (__argc > 3 && FindWindowA(__argv[3], nullptr) == nullptr) target = nullptr;
        if (target == nullptr) Sleep(100);
    }
    if (target == nullptr) return 3;
    if (__argc > 3) ShowWindow(FindWindowA(__argv[3], nullptr), SW_MAXIMIZE);
    Pump(300);

    ql::win32::Win32Desktop desktop;
    ql::win32::WindowPicker picker(desktop, nullptr);
    const ql::TWindowList& list = ql::SharedWindowList();
    for (int i = 0; i < list.WindowCount; ++i) {
        if (list.Rows[i].Handle == ql::win32::ToWindowId(target)) {
            SendDlgItemMessageA(picker.Handle(), ql::win32::WindowPicker::kListId, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
        }
    }
    picker.MoveTo(GetSystemMetrics(SM_CXSCREEN) - 620, 60);
    ShowWindow(picker.Handle(), SW_SHOW);
    SetForegroundWindow(picker.Handle());
    Pump(500);
    Touch(folder + "\\picker.ready");
    PumpUntilFile(folder + "\\picker.taken");

    ql::ScreenRect rect;
    if (!ql::RestoreAndRaise(desktop, ql::win32::ToWindowId(target), &rect)) return 4;
    // Shown without its modal loop, so that its timer does not hide it
    // before the screenshot.
    ql::win32::HighlightFrame frame(picker.Handle(), rect.right, rect.bottom, rect.left, rect.top);
    ShowWindow(frame.Handle(), SW_SHOW);
    Pump(500);
    Touch(folder + "\\frame.ready");
    PumpUntilFile(folder + "\\frame.taken");
    return 0;
}
