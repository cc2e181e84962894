#include "settings/SetupDialog.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "headers/ShowFormList.h"
#include "plugin/HostApi.h"
#include "plugin/Identity.h"
#include "settings/AboutForm.h"
#include "settings/HeaderListTokenizer.h"
#include "settings/IniFile.h"
#include "settings/StringList.h"

std::string BuildHeaderListText(TShowFormList& set)
{
    TStringList sections;
    set.IniFile->ReadSections(sections);
    std::string text;
    for (int i = 0; i < sections.Count(); ++i) {
        if (IsSettingsSectionName(sections[i]))
            continue;
        if (set.IniFile->ReadBool(sections[i], "Show", false)) {
            text += sections[i];
            text += ", ";
        }
    }
    return text;
}

namespace {
void ReportUnsavedSettings(const TShowFormList& set)
{
    const std::string& file = set.IniFile->FileName();
    std::string text = "The settings could not be saved to the file\r\n";
    text += file.empty() ? std::string("(no usable settings file beside the plug-in)") : file;
    text += "\r\n\r\nCheck that the file and its folder can be written.";
    MessageBoxA(set.MainWindow, text.c_str(), PlugInNameText, MB_OK | MB_ICONWARNING);
}
}

void SaveSetup(TShowFormList& set, const std::string& headerListText, bool alwaysOnTop, bool hideIfNoHeader)
{
    TIniFile& ini = *set.IniFile;
    ini.ResetWriteFailure();

    set.ClearWindows();
    TStringList sections;
    ini.ReadSections(sections);

    set.AlwaysOnTop = alwaysOnTop;
    ini.WriteBool(SettingsSection, "AlwaysOnTop", set.AlwaysOnTop);
    set.HideIfNoHeader = hideIfNoHeader;
    ini.WriteBool(SettingsSection, "HideIfNoHeader", set.HideIfNoHeader);

    std::vector<bool> named(static_cast<size_t>(sections.Count()), false);
    for (const std::string& token : SplitHeaderList(headerListText)) {
        if (IsSettingsSectionName(token))
            continue;
        bool matched = false;
        for (int i = 0; i < sections.Count() && !matched; ++i) {
            if (SameHeaderName(token, sections[i])) {
                named[static_cast<size_t>(i)] = true;
                matched = true;
            }
        }
        if (!matched)
            ini.WriteBool(token, "Show", true);
    }
    for (int i = 0; i < sections.Count(); ++i) {
        if (!IsSettingsSectionName(sections[i]))
            ini.WriteBool(sections[i], "Show", named[static_cast<size_t>(i)]);
    }

    set.LoadWindows();
    set.UpdateForMail(HostApi.GetCurrentMail());
    if (ini.WriteFailed())
        ReportUnsavedSettings(set);
}

int PlugInSetup(TShowFormList* set)
{
    if (set == nullptr)
        return 0;
    auto dialog = std::make_unique<TAboutForm>();
    dialog->ProgramName->SetCaption(PlugInNameText);
    dialog->Version->SetCaption((std::string("Version ") + VersionText).c_str());
    dialog->isAlwaysOnTop->SetChecked(set->AlwaysOnTop);
    dialog->HideIfNoHeader->SetChecked(set->HideIfNoHeader);
    dialog->HeaderList->SetText(BuildHeaderListText(*set));
    if (dialog->ShowModal() == 1) {
        SaveSetup(*set, dialog->HeaderList->Text(), dialog->isAlwaysOnTop->Checked(),
                  dialog->HideIfNoHeader->Checked());
        set->ShowAll();
    }
    return 1;
}
