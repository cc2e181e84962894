// The stand-in host: our own small mail reader that plays the mail program
// for the plug-in. It owns a real main window (folder list, mail list, preview
// pane, answer pane and a menu), reads a folder of .eml files, keeps one mail
// current, loads the plug-in on its own thread and calls its callbacks there.
// The host functions that its executable exports (HostExports.cpp) answer from
// the one StandInHost of the process.
//
// Everything runs on the thread that created the StandInHost: the window, the
// plug-in's callbacks and the host functions the plug-in calls back.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// The fifteen callbacks a plug-in exports, with their exact types: every
// argument is one pointer-sized value, removed by the callee.
struct PluginCallbacks {
    using OnStartProc = int(WINAPI*)();
    using OnExitProc = int(WINAPI*)();
    using OnMenuInitProc = int(WINAPI*)(HWND window, HMENU menu, int menuKind);
    using OnOpenFolderProc = int(WINAPI*)(LPCSTR folder);
    using OnOpenMailProc = int(WINAPI*)(LPCSTR mailId);
    using OnEveryMinuteProc = int(WINAPI*)();
    using OnOpenComposeProc = int(WINAPI*)(HWND composeWindow, int mode);
    using OnOutgoingProc = int(WINAPI*)(HWND composeWindow, int mode);
    using OnKeyDispatchProc = int(WINAPI*)(HWND window, int key, int shift);
    using OnRetrieveProc = int(WINAPI*)(LPCSTR message, LPCSTR mailId);
    using OnSendProc = int(WINAPI*)(LPCSTR message);
    using OnFinishRetrieveProc = int(WINAPI*)(int count);
    using OnPlugInSetupProc = int(WINAPI*)(HWND mainWindow);
    using OnPlugInInfoProc = int(WINAPI*)(void* record);
    using OnDragDropProc = int(WINAPI*)(LPCSTR target, LPCSTR source, int count, int effect);

    OnStartProc OnStart = nullptr;
    OnExitProc OnExit = nullptr;
    OnMenuInitProc OnMenuInit = nullptr;
    OnOpenFolderProc OnOpenFolder = nullptr;
    OnOpenMailProc OnOpenMail = nullptr;
    OnEveryMinuteProc OnEveryMinute = nullptr;
    OnOpenComposeProc OnOpenCompose = nullptr;
    OnOutgoingProc OnOutgoing = nullptr;
    OnKeyDispatchProc OnKeyDispatch = nullptr;
    OnRetrieveProc OnRetrieve = nullptr;
    OnSendProc OnSend = nullptr;
    OnFinishRetrieveProc OnFinishRetrieve = nullptr;
    OnPlugInSetupProc OnPlugInSetup = nullptr;
    OnPlugInInfoProc OnPlugInInfo = nullptr;
    OnDragDropProc OnDragDrop = nullptr;
};

// The plug-in information record the host hands to BKC_OnPlugInInfo: four
// zero-terminated texts at fixed offsets.
constexpr size_t PlugInInfoNameOffset = 0;
constexpr size_t PlugInInfoVendorOffset = 80;
constexpr size_t PlugInInfoVersionOffset = 160;
constexpr size_t PlugInInfoDescriptionOffset = 240;
constexpr size_t PlugInInfoSize = 240 + 256;

// The command a plug-in's header window posts to the main window on a
// double click; the host answers it by showing the current mail's header.
constexpr WPARAM HeaderWindowCommand = 32972;

// How BKA_GetSpecifiedHeader behaves: as a sound host does, or like a faulty
// host, for checking that the plug-in survives one.
enum class HeaderMode {
    Normal,
    WritesNothing,  // leaves the buffer as it was, not even a zero byte
    FillsBuffer,    // fills all size bytes with 'A', no terminating zero
};

// One call of BKA_GetSpecifiedHeader as the host received it.
struct HeaderRequest {
    std::string name;  // "(null)" for a null name
    int size = 0;
};

// What the host does to the plug-in's setup dialog (window class
// "TAboutForm") once it appears: fills it in and confirms, or cancels.
struct SetupAnswer {
    bool confirm = true;
    std::string headerList;
    bool alwaysOnTop = false;
    bool hideIfNoHeader = true;
};

// What the host found in the setup dialog while answering it.
struct SetupDialogSeen {
    bool appeared = false;   // a TAboutForm window of this thread was found
    bool answered = false;   // its controls were set and OK or Cancel clicked
    std::string caption;
    std::string headerListShown;  // the dialog's header list before the answer
    bool alwaysOnTopShown = false;
    bool hideIfNoHeaderShown = false;
    std::string error;       // empty when all went as it should
};

class StandInHost {
public:
    // Creates and shows the main window. Only one StandInHost may exist in a
    // process at a time: the exported host functions answer from it. Throws
    // std::runtime_error when another one exists or the window cannot be made.
    StandInHost();
    // Unloads the plug-in, then destroys the main window.
    ~StandInHost();
    StandInHost(const StandInHost&) = delete;
    StandInHost& operator=(const StandInHost&) = delete;

    // The host of this process, or null.
    static StandInHost* Current();

    // --- The plug-in --------------------------------------------------------
    // LoadLibraryA, then the fifteen callbacks by name, then BKC_OnStart.
    // False when the platform refuses the module (LastError says why) or the
    // module lacks a callback (it is unloaded again); a loaded plug-in is
    // unloaded first.
    bool LoadPlugin(const std::string& dllPath);
    // BKC_OnExit, then FreeLibrary. Nothing when no plug-in is loaded.
    void UnloadPlugin();
    bool PluginLoaded() const;
    HMODULE PluginModule() const;
    const PluginCallbacks& Callbacks() const;
    std::string LastError() const;

    // --- Windows ------------------------------------------------------------
    HWND MainWindow() const;
    HWND FolderList() const;
    HWND MailList() const;
    HWND PreviewPane() const;
    HWND AnswerPane() const;

    // --- Folder and mails ---------------------------------------------------
    // Reads the folder's .eml files, sorted by name, makes no mail current and
    // calls BKC_OnOpenFolder with the folder's full path. False, with nothing
    // changed and no callback, when the folder cannot be read.
    bool OpenFolder(const std::string& dir);
    std::string CurrentFolder() const;
    size_t MailCount() const;
    std::string MailFileName(size_t index) const;
    // The identifier of a mail of the folder: its full path.
    std::string MailIdentifier(size_t index) const;
    // Makes the mail current, then calls BKC_OnOpenMail with its identifier.
    // False, with nothing changed and no callback, for an index outside the
    // folder or a file that cannot be read.
    bool OpenMail(size_t index);
    // The same by file name (ASCII case ignored).
    bool OpenMailByName(const std::string& fileName);
    // Makes no mail current and tells the plug-in: BKC_OnOpenMail with the
    // identifier of no mail (null), what BKA_GetCurrentMail returns then.
    void CloseMail();
    // Calls BKC_OnOpenMail with exactly this identifier (null and "" too),
    // leaving the current mail as it is. Returns the callback's result, or 0
    // when no plug-in is loaded.
    int OpenMailId(const char* id);
    // What BKA_GetCurrentMail returns: the current mail's identifier, or null
    // when no mail is current. Valid until the current mail changes.
    const char* CurrentMailId() const;
    // The current mail's header block as read from its file ("" when none).
    std::string CurrentHeaderBlock() const;

    // --- Callbacks the user triggers ------------------------------------------
    // BKC_OnPlugInSetup with the main window; 0 when no plug-in is loaded.
    int PlugInSetup();
    // The same, answering the setup dialog as told once it appears: a timer
    // of the main window finds it while the plug-in's modal loop runs.
    int PlugInSetupAnswered(const SetupAnswer& answer, SetupDialogSeen* seen);
    // BKC_OnPlugInInfo with a record of PlugInInfoSize bytes.
    void PlugInInfo(unsigned char* record);

    // --- The host functions the plug-in calls ---------------------------------
    BOOL GetWindowHandles(HWND* main, HWND* tree, HWND* list, HWND* view);
    int GetSpecifiedHeader(const char* name, char* buffer, int size);

    // --- Test controls ----------------------------------------------------------
    // A failing BKA_GetWindowHandles returns 0 and leaves the four variables
    // as they were.
    void SetWindowHandlesFail(bool fail);
    void SetHeaderMode(HeaderMode mode);
    // While a mail is current, BKA_GetSpecifiedHeader answers value (system
    // 8-bit text, used as it is) for this header name (ASCII case ignored)
    // instead of what the mail holds.
    void SetHeaderValueOverride(const std::string& name, const std::string& value);
    void ClearHeaderValueOverrides();
    // The first message parameters of the WM_COMMAND messages that the main
    // window received from outside its own menu, oldest first.
    std::vector<WPARAM> CommandsReceived() const;
    void ClearCommandsReceived();
    std::vector<HeaderRequest> HeaderRequests() const;
    void ClearHeaderRequests();
    // The text the answer pane shows.
    std::string AnswerPaneText() const;

    // --- Message loop -----------------------------------------------------------
    // Dispatches this thread's messages for the given time.
    void PumpMessages(DWORD milliseconds);
    // Dispatches messages until the main window is closed; for a person.
    int RunMessageLoop();

private:
    struct Mail {
        std::string fileName;
        std::string path;  // also the identifier
        std::string listText;
    };
    struct OverrideValue {
        std::string name;
        std::string value;
    };
    struct SetupAutomation;
    class CallbackScope;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateChildren();
    void LayOut();
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void AnswerHeaderCommand();
    void FillFolderList();
    void ShowMailInPreview(const std::string& mail);
    void SetupTick();
    bool ResolveCallbacks(HMODULE module);
    std::string DecodeHeaderValue(const std::string& rawValue) const;

    HWND Main = nullptr;
    HWND Folders = nullptr;
    HWND Mails = nullptr;
    HWND Preview = nullptr;
    HWND Answer = nullptr;
    HFONT PaneFont = nullptr;

    HMODULE Plugin = nullptr;
    PluginCallbacks Plugged;
    std::string Error;

    std::string Folder;
    std::vector<Mail> FolderMails;
    std::vector<std::string> SiblingFolders;
    bool MailCurrent = false;
    std::string CurrentId;
    std::string CurrentHeader;

    bool WindowHandlesFail = false;
    HeaderMode Mode = HeaderMode::Normal;
    std::vector<OverrideValue> Overrides;
    std::vector<WPARAM> Commands;
    std::vector<HeaderRequest> Requests;
    SetupAutomation* Setup = nullptr;
    int CallbackDepth = 0;
    bool RunningLoop = false;
};
