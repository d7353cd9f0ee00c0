// A stand-in for the supervised program. Its windows, and how they answer a
// close request, are chosen on the command line; what they receive can be
// recorded to a file, one line an event ("<process> <tick count> <event>"):
//   TestApp [--class NAME] [--title TEXT] [--windows N] [--popup]
//           [--refuse-close] [--ask-save] [--record FILE] [--left X] [--top Y]
//           [--maximized]
#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Options {
    std::string className = "QLTestApp";
    std::string title = "Test Session";
    int windows = 1;
    int left = 40;
    int top = 40;
    bool popup = false;
    bool refuseClose = false;
    bool askSave = false;
    bool maximized = false;
    std::string recordPath;
};

Options g_options;
int g_openWindows = 0;
bool g_asking = false;

void Record(const char* format, ...) {
    if (g_options.recordPath.empty()) return;
    char line[256];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    char entry[300];
    const int length = std::snprintf(entry, sizeof entry, "%lu %lu %s\n", GetCurrentProcessId(), GetTickCount(), line);
    // Appending opens let several test programs share one record, line by line.
    HANDLE file = CreateFileA(g_options.recordPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, entry, static_cast<DWORD>(std::min<int>(length, sizeof entry - 1)), &written, nullptr);
    CloseHandle(file);
}

std::string TitleOf(HWND window) {
    char title[128] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

void AnswerCloseRequest(HWND window) {
    if (g_options.refuseClose) return;
    if (g_options.askSave) {
        if (g_asking) return;
        g_asking = true;
        int answer = MessageBoxA(window, "Save changes?", "TestApp", MB_YESNOCANCEL | MB_ICONQUESTION);
        g_asking = false;
        Record("answer %s %s", answer == IDYES ? "yes" : answer == IDNO ? "no" : "cancel", TitleOf(window).c_str());
        if (answer == IDCANCEL) return;
    }
    DestroyWindow(window);
}

LRESULT CALLBACK SessionProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_USER + 3:
        Record("start %lu %lu %s", static_cast<unsigned long>(wParam), static_cast<unsigned long>(lParam),
               TitleOf(window).c_str());
        return 0;
    case WM_SHOWWINDOW:
        if (lParam != 0) Record("showwindow %lu %lu", static_cast<unsigned long>(wParam), static_cast<unsigned long>(lParam));
        break;
    case WM_CLOSE:
        Record("close %lu %s", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)), TitleOf(window).c_str());
        AnswerCloseRequest(window);
        return 0;
    case WM_KEYDOWN:
        Record("keydown %lu", static_cast<unsigned long>(wParam));
        break;
    case WM_LBUTTONDOWN:
        Record("click %d %d", GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_DESTROY:
        if (GetWindow(window, GW_OWNER) == nullptr) Record("destroyed %s", TitleOf(window).c_str());
        if (GetWindow(window, GW_OWNER) == nullptr && --g_openWindows == 0) PostQuitMessage(0);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void ParseCommandLine() {
    for (int i = 1; i < __argc; ++i) {
        const char* arg = __argv[i];
        const char* next = i + 1 < __argc ? __argv[i + 1] : "";
        if (!std::strcmp(arg, "--class")) g_options.className = next, ++i;
        else if (!std::strcmp(arg, "--title")) g_options.title = next, ++i;
        else if (!std::strcmp(arg, "--windows")) g_options.windows = std::atoi(next), ++i;
        else if (!std::strcmp(arg, "--record")) g_options.recordPath = next, ++i;
        else if (!std::strcmp(arg, "--left")) g_options.left = std::atoi(next), ++i;
        else if (!std::strcmp(arg, "--top")) g_options.top = std::atoi(next), ++i;
        else if (!std::strcmp(arg, "--popup")) g_options.popup = true;
        else if (!std::strcmp(arg, "--refuse-close")) g_options.refuseClose = true;
        else if (!std::strcmp(arg, "--ask-save")) g_options.askSave = true;
        else if (!std::strcmp(arg, "--maximized")) g_options.maximized = true;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    ParseCommandLine();
    const std::string popupClass = g_options.className + "Popup";
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SessionProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = g_options.className.c_str();
    RegisterClassA(&windowClass);
    windowClass.lpszClassName = popupClass.c_str();
    RegisterClassA(&windowClass);

    for (int i = 0; i < g_options.windows; ++i) {
        char title[300];
        std::snprintf(title, sizeof title, "%s %d", g_options.title.c_str(), i + 1);
        HWND window = CreateWindowA(g_options.className.c_str(), title, WS_OVERLAPPEDWINDOW, g_options.left + 30 * i,
                                    g_options.top + 30 * i,
                                    320, 200, nullptr, nullptr, instance, nullptr);
        if (!window) continue;
        ++g_openWindows;
        ShowWindow(window, g_options.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
        if (g_options.popup) {
            HWND popup = CreateWindowA(popupClass.c_str(), "Popup", WS_POPUP | WS_CAPTION, g_options.left + 40 + 30 * i,
                                       g_options.top + 40 + 30 * i,
                                       160, 100, window, nullptr, instance, nullptr);
            ShowWindow(popup, SW_SHOWNOACTIVATE);
        }
        Record("window %lu", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
    }
    Record("ready");

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
