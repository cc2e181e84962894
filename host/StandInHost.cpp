#include "host/StandInHost.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "host/Charsets.h"
#include "host/MailHeaders.h"
#include "host/PluginWindows.h"

namespace {

StandInHost* TheHost = nullptr;

constexpr char MainClassName[] = "QuorvelHostMain";
constexpr char MainTitle[] = "Quorvel stand-in host";

// Menu commands of the main window.
constexpr WORD MenuPlugInSetup = 40001;
constexpr WORD MenuPlugInInfo = 40002;
constexpr WORD MenuExit = 40003;

// Child window ids.
constexpr int FolderListId = 1001;
constexpr int MailListId = 1002;
constexpr int PreviewId = 1003;
constexpr int AnswerId = 1004;

constexpr UINT_PTR EveryMinuteTimer = 1;
constexpr UINT_PTR SetupTimer = 2;
constexpr UINT SetupTimerInterval = 25;
// How long the host waits for the setup dialog to appear, and for it to go
// away once it was answered, before it gives up on it.
constexpr DWORD SetupAppearLimit = 10000;
constexpr DWORD SetupCloseFallback = 2000;
constexpr DWORD SetupCloseLimit = 5000;

// The preview shows at most this much of a mail, and the panes at most this
// much of one line.
constexpr size_t PreviewLimit = 64 * 1024;
constexpr size_t DisplayLineLimit = 1000;

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(const std::string& text)
{
    std::string lower(text);
    for (char& c : lower) c = LowerAscii(c);
    return lower;
}

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && LowerAscii(a) == LowerAscii(b);
}

bool EndsWithIgnoringAsciiCase(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() &&
           LowerAscii(text.substr(text.size() - suffix.size())) == LowerAscii(suffix);
}

// Names in the order a person expects: ASCII case ignored, bytes as the tie.
bool NameBefore(const std::string& a, const std::string& b)
{
    const std::string la = LowerAscii(a);
    const std::string lb = LowerAscii(b);
    return la != lb ? la < lb : a < b;
}

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.clear();
    char chunk[64 * 1024];
    DWORD got = 0;
    bool ok = true;
    while (true) {
        if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    return ok;
}

std::string FullPath(const std::string& path)
{
    char buffer[MAX_PATH * 4];
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (length == 0 || length >= sizeof buffer) return path;
    std::string full(buffer, length);
    // "C:\mail\" and "C:\mail" are the same folder; a drive root keeps its slash.
    while (full.size() > 3 && (full.back() == '\\' || full.back() == '/')) full.pop_back();
    return full;
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ParentFolder(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos || slash + 1 == path.size()) return std::string();
    std::string parent = path.substr(0, slash);
    if (parent.size() == 2 && parent[1] == ':') parent += '\\';
    return parent;
}

std::string LastPathPart(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
    return folder + "\\" + name;
}

// The names of the entries of a folder that match pattern, folders or files.
std::vector<std::string> FolderEntries(const std::string& folder, const char* pattern, bool wantFolders)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(JoinPath(folder, pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (name == "." || name == ".." || isFolder != wantFolders) continue;
        names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end(), NameBefore);
    return names;
}

// Header text for showing: control bytes, which the plug-in could not show
// and a zero byte of which would cut the value short, become '?' (a tab a
// blank). Trail bytes of double-byte characters never fall in that range.
std::string WithoutControls(std::string text)
{
    for (char& c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b == '\t') {
            c = ' ';
        } else if (b < 0x20 || b == 0x7F) {
            c = '?';
        }
    }
    return text;
}

// Mail text for an edit control: every line break CRLF, zero bytes shown,
// and lines cut after DisplayLineLimit bytes (an edit control crawls over a
// line of many kilobytes, and nobody reads one).
std::string ForDisplay(const std::string& text)
{
    std::string shown;
    shown.reserve(text.size() + text.size() / 16);
    size_t lineLength = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (c == '\n') {
            shown += "\r\n";
            lineLength = 0;
            continue;
        }
        if (lineLength == DisplayLineLimit) shown += " [...]";
        if (lineLength++ >= DisplayLineLimit) continue;
        shown += c == '\0' ? '?' : c;
    }
    return shown;
}

bool IsAcpLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != FALSE;
}

// Turns decoded bytes of a MIME charset into the system's 8-bit text (CP_ACP).
bool ConvertToSystemText(const std::string& charset, const std::string& bytes, std::string& out)
{
    UINT codePage = CodePageForCharset(charset);
    if (codePage == 0) return false;
    const std::string* source = &bytes;
    std::string eucJp;
    if (codePage == CodePageIso2022Jp && !IsValidCodePage(codePage)) {
        // Some systems (Wine among them) lack the ISO-2022-JP code pages;
        // EUC-JP holds the same characters without the escape sequences.
        if (!Iso2022JpToEucJp(bytes, eucJp)) return false;
        source = &eucJp;
        codePage = CodePageEucJp;
    }
    if (!IsValidCodePage(codePage)) return false;
    out.clear();
    if (source->empty()) return true;

    const int sourceLength = static_cast<int>(source->size());
    const int wideLength = MultiByteToWideChar(codePage, 0, source->data(), sourceLength, nullptr, 0);
    if (wideLength <= 0) return false;
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(codePage, 0, source->data(), sourceLength, &wide[0], wideLength);

    const int narrowLength = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (narrowLength <= 0) return false;
    out.assign(static_cast<size_t>(narrowLength), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, &out[0], narrowLength, nullptr, nullptr);
    return true;
}

template <typename Proc>
Proc ExportOf(HMODULE module, const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// --- The setup dialog's controls ---------------------------------------------

struct DialogControl {
    HWND window = nullptr;
    int id = 0;
    std::string className;
    LONG_PTR style = 0;
    std::string text;
};

BOOL CALLBACK CollectControl(HWND window, LPARAM list)
{
    DialogControl control;
    control.window = window;
    control.id = GetDlgCtrlID(window);
    control.className = WindowClassOf(window);
    control.style = GetWindowLongPtrA(window, GWL_STYLE);
    control.text = WindowTextOf(window);
    reinterpret_cast<std::vector<DialogControl>*>(list)->push_back(control);
    return TRUE;
}

bool IsSingleLineEdit(const DialogControl& control)
{
    return EqualIgnoringAsciiCase(control.className, "Edit") && (control.style & ES_MULTILINE) == 0;
}

bool IsCheckBox(const DialogControl& control)
{
    if (!EqualIgnoringAsciiCase(control.className, "Button")) return false;
    const LONG_PTR kind = control.style & BS_TYPEMASK;
    return kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE || kind == BS_AUTO3STATE;
}

bool IsPushButton(const DialogControl& control)
{
    if (!EqualIgnoringAsciiCase(control.className, "Button")) return false;
    const LONG_PTR kind = control.style & BS_TYPEMASK;
    return kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON;
}

// The setup dialog's controls: by their ids (OK 104, Cancel 105, header list
// 106, the two check boxes 107 and 108), else by kind, caption and order.
struct SetupControls {
    HWND headerList = nullptr;
    HWND alwaysOnTop = nullptr;
    HWND hideIfNoHeader = nullptr;
    HWND ok = nullptr;
    HWND cancel = nullptr;
};

SetupControls FindSetupControls(HWND dialog)
{
    std::vector<DialogControl> controls;
    EnumChildWindows(dialog, CollectControl, reinterpret_cast<LPARAM>(&controls));

    auto byId = [&](int id, bool (*fits)(const DialogControl&)) -> HWND {
        for (const DialogControl& c : controls) {
            if (c.id == id && fits(c)) return c.window;
        }
        return nullptr;
    };
    auto nth = [&](size_t n, bool (*fits)(const DialogControl&)) -> HWND {
        for (const DialogControl& c : controls) {
            if (fits(c) && n-- == 0) return c.window;
        }
        return nullptr;
    };
    auto byCaption = [&](const char* caption) -> HWND {
        for (const DialogControl& c : controls) {
            if (IsPushButton(c) && EqualIgnoringAsciiCase(c.text, caption)) return c.window;
        }
        return nullptr;
    };

    SetupControls found;
    found.headerList = byId(106, IsSingleLineEdit);
    if (!found.headerList) found.headerList = nth(0, IsSingleLineEdit);
    found.alwaysOnTop = byId(107, IsCheckBox);
    if (!found.alwaysOnTop) found.alwaysOnTop = nth(0, IsCheckBox);
    found.hideIfNoHeader = byId(108, IsCheckBox);
    if (!found.hideIfNoHeader) found.hideIfNoHeader = nth(1, IsCheckBox);
    found.ok = byId(104, IsPushButton);
    if (!found.ok) found.ok = byCaption("OK");
    found.cancel = byId(105, IsPushButton);
    if (!found.cancel) found.cancel = byCaption("Cancel");
    return found;
}

bool IsChecked(HWND box)
{
    return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Sets a check box the way a person does, by clicking it; a box that does not
// toggle itself on a click is set directly.
void SetCheck(HWND box, bool checked)
{
    if (IsChecked(box) == checked) return;
    SendMessageA(box, BM_CLICK, 0, 0);
    if (IsChecked(box) != checked) SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

struct ThreadWindowSearch {
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchThreadWindow(HWND window, LPARAM search)
{
    auto* s = reinterpret_cast<ThreadWindowSearch*>(search);
    if (IsWindowVisible(window) && WindowClassOf(window) == s->className) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND VisibleThreadWindow(const char* className)
{
    ThreadWindowSearch search{className, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchThreadWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

// While the plug-in's setup dialog runs its modal loop, a timer of the main
// window looks for the dialog and answers it.
struct StandInHost::SetupAutomation {
    SetupAnswer answer;
    SetupDialogSeen seen;
    DWORD armedAt = 0;
    DWORD answeredAt = 0;
    HWND dialog = nullptr;
    HWND clicked = nullptr;
    int fallbacks = 0;
};

// Counts the callbacks running, so that the module is never freed while its
// code is on the stack.
class StandInHost::CallbackScope {
public:
    explicit CallbackScope(StandInHost& host) : Host(host) { ++Host.CallbackDepth; }
    ~CallbackScope() { --Host.CallbackDepth; }
    CallbackScope(const CallbackScope&) = delete;
    CallbackScope& operator=(const CallbackScope&) = delete;

private:
    StandInHost& Host;
};

StandInHost::StandInHost()
{
    if (TheHost != nullptr) throw std::runtime_error("a StandInHost exists already in this process");

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = MainClassName;
    if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw std::runtime_error("cannot register the main window class");
    }

    HMENU menu = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, MenuExit, "E&xit");
    HMENU plugIn = CreatePopupMenu();
    AppendMenuA(plugIn, MF_STRING, MenuPlugInSetup, "Plug-in &setup...");
    AppendMenuA(plugIn, MF_STRING, MenuPlugInInfo, "Plug-in &information");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(plugIn), "&Plug-in");

    // The window owns the menu from here on and destroys it with itself.
    if (!CreateWindowExA(0, MainClassName, MainTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40, 880, 560,
                         nullptr, menu, instance, this)) {
        DestroyMenu(menu);
        throw std::runtime_error("cannot create the main window");
    }
    CreateChildren();
    LayOut();
    SetTimer(Main, EveryMinuteTimer, 60 * 1000, nullptr);
    ShowWindow(Main, SW_SHOWNORMAL);
    UpdateWindow(Main);
    TheHost = this;
}

StandInHost::~StandInHost()
{
    UnloadPlugin();
    if (Main != nullptr) DestroyWindow(Main);
    if (PaneFont != nullptr) DeleteObject(PaneFont);
    UnregisterClassA(MainClassName, GetModuleHandleA(nullptr));
    TheHost = nullptr;
}

StandInHost* StandInHost::Current()
{
    return TheHost;
}

// --- The plug-in ----------------------------------------------------------------

bool StandInHost::ResolveCallbacks(HMODULE module)
{
    PluginCallbacks found;
    found.OnStart = ExportOf<PluginCallbacks::OnStartProc>(module, "BKC_OnStart");
    found.OnExit = ExportOf<PluginCallbacks::OnExitProc>(module, "BKC_OnExit");
    found.OnMenuInit = ExportOf<PluginCallbacks::OnMenuInitProc>(module, "BKC_OnMenuInit");
    found.OnOpenFolder = ExportOf<PluginCallbacks::OnOpenFolderProc>(module, "BKC_OnOpenFolder");
    found.OnOpenMail = ExportOf<PluginCallbacks::OnOpenMailProc>(module, "BKC_OnOpenMail");
    found.OnEveryMinute = ExportOf<PluginCallbacks::OnEveryMinuteProc>(module, "BKC_OnEveryMinute");
    found.OnOpenCompose = ExportOf<PluginCallbacks::OnOpenComposeProc>(module, "BKC_OnOpenCompose");
    found.OnOutgoing = ExportOf<PluginCallbacks::OnOutgoingProc>(module, "BKC_OnOutgoing");
    found.OnKeyDispatch = ExportOf<PluginCallbacks::OnKeyDispatchProc>(module, "BKC_OnKeyDispatch");
    found.OnRetrieve = ExportOf<PluginCallbacks::OnRetrieveProc>(module, "BKC_OnRetrieve");
    found.OnSend = ExportOf<PluginCallbacks::OnSendProc>(module, "BKC_OnSend");
    found.OnFinishRetrieve = ExportOf<PluginCallbacks::OnFinishRetrieveProc>(module, "BKC_OnFinishRetrieve");
    found.OnPlugInSetup = ExportOf<PluginCallbacks::OnPlugInSetupProc>(module, "BKC_OnPlugInSetup");
    found.OnPlugInInfo = ExportOf<PluginCallbacks::OnPlugInInfoProc>(module, "BKC_OnPlugInInfo");
    found.OnDragDrop = ExportOf<PluginCallbacks::OnDragDropProc>(module, "BKC_OnDragDrop");

    const std::pair<const char*, bool> present[] = {
        {"BKC_OnStart", found.OnStart != nullptr},
        {"BKC_OnExit", found.OnExit != nullptr},
        {"BKC_OnMenuInit", found.OnMenuInit != nullptr},
        {"BKC_OnOpenFolder", found.OnOpenFolder != nullptr},
        {"BKC_OnOpenMail", found.OnOpenMail != nullptr},
        {"BKC_OnEveryMinute", found.OnEveryMinute != nullptr},
        {"BKC_OnOpenCompose", found.OnOpenCompose != nullptr},
        {"BKC_OnOutgoing", found.OnOutgoing != nullptr},
        {"BKC_OnKeyDispatch", found.OnKeyDispatch != nullptr},
        {"BKC_OnRetrieve", found.OnRetrieve != nullptr},
        {"BKC_OnSend", found.OnSend != nullptr},
        {"BKC_OnFinishRetrieve", found.OnFinishRetrieve != nullptr},
        {"BKC_OnPlugInSetup", found.OnPlugInSetup != nullptr},
        {"BKC_OnPlugInInfo", found.OnPlugInInfo != nullptr},
        {"BKC_OnDragDrop", found.OnDragDrop != nullptr},
    };
    std::string missing;
    for (const auto& callback : present) {
        if (!callback.second) missing += std::string(missing.empty() ? "" : ", ") + callback.first;
    }
    if (!missing.empty()) {
        Error = "not a plug-in: it lacks " + missing;
        return false;
    }
    Plugged = found;
    return true;
}

bool StandInHost::LoadPlugin(const std::string& dllPath)
{
    if (Plugin != nullptr) {
        UnloadPlugin();
        if (Plugin != nullptr) return false;
    }
    Error.clear();
    SetLastError(0);
    HMODULE module = LoadLibraryA(dllPath.c_str());
    if (module == nullptr) {
        Error = "the system refused to load " + dllPath + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    if (!ResolveCallbacks(module)) {
        FreeLibrary(module);
        return false;
    }
    Plugin = module;
    CallbackScope scope(*this);
    Plugged.OnStart();
    return true;
}

void StandInHost::UnloadPlugin()
{
    if (Plugin == nullptr) return;
    if (CallbackDepth > 0) {
        Error = "the plug-in cannot be unloaded while one of its callbacks runs";
        return;
    }
    {
        CallbackScope scope(*this);
        Plugged.OnExit();
    }
    FreeLibrary(Plugin);
    Plugin = nullptr;
    Plugged = PluginCallbacks();
}

bool StandInHost::PluginLoaded() const
{
    return Plugin != nullptr;
}

HMODULE StandInHost::PluginModule() const
{
    return Plugin;
}

const PluginCallbacks& StandInHost::Callbacks() const
{
    return Plugged;
}

std::string StandInHost::LastError() const
{
    return Error;
}

// --- Windows ----------------------------------------------------------------------

HWND StandInHost::MainWindow() const { return Main; }
HWND StandInHost::FolderList() const { return Folders; }
HWND StandInHost::MailList() const { return Mails; }
HWND StandInHost::PreviewPane() const { return Preview; }
HWND StandInHost::AnswerPane() const { return Answer; }

void StandInHost::CreateChildren()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    auto child = [&](const char* className, DWORD style, int id) {
        return CreateWindowExA(WS_EX_CLIENTEDGE, className, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, Main,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    };
    Folders = child("LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL, FolderListId);
    Mails = child("LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL, MailListId);
    const DWORD pane = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL;
    Preview = child("EDIT", pane, PreviewId);
    Answer = child("EDIT", pane, AnswerId);
    SendMessageA(Preview, EM_SETLIMITTEXT, 0, 0);
    SendMessageA(Answer, EM_SETLIMITTEXT, 0, 0);

    PaneFont = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, nullptr);
    HGDIOBJ listFont = GetStockObject(DEFAULT_GUI_FONT);
    SendMessageA(Folders, WM_SETFONT, reinterpret_cast<WPARAM>(listFont), FALSE);
    SendMessageA(Mails, WM_SETFONT, reinterpret_cast<WPARAM>(listFont), FALSE);
    SendMessageA(Preview, WM_SETFONT, reinterpret_cast<WPARAM>(PaneFont ? PaneFont : listFont), FALSE);
    SendMessageA(Answer, WM_SETFONT, reinterpret_cast<WPARAM>(PaneFont ? PaneFont : listFont), FALSE);
    SetWindowTextA(Answer, "Double-click a header window of the plug-in to see the mail's header here.");
}

void StandInHost::LayOut()
{
    if (Main == nullptr || Folders == nullptr) return;
    RECT client;
    GetClientRect(Main, &client);
    const int width = client.right;
    const int height = client.bottom;
    const int folderWidth = std::min(180, width / 4);
    const int rightWidth = width - folderWidth;
    const int listHeight = height * 3 / 10;
    const int answerHeight = height * 3 / 10;
    const int previewHeight = height - listHeight - answerHeight;
    MoveWindow(Folders, 0, 0, folderWidth, height, TRUE);
    MoveWindow(Mails, folderWidth, 0, rightWidth, listHeight, TRUE);
    MoveWindow(Preview, folderWidth, listHeight, rightWidth, previewHeight, TRUE);
    MoveWindow(Answer, folderWidth, listHeight + previewHeight, rightWidth, answerHeight, TRUE);
}

LRESULT CALLBACK StandInHost::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* host = static_cast<StandInHost*>(create->lpCreateParams);
        host->Main = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host));
    }
    auto* host = reinterpret_cast<StandInHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (host == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    try {
        return host->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's or the plug-in's frames.
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT StandInHost::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND window = Main;
    switch (message) {
    case WM_SIZE:
        LayOut();
        return 0;
    case WM_COMMAND:
        OnCommand(wParam, lParam);
        return 0;
    case WM_TIMER:
        if (wParam == SetupTimer) {
            SetupTick();
        } else if (wParam == EveryMinuteTimer && Plugin != nullptr) {
            CallbackScope scope(*this);
            Plugged.OnEveryMinute();
        }
        return 0;
    case WM_CLOSE:
        // Closing the program from inside a plug-in's callback (its modal
        // dialog, say) would free the module under its own feet.
        if (CallbackDepth > 0) {
            MessageBeep(MB_ICONWARNING);
            return 0;
        }
        UnloadPlugin();
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        KillTimer(window, EveryMinuteTimer);
        KillTimer(window, SetupTimer);
        if (RunningLoop) PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        Main = Folders = Mails = Preview = Answer = nullptr;
        return DefWindowProcA(window, message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void StandInHost::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const WORD id = LOWORD(wParam);
    const WORD code = HIWORD(wParam);
    if (lParam != 0) {
        // A notification of one of the host's own controls.
        if (reinterpret_cast<HWND>(lParam) == Mails && code == LBN_SELCHANGE) {
            const LRESULT selected = SendMessageA(Mails, LB_GETCURSEL, 0, 0);
            if (selected >= 0) OpenMail(static_cast<size_t>(selected));
        } else if (reinterpret_cast<HWND>(lParam) == Folders && code == LBN_SELCHANGE) {
            const LRESULT selected = SendMessageA(Folders, LB_GETCURSEL, 0, 0);
            if (selected >= 0 && static_cast<size_t>(selected) < SiblingFolders.size()) {
                OpenFolder(SiblingFolders[static_cast<size_t>(selected)]);
            }
        }
        return;
    }
    if (code == 0 && id == MenuPlugInSetup) {
        PlugInSetup();
        return;
    }
    if (code == 0 && id == MenuPlugInInfo) {
        unsigned char record[PlugInInfoSize] = {};
        if (Plugin == nullptr) {
            SetWindowTextA(Answer, "No plug-in is loaded.");
            return;
        }
        PlugInInfo(record);
        auto field = [&](size_t offset, size_t size) {
            const char* text = reinterpret_cast<const char*>(record + offset);
            return std::string(text, strnlen(text, size));
        };
        SetWindowTextA(Answer, ("Plug-in: " + field(PlugInInfoNameOffset, 80) + "\r\nVendor: " +
                                field(PlugInInfoVendorOffset, 80) + "\r\nVersion: " +
                                field(PlugInInfoVersionOffset, 80) + "\r\nDescription: " +
                                field(PlugInInfoDescriptionOffset, PlugInInfoSize - PlugInInfoDescriptionOffset))
                                   .c_str());
        return;
    }
    if (code == 0 && id == MenuExit) {
        PostMessageA(Main, WM_CLOSE, 0, 0);
        return;
    }
    // Anything else came from outside: from the plug-in.
    Commands.push_back(wParam);
    if (wParam == HeaderWindowCommand) AnswerHeaderCommand();
}

void StandInHost::AnswerHeaderCommand()
{
    if (!MailCurrent) {
        SetWindowTextA(Answer, "No mail is open.");
        return;
    }
    const std::string text = "Header of " + LastPathPart(CurrentId) + ":\r\n" + ForDisplay(CurrentHeader);
    SetWindowTextA(Answer, text.c_str());
}

// --- Folder and mails -----------------------------------------------------------

void StandInHost::FillFolderList()
{
    SendMessageA(Folders, LB_RESETCONTENT, 0, 0);
    SiblingFolders.clear();
    const std::string parent = ParentFolder(Folder);
    if (!parent.empty()) {
        for (const std::string& name : FolderEntries(parent, "*", true)) {
            SiblingFolders.push_back(JoinPath(parent, name));
        }
    }
    if (std::find(SiblingFolders.begin(), SiblingFolders.end(), Folder) == SiblingFolders.end()) {
        SiblingFolders.insert(SiblingFolders.begin(), Folder);
    }
    for (size_t i = 0; i < SiblingFolders.size(); ++i) {
        SendMessageA(Folders, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LastPathPart(SiblingFolders[i]).c_str()));
        if (SiblingFolders[i] == Folder) SendMessageA(Folders, LB_SETCURSEL, i, 0);
    }
}

bool StandInHost::OpenFolder(const std::string& dir)
{
    const std::string folder = FullPath(dir);
    if (!IsFolder(folder)) {
        Error = "no such folder: " + dir;
        return false;
    }
    std::vector<Mail> mails;
    for (const std::string& name : FolderEntries(folder, "*.eml", false)) {
        // "*.eml" also finds longer extensions through their short names.
        if (!EndsWithIgnoringAsciiCase(name, ".eml")) continue;
        Mail mail;
        mail.fileName = name;
        mail.path = JoinPath(folder, name);
        mail.listText = name;
        std::string content;
        std::string subject;
        if (ReadWholeFile(mail.path, content) && FindHeader(HeaderBlock(content), "Subject", subject)) {
            mail.listText += "    " + WithoutControls(DecodeHeaderValue(subject));
        }
        mails.push_back(mail);
    }

    Folder = folder;
    FolderMails = mails;
    MailCurrent = false;
    CurrentId.clear();
    CurrentHeader.clear();
    SendMessageA(Mails, LB_RESETCONTENT, 0, 0);
    for (const Mail& mail : FolderMails) {
        SendMessageA(Mails, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mail.listText.c_str()));
    }
    SetWindowTextA(Preview, "");
    FillFolderList();
    SetWindowTextA(Main, (std::string(MainTitle) + " - " + LastPathPart(Folder)).c_str());

    if (Plugin != nullptr) {
        const std::string argument = Folder;
        CallbackScope scope(*this);
        Plugged.OnOpenFolder(argument.c_str());
    }
    return true;
}

std::string StandInHost::CurrentFolder() const
{
    return Folder;
}

size_t StandInHost::MailCount() const
{
    return FolderMails.size();
}

std::string StandInHost::MailFileName(size_t index) const
{
    return index < FolderMails.size() ? FolderMails[index].fileName : std::string();
}

std::string StandInHost::MailIdentifier(size_t index) const
{
    return index < FolderMails.size() ? FolderMails[index].path : std::string();
}

void StandInHost::ShowMailInPreview(const std::string& mail)
{
    std::string shown = ForDisplay(mail.size() > PreviewLimit ? mail.substr(0, PreviewLimit) : mail);
    if (mail.size() > PreviewLimit) shown += "\r\n[...]";
    SetWindowTextA(Preview, shown.c_str());
}

bool StandInHost::OpenMail(size_t index)
{
    if (index >= FolderMails.size()) {
        Error = "no mail number " + std::to_string(index) + " in the folder";
        return false;
    }
    std::string content;
    if (!ReadWholeFile(FolderMails[index].path, content)) {
        Error = "cannot read " + FolderMails[index].path;
        return false;
    }
    MailCurrent = true;
    CurrentId = FolderMails[index].path;
    CurrentHeader = HeaderBlock(content);
    SendMessageA(Mails, LB_SETCURSEL, index, 0);
    ShowMailInPreview(content);

    if (Plugin != nullptr) {
        const std::string argument = CurrentId;
        CallbackScope scope(*this);
        Plugged.OnOpenMail(argument.c_str());
    }
    return true;
}

bool StandInHost::OpenMailByName(const std::string& fileName)
{
    for (size_t i = 0; i < FolderMails.size(); ++i) {
        if (EqualIgnoringAsciiCase(FolderMails[i].fileName, fileName)) return OpenMail(i);
    }
    Error = "no mail called " + fileName + " in the folder";
    return false;
}

void StandInHost::CloseMail()
{
    MailCurrent = false;
    CurrentId.clear();
    CurrentHeader.clear();
    SendMessageA(Mails, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextA(Preview, "");
    if (Plugin != nullptr) {
        CallbackScope scope(*this);
        Plugged.OnOpenMail(CurrentMailId());
    }
}

int StandInHost::OpenMailId(const char* id)
{
    if (Plugin == nullptr) return 0;
    CallbackScope scope(*this);
    return Plugged.OnOpenMail(id);
}

const char* StandInHost::CurrentMailId() const
{
    return MailCurrent ? CurrentId.c_str() : nullptr;
}

std::string StandInHost::CurrentHeaderBlock() const
{
    return CurrentHeader;
}

// --- Callbacks the user triggers -----------------------------------------------------

int StandInHost::PlugInSetup()
{
    if (Plugin == nullptr) return 0;
    CallbackScope scope(*this);
    return Plugged.OnPlugInSetup(Main);
}

int StandInHost::PlugInSetupAnswered(const SetupAnswer& answer, SetupDialogSeen* seen)
{
    SetupAutomation automation;
    automation.answer = answer;
    if (Plugin == nullptr) {
        automation.seen.error = "no plug-in is loaded";
        if (seen != nullptr) *seen = automation.seen;
        return 0;
    }
    automation.armedAt = GetTickCount();
    Setup = &automation;
    SetTimer(Main, SetupTimer, SetupTimerInterval, nullptr);
    const int result = PlugInSetup();
    if (Main != nullptr) KillTimer(Main, SetupTimer);
    Setup = nullptr;
    if (!automation.seen.appeared && automation.seen.error.empty()) {
        automation.seen.error = "the plug-in showed no setup dialog";
    }
    if (seen != nullptr) *seen = automation.seen;
    return result;
}

void StandInHost::SetupTick()
{
    SetupAutomation* setup = Setup;
    if (setup == nullptr) {
        KillTimer(Main, SetupTimer);
        return;
    }
    const DWORD now = GetTickCount();
    SetupDialogSeen& seen = setup->seen;

    if (!seen.answered) {
        HWND dialog = VisibleThreadWindow("TAboutForm");
        if (dialog == nullptr) {
            if (now - setup->armedAt > SetupAppearLimit) {
                seen.error = "no setup dialog appeared";
                KillTimer(Main, SetupTimer);
            }
            return;
        }
        setup->dialog = dialog;
        seen.appeared = true;
        seen.caption = WindowTextOf(dialog);
        const SetupControls controls = FindSetupControls(dialog);
        if (controls.headerList) seen.headerListShown = WindowTextOf(controls.headerList);
        if (controls.alwaysOnTop) seen.alwaysOnTopShown = IsChecked(controls.alwaysOnTop);
        if (controls.hideIfNoHeader) seen.hideIfNoHeaderShown = IsChecked(controls.hideIfNoHeader);

        // Marked answered before anything is clicked: a click may run a
        // nested message loop in which this timer fires again.
        seen.answered = true;
        setup->answeredAt = now;
        SetActiveWindow(dialog);
        if (setup->answer.confirm) {
            if (!controls.headerList || !controls.alwaysOnTop || !controls.hideIfNoHeader || !controls.ok) {
                seen.error = "the setup dialog lacks one of its controls";
            }
            if (controls.headerList) SetWindowTextA(controls.headerList, setup->answer.headerList.c_str());
            if (controls.alwaysOnTop) SetCheck(controls.alwaysOnTop, setup->answer.alwaysOnTop);
            if (controls.hideIfNoHeader) SetCheck(controls.hideIfNoHeader, setup->answer.hideIfNoHeader);
            setup->clicked = controls.ok;
        } else {
            if (!controls.cancel) seen.error = "the setup dialog has no Cancel button";
            setup->clicked = controls.cancel;
        }
        if (setup->clicked) {
            SendMessageA(setup->clicked, BM_CLICK, 0, 0);
        } else {
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        }
        return;
    }

    // Answered: wait for the dialog to go away, nudging it if the click did not.
    if (!IsWindow(setup->dialog) || !IsWindowVisible(setup->dialog)) {
        KillTimer(Main, SetupTimer);
        return;
    }
    const DWORD waited = now - setup->answeredAt;
    if (setup->fallbacks == 0 && waited > SetupCloseFallback && setup->clicked) {
        setup->fallbacks = 1;
        seen.error = "the dialog stayed after its button was clicked";
        PostMessageA(setup->dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(setup->clicked), BN_CLICKED),
                     reinterpret_cast<LPARAM>(setup->clicked));
    } else if (setup->fallbacks <= 1 && waited > SetupCloseLimit) {
        setup->fallbacks = 2;
        seen.error = "the setup dialog did not close; it was sent WM_CLOSE";
        PostMessageA(setup->dialog, WM_CLOSE, 0, 0);
        KillTimer(Main, SetupTimer);
    }
}

void StandInHost::PlugInInfo(unsigned char* record)
{
    if (Plugin == nullptr || record == nullptr) return;
    CallbackScope scope(*this);
    Plugged.OnPlugInInfo(record);
}

// --- The host functions the plug-in calls ---------------------------------------------

BOOL StandInHost::GetWindowHandles(HWND* main, HWND* tree, HWND* list, HWND* view)
{
    if (WindowHandlesFail || Main == nullptr) return FALSE;
    if (main != nullptr) *main = Main;
    if (tree != nullptr) *tree = Folders;
    if (list != nullptr) *list = Mails;
    if (view != nullptr) *view = Preview;
    return TRUE;
}

std::string StandInHost::DecodeHeaderValue(const std::string& rawValue) const
{
    return DecodeEncodedWords(rawValue, ConvertToSystemText);
}

int StandInHost::GetSpecifiedHeader(const char* name, char* buffer, int size)
{
    // A long session keeps only the latest requests.
    if (Requests.size() >= 4096) Requests.erase(Requests.begin());
    Requests.push_back(HeaderRequest{name != nullptr ? name : "(null)", size});
    if (buffer == nullptr || size <= 0) return 0;
    switch (Mode) {
    case HeaderMode::WritesNothing:
        return 0;
    case HeaderMode::FillsBuffer:
        std::memset(buffer, 'A', static_cast<size_t>(size));
        return size;
    case HeaderMode::Normal:
        break;
    }

    std::string value;
    if (MailCurrent && name != nullptr) {
        const auto overridden = std::find_if(Overrides.begin(), Overrides.end(), [&](const OverrideValue& o) {
            return EqualIgnoringAsciiCase(o.name, name);
        });
        std::string raw;
        if (overridden != Overrides.end()) {
            value = overridden->value;
        } else if (FindHeader(CurrentHeader, name, raw)) {
            value = WithoutControls(DecodeHeaderValue(raw));
        }
    }
    const size_t length = FitHeaderValue(value, static_cast<size_t>(size), IsAcpLeadByte);
    std::memcpy(buffer, value.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

// --- Test controls ---------------------------------------------------------------------

void StandInHost::SetWindowHandlesFail(bool fail) { WindowHandlesFail = fail; }
void StandInHost::SetHeaderMode(HeaderMode mode) { Mode = mode; }

void StandInHost::SetHeaderValueOverride(const std::string& name, const std::string& value)
{
    for (OverrideValue& o : Overrides) {
        if (EqualIgnoringAsciiCase(o.name, name)) {
            o.value = value;
            return;
        }
    }
    Overrides.push_back(OverrideValue{name, value});
}

void StandInHost::ClearHeaderValueOverrides() { Overrides.clear(); }
std::vector<WPARAM> StandInHost::CommandsReceived() const { return Commands; }
void StandInHost::ClearCommandsReceived() { Commands.clear(); }
std::vector<HeaderRequest> StandInHost::HeaderRequests() const { return Requests; }
void StandInHost::ClearHeaderRequests() { Requests.clear(); }

std::string StandInHost::AnswerPaneText() const
{
    return WindowTextOf(Answer);
}

// --- Message loop ------------------------------------------------------------------------

void StandInHost::PumpMessages(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (true) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const DWORD waited = GetTickCount() - start;
        if (waited >= milliseconds) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - waited, QS_ALLINPUT);
    }
}

int StandInHost::RunMessageLoop()
{
    RunningLoop = true;
    MSG msg;
    int result = 0;
    while (Main != nullptr) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            result = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) {
            result = 1;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    RunningLoop = false;
    return result;
}
