// Two thread-local window hooks that make the header windows follow the
// host's main window: hidden while it is minimised or another program has
// the activation, shown again when it comes back.
#pragma once

#include <windows.h>

extern HHOOK CbtHookHandle;
extern HHOOK CallWndProcHookHandle;

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK CallWndProcHook(int code, WPARAM wParam, LPARAM lParam);

// Installs both hooks on the calling thread: WH_CBT first, then WH_CALLWNDPROC.
void InstallHooks();
// Removes whichever hooks are installed, WH_CBT first.
void RemoveHooks();
