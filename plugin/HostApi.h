// The table of the host's exported functions, looked up by name at load time.
#pragma once

#include <windows.h>

constexpr int HostApiSlotCount = 54;

// Slot names, by slot number; the order is fixed.
extern const char* const HostApiNames[HostApiSlotCount];

class CHostAPI {
public:
    using GetWindowHandlesProc = int(WINAPI*)(HWND*, HWND*, HWND*, HWND*);
    using GetCurrentMailProc = LPCSTR(WINAPI*)();
    using GetSpecifiedHeaderProc = int(WINAPI*)(LPCSTR, LPSTR, int);

    enum Slot {
        SlotGetWindowHandles = 2,
        SlotGetCurrentMail = 14,
        SlotGetSpecifiedHeader = 28,
    };

    // Looks every name up in the process's main executable. Nonzero on
    // success; a bound table answers success without looking anything up.
    int BindHostApi();

    // The three functions the module calls; valid only after a successful bind.
    int GetWindowHandles(HWND* main, HWND* tree, HWND* list, HWND* view) const;
    LPCSTR GetCurrentMail() const;
    int GetSpecifiedHeader(LPCSTR name, LPSTR buffer, int size) const;

    FARPROC Slots[HostApiSlotCount] = {};
    HMODULE HostModule = nullptr;
};

// The module's one host table.
extern CHostAPI HostApi;
