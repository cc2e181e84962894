#include "WindowWatcher.h"

#include <map>
#include <utility>
#include <vector>

namespace {
std::map<UINT_PTR, WindowWatcher*>& Watchers()
{
    static std::map<UINT_PTR, WindowWatcher*> watchers;
    return watchers;
}
}

WindowWatcher::WindowWatcher(std::string className, std::string caption, std::function<void(HWND)> action)
    : ClassName(std::move(className)), Caption(std::move(caption)), Action(std::move(action))
{
    Timer = SetTimer(nullptr, 0, 15, Tick);
    Watchers()[Timer] = this;
}

WindowWatcher::~WindowWatcher()
{
    KillTimer(nullptr, Timer);
    Watchers().erase(Timer);
}

void CALLBACK WindowWatcher::Tick(HWND, UINT, UINT_PTR timer, DWORD)
{
    auto found = Watchers().find(timer);
    if (found != Watchers().end())
        found->second->Look();
}

void WindowWatcher::Look()
{
    if (HasFired)
        return;
    struct Search {
        const WindowWatcher* watcher;
        HWND window;
    } search{this, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            char name[256] = {};
            GetClassNameA(window, name, sizeof name);
            if (IsWindowVisible(window) && s->watcher->ClassName == name &&
                (s->watcher->Caption.empty() || s->watcher->Caption == WindowText(window))) {
                s->window = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.window != nullptr) {
        HasFired = true;
        Action(search.window);
    }
}

std::string WindowText(HWND window)
{
    int length = GetWindowTextLengthA(window);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(window, text.data(), length + 1);
    return std::string(text.data());
}

std::string DialogItemText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

void PumpFor(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(1);
    } while (GetTickCount() - start < milliseconds);
}
