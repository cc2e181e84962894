// The window set: the settings object and the chain of header windows, one
// per shown header section of the settings file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class TIniFile;
class TShowForm;

class TShowFormList {
public:
    // Creates the settings object on the path, builds the windows and starts
    // following the host's main window.
    explicit TShowFormList(const std::string& settingsPath);
    // Destroys the windows (each writes its geometry), then the settings
    // object, and stops following the host.
    ~TShowFormList();
    TShowFormList(const TShowFormList&) = delete;
    TShowFormList& operator=(const TShowFormList&) = delete;

    void LoadWindows();
    void ClearWindows();
    int UpdateForMail(const char* mail);
    void ShowAll();
    void HideAll();
    bool OwnsWindow(HWND window) const;
    void MakeAllPopup();

    int32_t SectionCount = 0;
    TShowForm* FirstForm = nullptr;
    TShowForm* LastForm = nullptr;
    TIniFile* IniFile = nullptr;
    bool AlwaysOnTop = false;
    HWND MainWindow = nullptr;
    HWND OtherWindows[3] = {};
    bool HideIfNoHeader = false;
};

// The live window set, for the hook procedures only.
extern TShowFormList* ActiveList;

// Names of the settings section and of its keys.
constexpr char SettingsSection[] = "Quorvel";
constexpr char DefaultHeaderName[] = "X-Mailer";
