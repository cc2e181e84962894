#include "headers/WindowHooks.h"

#include "headers/ShowFormList.h"

HHOOK CbtHookHandle = nullptr;
HHOOK CallWndProcHookHandle = nullptr;

namespace {
enum class Follow { Nothing, HideAll, ShowAll };

// What a show command for the host's main window means for the header windows.
Follow FollowShowCommand(unsigned showCommand)
{
    switch (showCommand) {
    case SW_HIDE:
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        return Follow::HideAll;
    case SW_SHOWNORMAL:
    case SW_SHOWMAXIMIZED:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
        return Follow::ShowAll;
    default:
        return Follow::Nothing;
    }
}

void Apply(TShowFormList& set, Follow follow)
{
    if (follow == Follow::HideAll)
        set.HideAll();
    else if (follow == Follow::ShowAll)
        set.ShowAll();
}

// The host's main window loses the activation to, or gains it from, a window
// of another process.
void FollowActivation(TShowFormList& set, unsigned state, HWND other)
{
    switch (state) {
    case WA_INACTIVE:
        if (!set.OwnsWindow(other))
            set.HideAll();
        break;
    case WA_ACTIVE:
    case WA_CLICKACTIVE:
        set.ShowAll();
        break;
    default:
        break;
    }
}

DWORD ProcessOf(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    TShowFormList* set = ActiveList;
    if (set != nullptr && code == HCBT_MINMAX && reinterpret_cast<HWND>(wParam) == set->MainWindow) {
        try {
            Apply(*set, FollowShowCommand(LOWORD(lParam)));
        } catch (...) {
            // Nothing may unwind through the platform's hook dispatch.
        }
    }
    return CallNextHookEx(CbtHookHandle, code, wParam, lParam);
}

LRESULT CALLBACK CallWndProcHook(int code, WPARAM wParam, LPARAM lParam)
{
    TShowFormList* set = ActiveList;
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    // Runs for every message sent on the thread: the handle and the message
    // number are tested before anything costlier.
    if (set != nullptr && sent != nullptr && sent->hwnd == set->MainWindow &&
        LOWORD(sent->message) == WM_ACTIVATE && HIWORD(sent->wParam) == 0) {
        HWND other = reinterpret_cast<HWND>(sent->lParam);
        if (ProcessOf(other) != ProcessOf(set->MainWindow)) {
            try {
                FollowActivation(*set, LOWORD(sent->wParam), other);
            } catch (...) {
                // Nothing may unwind through the platform's hook dispatch.
            }
        }
    }
    return CallNextHookEx(CallWndProcHookHandle, code, wParam, lParam);
}

void InstallHooks()
{
    CbtHookHandle = SetWindowsHookExA(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
    CallWndProcHookHandle = SetWindowsHookExA(WH_CALLWNDPROC, CallWndProcHook, nullptr, GetCurrentThreadId());
}

void RemoveHooks()
{
    if (CbtHookHandle != nullptr) {
        UnhookWindowsHookEx(CbtHookHandle);
        CbtHookHandle = nullptr;
    }
    if (CallWndProcHookHandle != nullptr) {
        UnhookWindowsHookEx(CallWndProcHookHandle);
        CallWndProcHookHandle = nullptr;
    }
}
