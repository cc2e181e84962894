// HostProbePlugin.dll: a small plug-in with which the host's tests watch the
// host from the plug-in's side. It binds to the host as a plug-in does (all 54
// host functions by name from the process's main executable; the load is
// refused when one is missing) and records every callback, together with what
// the host answers at that moment, in a log the tests read through ProbeEvents.
// It keeps one header window (class "TShowForm", caption "Subject", one child
// EDIT) and shows a setup dialog (class "TAboutForm", caption "About", OK 104,
// Cancel 105, header list 106, check boxes 107 and 108) in a modal loop.
#include <windows.h>

#include <string>

#include "host/HostExportNames.h"

namespace {

using GetWindowHandlesProc = int(WINAPI*)(HWND*, HWND*, HWND*, HWND*);
using GetCurrentMailProc = LPCSTR(WINAPI*)();
using GetSpecifiedHeaderProc = int(WINAPI*)(LPCSTR, LPSTR, int);

HINSTANCE Module = nullptr;
GetWindowHandlesProc GetWindowHandles = nullptr;
GetCurrentMailProc GetCurrentMail = nullptr;
GetSpecifiedHeaderProc GetSpecifiedHeader = nullptr;

std::string Events;
HWND HeaderWindow = nullptr;
HWND HeaderEdit = nullptr;

// The setup's state, shown in and taken from the dialog.
std::string HeaderList = "Subject, ";
bool AlwaysOnTop = false;
bool HideIfNoHeader = true;

constexpr char ShowFormClass[] = "TShowForm";
constexpr char AboutFormClass[] = "TAboutForm";
constexpr int OkId = 104, CancelId = 105, HeaderListId = 106, AlwaysOnTopId = 107, HideIfNoHeaderId = 108;

void Record(const std::string& event)
{
    Events += event;
    Events += '\n';
}

std::string Text(LPCSTR text)
{
    return text != nullptr ? std::string(text) : std::string("(null)");
}

template <typename Proc>
Proc HostFunction(HMODULE host, const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(host, name)));
}

bool BindHost()
{
    HMODULE host = GetModuleHandleA(nullptr);
    for (const char* name : HostExportNames) {
        if (GetProcAddress(host, name) == nullptr) return false;
    }
    GetWindowHandles = HostFunction<GetWindowHandlesProc>(host, "BKA_GetWindowHandles");
    GetCurrentMail = HostFunction<GetCurrentMailProc>(host, "BKA_GetCurrentMail");
    GetSpecifiedHeader = HostFunction<GetSpecifiedHeaderProc>(host, "BKA_GetSpecifiedHeader");
    return true;
}

HWND HostMainWindow()
{
    HWND main = nullptr, tree = nullptr, list = nullptr, view = nullptr;
    return GetWindowHandles(&main, &tree, &list, &view) ? main : nullptr;
}

bool OnUiThread()
{
    HWND main = HostMainWindow();
    return main != nullptr && GetWindowThreadProcessId(main, nullptr) == GetCurrentThreadId();
}

WNDPROC EditProc = nullptr;

// A double click on the header text posts the header window's command to the
// host's main window, as a plug-in's header window does.
LRESULT CALLBACK HeaderEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONDBLCLK) {
        PostMessageA(HostMainWindow(), WM_COMMAND, 32972, 0);
        return 0;
    }
    return CallWindowProcA(EditProc, window, message, wParam, lParam);
}

LRESULT CALLBACK ShowFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE && HeaderEdit != nullptr) {
        MoveWindow(HeaderEdit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void ShowSubject(const std::string& value)
{
    if (HeaderWindow == nullptr) {
        HeaderWindow = CreateWindowExA(WS_EX_TOOLWINDOW, ShowFormClass, "Subject", WS_POPUP | WS_CAPTION | WS_THICKFRAME,
                                       700, 60, 320, 80, nullptr, nullptr, Module, nullptr);
        HeaderEdit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 0, 0, 10, 10,
                                     HeaderWindow, nullptr, Module, nullptr);
        EditProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(HeaderEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HeaderEditProc)));
        RECT client;
        GetClientRect(HeaderWindow, &client);
        MoveWindow(HeaderEdit, 0, 0, client.right, client.bottom, FALSE);
    }
    SetWindowTextA(HeaderEdit, value.c_str());
    ShowWindow(HeaderWindow, value.empty() ? SW_HIDE : SW_SHOWNOACTIVATE);
}

// --- The setup dialog ------------------------------------------------------------

int DialogResult = 0;

LRESULT CALLBACK AboutFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == OkId) DialogResult = 1;
        if (LOWORD(wParam) == CancelId) DialogResult = 2;
        return 0;
    }
    if (message == WM_CLOSE) {
        DialogResult = 2;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND AddControl(HWND dialog, const char* className, const char* text, DWORD style, int id, int x, int y, int w)
{
    return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, w, 22, dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Module, nullptr);
}

std::string ControlText(HWND control)
{
    char text[512] = {};
    GetWindowTextA(control, text, sizeof text);
    return text;
}

int RunSetupDialog(HWND owner)
{
    HWND dialog = CreateWindowExA(WS_EX_DLGMODALFRAME, AboutFormClass, "About", WS_POPUP | WS_CAPTION, 350, 114, 400,
                                  240, owner, nullptr, Module, nullptr);
    HWND list = AddControl(dialog, "EDIT", HeaderList.c_str(), ES_AUTOHSCROLL, HeaderListId, 8, 88, 369);
    HWND top = AddControl(dialog, "BUTTON", "Always on Top", BS_AUTOCHECKBOX, AlwaysOnTopId, 8, 120, 265);
    HWND hide = AddControl(dialog, "BUTTON", "Hide when No Header to Show Exists", BS_AUTOCHECKBOX, HideIfNoHeaderId,
                           8, 144, 265);
    AddControl(dialog, "BUTTON", "OK", BS_PUSHBUTTON, OkId, 8, 184, 97);
    AddControl(dialog, "BUTTON", "Cancel", BS_PUSHBUTTON, CancelId, 120, 184, 89);
    SendMessageA(top, BM_SETCHECK, AlwaysOnTop ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageA(hide, BM_SETCHECK, HideIfNoHeader ? BST_CHECKED : BST_UNCHECKED, 0);

    const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    ShowWindow(dialog, SW_SHOWNORMAL);
    DialogResult = 0;
    MSG msg;
    while (DialogResult == 0 && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    const int result = DialogResult;
    if (result == 1) {
        HeaderList = ControlText(list);
        AlwaysOnTop = SendMessageA(top, BM_GETCHECK, 0, 0) == BST_CHECKED;
        HideIfNoHeader = SendMessageA(hide, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    DestroyWindow(dialog);
    return result;
}

void RegisterClasses()
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.hInstance = Module;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpfnWndProc = ShowFormProc;
    windowClass.lpszClassName = ShowFormClass;
    RegisterClassExA(&windowClass);
    windowClass.lpfnWndProc = AboutFormProc;
    windowClass.lpszClassName = AboutFormClass;
    RegisterClassExA(&windowClass);
}

void UnregisterClasses()
{
    if (HeaderWindow != nullptr) DestroyWindow(HeaderWindow);
    HeaderWindow = HeaderEdit = nullptr;
    UnregisterClassA(ShowFormClass, Module);
    UnregisterClassA(AboutFormClass, Module);
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        Module = instance;
        if (!BindHost()) return FALSE;
        RegisterClasses();
        Record(std::string("attach main=") + (HostMainWindow() != nullptr ? "ok" : "none"));
    } else if (reason == DLL_PROCESS_DETACH) {
        UnregisterClasses();
    }
    return TRUE;
}

int WINAPI BKC_OnStart()
{
    Record("OnStart");
    return 0;
}

int WINAPI BKC_OnExit()
{
    Record("OnExit");
    return 0;
}

int WINAPI BKC_OnMenuInit(HWND, HMENU, int) { return 0; }

int WINAPI BKC_OnOpenFolder(LPCSTR folder)
{
    Record("OnOpenFolder " + Text(folder) + " current=" + Text(GetCurrentMail()));
    ShowSubject(std::string());
    return 0;
}

int WINAPI BKC_OnOpenMail(LPCSTR mailId)
{
    // Filled with a mark, so that a host that forgets the zero shows.
    char subject[256];
    FillMemory(subject, sizeof subject, '#');
    if (mailId != nullptr && mailId[0] != '\0') {
        GetSpecifiedHeader("Subject", subject, sizeof subject);
    } else {
        subject[0] = '\0';
    }
    subject[sizeof subject - 1] = '\0';
    Record("OnOpenMail id=" + Text(mailId) + " current=" + Text(GetCurrentMail()) +
           " ui-thread=" + (OnUiThread() ? "1" : "0") + " Subject=" + subject);
    ShowSubject(subject);
    return 0;
}

int WINAPI BKC_OnEveryMinute() { return 0; }
int WINAPI BKC_OnOpenCompose(HWND, int) { return 0; }
int WINAPI BKC_OnOutgoing(HWND, int) { return 0; }
int WINAPI BKC_OnKeyDispatch(HWND, int, int) { return 0; }
int WINAPI BKC_OnRetrieve(LPCSTR, LPCSTR) { return 0; }
int WINAPI BKC_OnSend(LPCSTR) { return 0; }
int WINAPI BKC_OnFinishRetrieve(int) { return 0; }

int WINAPI BKC_OnPlugInSetup(HWND mainWindow)
{
    const bool fromMain = mainWindow != nullptr && mainWindow == HostMainWindow();
    const int result = RunSetupDialog(mainWindow);
    std::string event = std::string("OnPlugInSetup window=") + (fromMain ? "main" : "other");
    if (result == 1) {
        event += " OK list=" + HeaderList + " top=" + (AlwaysOnTop ? "1" : "0") +
                 " hide=" + (HideIfNoHeader ? "1" : "0");
    } else {
        event += " Cancel";
    }
    Record(event);
    return 1;
}

int WINAPI BKC_OnPlugInInfo(void* record)
{
    char* info = static_cast<char*>(record);
    lstrcpyA(info + 0, "Host probe");
    lstrcpyA(info + 80, "Quorvel tests");
    lstrcpyA(info + 160, "1.0");
    lstrcpyA(info + 240, "Watches the stand-in host");
    Record("OnPlugInInfo");
    return 0;
}

int WINAPI BKC_OnDragDrop(LPCSTR, LPCSTR, int, int) { return 0; }

// For the tests: the recorded events, one a line, oldest first.
LPCSTR WINAPI ProbeEvents()
{
    return Events.c_str();
}

void WINAPI ProbeClearEvents()
{
    Events.clear();
}

// Posts the header window's command to the host, as a double click does.
void WINAPI ProbePostCommand()
{
    PostMessageA(HostMainWindow(), WM_COMMAND, 32972, 0);
}

}  // extern "C"
