#include "headers/ShowFormList.h"

#include <cstring>

#include "headers/ShowForm.h"
#include "headers/WindowHooks.h"
#include "plugin/HostApi.h"
#include "settings/HeaderListTokenizer.h"
#include "settings/IniFile.h"
#include "settings/StringList.h"

TShowFormList* ActiveList = nullptr;

namespace {
constexpr int HeaderBufferSize = 256;
}

TShowFormList::TShowFormList(const std::string& settingsPath)
{
    IniFile = new TIniFile(settingsPath);
    LoadWindows();
    ActiveList = this;
    InstallHooks();
}

TShowFormList::~TShowFormList()
{
    ClearWindows();
    delete IniFile;
    IniFile = nullptr;
    ActiveList = nullptr;
    RemoveHooks();
}

void TShowFormList::LoadWindows()
{
    if (HostApi.GetWindowHandles(&MainWindow, &OtherWindows[0], &OtherWindows[1], &OtherWindows[2]) == 0)
        MainWindow = nullptr;

    TStringList sections;
    IniFile->ReadSections(sections);
    if (sections.Count() == 0)
        sections.Add(DefaultHeaderName);
    AlwaysOnTop = IniFile->ReadBool(SettingsSection, "AlwaysOnTop", false);
    HideIfNoHeader = IniFile->ReadBool(SettingsSection, "HideIfNoHeader", true);
    SectionCount = sections.Count();

    for (int i = 0; i < SectionCount; ++i) {
        const std::string& name = sections[i];
        if (IsSettingsSectionName(name))
            continue;
        if (!IniFile->ReadBool(name, "Show", true))
            continue;
        // A window joins the chain only once it is fully built, so a hook
        // running meanwhile never reaches a half-made window. One that
        // cannot be built is left out; the others still come.
        TShowForm* form = nullptr;
        try {
            form = new TShowForm(name.c_str(), IniFile);
        } catch (...) {
            continue;
        }
        form->ClearText();
        if (FirstForm == nullptr)
            FirstForm = form;
        else
            LastForm->NextForm = form;
        LastForm = form;
        SetWindowPos(form->Handle(), AlwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE);
        if (HideIfNoHeader)
            form->Hide();
    }
    MakeAllPopup();
}

void TShowFormList::ClearWindows()
{
    // Each window leaves the chain before it is destroyed: whatever runs
    // during its destruction sees only whole windows.
    while (FirstForm != nullptr) {
        TShowForm* form = FirstForm;
        FirstForm = form->NextForm;
        if (FirstForm == nullptr)
            LastForm = nullptr;
        form->NextForm = nullptr;
        delete form;
    }
    LastForm = nullptr;
}

int TShowFormList::UpdateForMail(const char* mail)
{
    bool shown = false;
    HWND focus = GetFocus();
    const bool hasMail = mail != nullptr && mail[0] != '\0';
    for (TShowForm* form = FirstForm; form != nullptr; form = form->NextForm) {
        // A fresh, emptied buffer per window: a host that writes nothing
        // leaves an empty value, and one that fills every byte is cut at
        // the last one.
        char value[HeaderBufferSize] = {};
        if (hasMail)
            HostApi.GetSpecifiedHeader(form->HeaderName.c_str(), value, HeaderBufferSize);
        value[HeaderBufferSize - 1] = '\0';
        form->ShowText->SetText(value);
        if (HideIfNoHeader) {
            if (value[0] == '\0') {
                if (form->Visible())
                    form->Hide();
            } else if (!form->Visible()) {
                form->Show();
                shown = true;
            }
        }
    }
    if (shown)
        SetFocus(focus);
    return 0;
}

void TShowFormList::ShowAll()
{
    for (TShowForm* form = FirstForm; form != nullptr; form = form->NextForm) {
        if (!HideIfNoHeader || !form->ShowText->Text().empty())
            form->Show();
    }
}

void TShowFormList::HideAll()
{
    for (TShowForm* form = FirstForm; form != nullptr; form = form->NextForm)
        form->Hide();
}

bool TShowFormList::OwnsWindow(HWND window) const
{
    for (const TShowForm* form = FirstForm; form != nullptr; form = form->NextForm) {
        if (window == form->Handle() || IsChild(form->Handle(), window))
            return true;
    }
    return false;
}

void TShowFormList::MakeAllPopup()
{
    for (TShowForm* form = FirstForm; form != nullptr; form = form->NextForm)
        form->MakePopup();
}
