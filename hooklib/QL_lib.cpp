// placeholder, replaced by the hook library proper
#include <windows.h>
extern "C" __declspec(dllexport) LRESULT CALLBACK InterceptaR(int code, WPARAM w, LPARAM l) { return CallNextHookEx(nullptr, code, w, l); }
