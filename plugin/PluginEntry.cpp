// The module entry point: all set-up happens when the host loads the module,
// all tear-down when it unloads it.
#include "plugin/PluginEntry.h"

#include <windows.h>

#include <string>

#include "headers/ShowFormList.h"
#include "plugin/HostApi.h"
#include "settings/SettingsPath.h"

TShowFormList* FormList = nullptr;

namespace {
// Receives the module's full file name, then holds the settings path.
char PathBuffer[MAX_PATH];

bool IsLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != FALSE;
}

// The settings path beside the module, or the empty text when the module's
// path or the settings path does not fit the platform's path buffer: the
// module then runs on its defaults and writes no file rather than touch a
// cut-off path.
std::string SettingsPathOf(HINSTANCE module)
{
    DWORD length = GetModuleFileNameA(module, PathBuffer, MAX_PATH);
    std::string settingsPath;
    if (length == 0 || length >= MAX_PATH ||
        !DeriveSettingsPath(std::string(PathBuffer, length), IsLeadByte, settingsPath)) {
        PathBuffer[0] = '\0';
        return std::string();
    }
    settingsPath.copy(PathBuffer, settingsPath.size());
    PathBuffer[settingsPath.size()] = '\0';
    return settingsPath;
}

BOOL ProcessAttach(HINSTANCE module)
{
    if (!HostApi.BindHostApi())
        return FALSE;
    try {
        FormList = new TShowFormList(SettingsPathOf(module));
    } catch (...) {
        // Without a window set the module stays loaded and does nothing.
        FormList = nullptr;
    }
    return TRUE;
}

void ProcessDetach()
{
    try {
        delete FormList;
    } catch (...) {
    }
    FormList = nullptr;
}
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return ProcessAttach(module);
    case DLL_PROCESS_DETACH:
        ProcessDetach();
        return TRUE;
    default:
        return TRUE;
    }
}
