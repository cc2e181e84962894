// Acts on a window of this thread as soon as it appears, also while a modal
// loop or a message box runs: a thread timer looks for it between messages,
// as a user's eyes would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class WindowWatcher {
public:
    // Watches for a visible top-level window of this thread with the class
    // (and the caption, unless it is empty) and calls the action once.
    WindowWatcher(std::string className, std::string caption, std::function<void(HWND)> action);
    ~WindowWatcher();
    WindowWatcher(const WindowWatcher&) = delete;
    WindowWatcher& operator=(const WindowWatcher&) = delete;

    bool Fired() const { return HasFired; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD);
    void Look();

    std::string ClassName;
    std::string Caption;
    std::function<void(HWND)> Action;
    UINT_PTR Timer = 0;
    bool HasFired = false;
};

// The text of a window, and of a control of a dialog.
std::string WindowText(HWND window);
std::string DialogItemText(HWND dialog, int id);
// Dispatches this thread's messages for a while.
void PumpFor(DWORD milliseconds);
