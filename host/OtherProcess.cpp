// OtherProcess.exe: a second program with one top-level window, "Quorvel
// other process", for checking what happens when another process takes the
// activation from the host.
//
//   OtherProcess.exe [--activate] [--seconds N]
//
// With --activate the window makes itself the foreground window once shown.
// It stays until it is closed or killed, or for N seconds. Prints "ready"
// and the window handle once the window is up.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr char ClassName[] = "QuorvelOtherProcess";
constexpr char Title[] = "Quorvel other process";
constexpr UINT_PTR EndTimer = 1;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == EndTimer) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    bool activate = false;
    long seconds = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--activate") {
            activate = true;
        } else if (option == "--seconds" && i + 1 < argc) {
            seconds = std::strtol(argv[++i], nullptr, 10);
        } else {
            std::fprintf(stderr, "usage: OtherProcess.exe [--activate] [--seconds N]\n");
            return 2;
        }
    }

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = ClassName;
    if (!RegisterClassExA(&windowClass)) return 1;
    HWND window = CreateWindowExA(0, ClassName, Title, WS_OVERLAPPEDWINDOW, 500, 300, 360, 200, nullptr, nullptr,
                                  instance, nullptr);
    if (window == nullptr) return 1;
    ShowWindow(window, activate ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    if (activate) {
        SetForegroundWindow(window);
        SetActiveWindow(window);
    }
    if (seconds > 0) SetTimer(window, EndTimer, static_cast<UINT>(seconds * 1000), nullptr);
    std::printf("ready %p\n", static_cast<void*>(window));
    std::fflush(stdout);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
