// A stand-in for the supervised program. Its windows, and how they answer a
// close request, are chosen on the command line; what they receive can be
// recorded to a file, one line an event ("<process> <tick count> <event>"):
//   TestApp [--class NAME] [--title TEXT] [--windows N] [--popup] [--tool]
//           [--refuse-close] [--ask-save] [--ask-again] [--answer-cancel] [--find-box]
//           [--record FILE] [--left X] [--top Y] [--maximized]
//           [--ignore-marked MARK] [--hang-on-close] [--side-window] [--side-window-late]
// --tool gives each window an owned overlapped tool window (class NAME"Tool");
// --find-box opens a modeless standard dialog "Find" owned by the first window;
// --ask-again asks "Save changes?" at every close request, even while the
// last question is still open (the questions stack up); --answer-cancel
// answers the first question with Esc, typed as a person would, a moment
// after it opens.
// --ignore-marked drops every key whose message carries MARK as its extra
// information (recorded "marked key <vk>"), as a question that a key script
// does not fit; --hang-on-close stops answering messages at the first close
// request, as a hung program; --side-window opens a visible titled window of
// another class (className prefixed "Side"), unowned: work of the program
// that is no session; --side-window-late opens it at the second close request.
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
    bool tool = false;
    bool findBox = false;
    bool askAgain = false;
    bool answerCancel = false;
    bool refuseClose = false;
    bool askSave = false;
    bool maximized = false;
    bool hangOnClose = false;
    bool sideWindow = false;
    bool sideWindowLate = false;
    unsigned long ignoredMark = 0;  // 0: every key is taken
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

BOOL CALLBACK FindQuestion(HWND window, LPARAM found) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || TitleOf(window) != "TestApp") return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Runs inside the question's modal loop: the person reads, then presses Esc.
void CALLBACK PressEscapeOnQuestion(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND question = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindQuestion, reinterpret_cast<LPARAM>(&question));
    if (question == nullptr) return;
    SetForegroundWindow(question);
    keybd_event(VK_ESCAPE, 0, 0, 0);
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
    Record("pressed escape");
}

// A key press's message is read with its extra information; the question's
// own loop then never sees a key carrying the mark.
LRESULT CALLBACK DropMarkedKeys(int code, WPARAM removal, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && removal == PM_REMOVE && message->message >= WM_KEYFIRST &&
        message->message <= WM_KEYLAST && static_cast<unsigned long>(GetMessageExtraInfo()) == g_options.ignoredMark) {
        if (message->message == WM_KEYDOWN) Record("marked key %lu", static_cast<unsigned long>(message->wParam));
        message->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

// Unowned, of a class outside the session's: a window no closing is about.
void OpenSideWindow() {
    const std::string sideClass = "Side" + g_options.className;
    HWND side = CreateWindowA(sideClass.c_str(), "Side Work", WS_OVERLAPPEDWINDOW, g_options.left + 360, g_options.top,
                              240, 160, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (side == nullptr) return;
    ++g_openWindows;
    ShowWindow(side, SW_SHOWNOACTIVATE);
    Record("side %lu", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(side)));
}

void AnswerCloseRequest(HWND window) {
    static int requests = 0;
    if (g_options.sideWindowLate && ++requests == 2) OpenSideWindow();
    if (g_options.hangOnClose) {
        Record("hang");
        Sleep(INFINITE);
    }
    if (g_options.refuseClose) return;
    if (g_options.askSave || g_options.askAgain) {
        if (g_asking && !g_options.askAgain) return;
        g_asking = true;
        Record("ask %s", TitleOf(window).c_str());
        if (g_options.answerCancel) {
            g_options.answerCancel = false;
            SetTimer(nullptr, 0, 300, PressEscapeOnQuestion);
        }
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
        else if (!std::strcmp(arg, "--tool")) g_options.tool = true;
        else if (!std::strcmp(arg, "--find-box")) g_options.findBox = true;
        else if (!std::strcmp(arg, "--ask-again")) g_options.askAgain = true;
        else if (!std::strcmp(arg, "--answer-cancel")) g_options.answerCancel = true;
        else if (!std::strcmp(arg, "--refuse-close")) g_options.refuseClose = true;
        else if (!std::strcmp(arg, "--ask-save")) g_options.askSave = true;
        else if (!std::strcmp(arg, "--maximized")) g_options.maximized = true;
        else if (!std::strcmp(arg, "--hang-on-close")) g_options.hangOnClose = true;
        else if (!std::strcmp(arg, "--side-window")) g_options.sideWindow = true;
        else if (!std::strcmp(arg, "--side-window-late")) g_options.sideWindowLate = true;
        else if (!std::strcmp(arg, "--ignore-marked")) g_options.ignoredMark = std::strtoul(next, nullptr, 0), ++i;
    }
}

INT_PTR CALLBACK FindBoxProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// A modeless standard dialog (class #32770) from a template in memory: a
// caption and nothing else, like a search box left open beside the text.
void OpenFindBox(HWND owner, HINSTANCE instance) {
    struct alignas(4) {  // templates must start on a DWORD boundary
        DLGTEMPLATE header;
        WORD menu, windowClass;
        wchar_t title[5];
    } findTemplate = {};
    findTemplate.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
    findTemplate.header.cx = 120;
    findTemplate.header.cy = 40;
    std::memcpy(findTemplate.title, L"Find", sizeof findTemplate.title);
    HWND box = CreateDialogIndirectParamA(instance, &findTemplate.header, owner, FindBoxProc, 0);
    Record("findbox %lu", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(box)));
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
    const std::string toolClass = g_options.className + "Tool";
    windowClass.lpszClassName = toolClass.c_str();
    RegisterClassA(&windowClass);
    const std::string sideClass = "Side" + g_options.className;
    windowClass.lpszClassName = sideClass.c_str();
    RegisterClassA(&windowClass);
    if (g_options.ignoredMark != 0) SetWindowsHookExA(WH_GETMESSAGE, DropMarkedKeys, nullptr, GetCurrentThreadId());

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
        if (g_options.tool) {
            // Owned, but not a popup: GetParent does not lead to its owner.
            HWND tool = CreateWindowA(toolClass.c_str(), "Tool", WS_OVERLAPPEDWINDOW, g_options.left + 340 + 30 * i,
                                      g_options.top + 30 * i, 200, 150, window, nullptr, instance, nullptr);
            ShowWindow(tool, SW_SHOWNOACTIVATE);
            Record("tool %lu", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(tool)));
        }
        Record("window %lu", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
        if (g_options.findBox && i == 0) OpenFindBox(window, instance);
    }
    if (g_options.sideWindow) OpenSideWindow();
    Record("ready");

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
