// Keeps a Wine prefix warm between test programs: one hidden window and a
// message loop, nothing else.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "QLKeepAlive";
    RegisterClassA(&windowClass);
    CreateWindowA("QLKeepAlive", "", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
