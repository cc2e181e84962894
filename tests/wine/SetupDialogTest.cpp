// The setup: the real dialog driven as a user would, and the saving of a
// header list into the settings file with the windows rebuilt from it.
#include <gtest/gtest.h>

#include "headers/ShowForm.h"
#include "headers/ShowFormList.h"
#include "settings/AboutForm.h"
#include "settings/IniFile.h"
#include "settings/SetupDialog.h"
#include "support/ModuleFixture.h"
#include "support/WindowWatcher.h"

namespace {
using Names = std::vector<std::string>;

const char Mail[] = "From: a@example.org\r\nX-Mailer: Mailer/1.0\r\nSubject: Hello\r\n\r\nBody\r\n";

// What the user saw in the dialog, and what they do with it.
struct DialogVisit {
    bool appeared = false;
    std::string caption, programName, version, headerList;
    bool alwaysOnTop = false, hideIfNoHeader = false;
    bool ownerDisabled = false;
};

class Setup : public ModuleFixture {
protected:
    std::unique_ptr<TShowFormList> Make() { return std::make_unique<TShowFormList>(SettingsPath); }

    // Opens the setup for the set; when the dialog appears, notes what it
    // shows, then types the text (unless null), sets the check boxes and
    // clicks OK or Cancel as a user would.
    int RunSetup(TShowFormList* set, const char* typed, int alwaysOnTop, int hideIfNoHeader, int button,
                 DialogVisit* visit = nullptr, std::function<void()> meanwhile = {})
    {
        DialogVisit seen;
        HWND main = Host->MainWindow();
        WindowWatcher watcher("TAboutForm", "About", [&](HWND dialog) {
            seen.appeared = true;
            seen.caption = WindowText(dialog);
            seen.programName = DialogItemText(dialog, ProgramNameId);
            seen.version = DialogItemText(dialog, VersionId);
            seen.headerList = DialogItemText(dialog, HeaderListId);
            seen.alwaysOnTop = SendDlgItemMessageA(dialog, isAlwaysOnTopId, BM_GETCHECK, 0, 0) == BST_CHECKED;
            seen.hideIfNoHeader = SendDlgItemMessageA(dialog, HideIfNoHeaderId, BM_GETCHECK, 0, 0) == BST_CHECKED;
            seen.ownerDisabled = !IsWindowEnabled(main);
            if (meanwhile)
                meanwhile();
            if (typed != nullptr)
                SetDlgItemTextA(dialog, HeaderListId, typed);
            if (alwaysOnTop >= 0 && (alwaysOnTop == 1) != seen.alwaysOnTop)
                SendDlgItemMessageA(dialog, isAlwaysOnTopId, BM_CLICK, 0, 0);
            if (hideIfNoHeader >= 0 && (hideIfNoHeader == 1) != seen.hideIfNoHeader)
                SendDlgItemMessageA(dialog, HideIfNoHeaderId, BM_CLICK, 0, 0);
            SendDlgItemMessageA(dialog, button, BM_CLICK, 0, 0);
        });
        int result = PlugInSetup(set);
        if (visit != nullptr)
            *visit = seen;
        EXPECT_TRUE(IsWindowEnabled(main)) << "the host's window is enabled again";
        return result;
    }

    static std::vector<bool> Visibility(const TShowFormList& set)
    {
        std::vector<bool> visible;
        for (TShowForm* form : ChainOf(set))
            visible.push_back(form->Visible());
        return visible;
    }
};

TEST_F(Setup, NoWindowSetNoDialog)
{
    bool appeared = false;
    WindowWatcher watcher("TAboutForm", "", [&](HWND) { appeared = true; });
    EXPECT_EQ(PlugInSetup(nullptr), 0);
    PumpFor(50);
    EXPECT_FALSE(appeared);
}

TEST_F(Setup, FirstRunConfirmedUnchangedLeavesXMailerHidden)
{
    auto set = Make();
    DialogVisit visit;
    EXPECT_EQ(RunSetup(set.get(), nullptr, -1, -1, OKId, &visit), 1);
    EXPECT_TRUE(visit.appeared);
    EXPECT_EQ(visit.caption, "About");
    EXPECT_EQ(visit.programName, "Quorvel Plug-In");
    EXPECT_EQ(visit.version, "Version 0.2.3");
    EXPECT_EQ(visit.headerList, "") << "the default window has no section yet";
    EXPECT_FALSE(visit.alwaysOnTop);
    EXPECT_TRUE(visit.hideIfNoHeader);
    EXPECT_TRUE(visit.ownerDisabled);
    EXPECT_EQ(HeaderNamesOf(*set), Names{});
    EXPECT_EQ(SectionNames(Stored()), (Names{"X-Mailer", "Quorvel"}));
    EXPECT_EQ(SectionLines(Stored(), "X-Mailer"),
              (Names{"Top=56", "Height=42", "Left=8", "Width=288", "Show=0"}));
    EXPECT_EQ(SectionLines(Stored(), "Quorvel"), (Names{"AlwaysOnTop=0", "HideIfNoHeader=1"}));
}

TEST_F(Setup, TheWorkedExampleFileByteForByte)
{
    // First run: the default window writes its section when the host ends.
    Make().reset();
    // Next run: the user moves the window, confirms X-Mailer and Subject with
    // both options on, and ends the host.
    auto set = Make();
    set->FirstForm->SetLeft(640);
    set->FirstForm->SetTop(300);
    EXPECT_EQ(RunSetup(set.get(), "X-Mailer, Subject", 1, 1, OKId), 1);
    set.reset();
    std::string file = Stored();
    std::string withoutBlankLines;
    for (size_t i = 0; i < file.size(); ++i) {
        if (file.compare(i, 2, "\r\n") == 0 && (withoutBlankLines.empty() ||
                                                withoutBlankLines.compare(withoutBlankLines.size() - 2, 2, "\r\n") == 0)) {
            ++i;
            continue;
        }
        withoutBlankLines += file[i];
    }
    EXPECT_EQ(withoutBlankLines,
              "[X-Mailer]\r\nTop=300\r\nHeight=42\r\nLeft=640\r\nWidth=288\r\nShow=1\r\n"
              "[Quorvel]\r\nAlwaysOnTop=1\r\nHideIfNoHeader=1\r\n"
              "[Subject]\r\nShow=1\r\nTop=56\r\nHeight=42\r\nLeft=8\r\nWidth=288\r\n");
}

TEST_F(Setup, HeaderListTextRoundTripKeepsWindowsAndGeometry)
{
    Store("[Date]\r\nShow=1\r\nLeft=20\r\nTop=30\r\n[Quorvel]\r\nAlwaysOnTop=0\r\n[X-Mailer]\r\nShow=1\r\n"
          "[Old]\r\nShow=0\r\n[NoShowKey]\r\n");
    auto set = Make();
    EXPECT_EQ(BuildHeaderListText(*set), "Date, X-Mailer, ");
    DialogVisit visit;
    RunSetup(set.get(), nullptr, -1, -1, OKId, &visit);
    EXPECT_EQ(visit.headerList, "Date, X-Mailer, ");
    EXPECT_EQ(HeaderNamesOf(*set), (Names{"Date", "X-Mailer"}));
    EXPECT_EQ(set->FirstForm->Left(), 20);
    EXPECT_EQ(set->FirstForm->Top(), 30);
    // It had a window (no "Show" counts as shown when building), which wrote
    // its geometry as it went; unnamed, it is not built again.
    EXPECT_EQ(SectionLines(Stored(), "NoShowKey"),
              (Names{"Top=56", "Height=42", "Left=8", "Width=288", "Show=0"}));
    EXPECT_EQ(BuildHeaderListText(*set), "Date, X-Mailer, ");
}

TEST_F(Setup, SavingHeaderListsTable)
{
    struct Case {
        const char* file;
        std::string typed;
        Names sectionsAfter;
        Names shownAfter;  // "Show" per header section, in file order: name=value
        Names windows;
    };
    const std::string longName(600, 'N');
    const Case cases[] = {
        {"", ",X-Mailer,, ,Date,", {"X-Mailer", "Quorvel", "Date"}, {"X-Mailer=1", "Date=1"}, {"X-Mailer", "Date"}},
        {"", "X Mailer", {"X-Mailer", "Quorvel", "XMailer"}, {"X-Mailer=0", "XMailer=1"}, {"XMailer"}},
        {"[X-Mailer]\r\nShow=0\r\n", "x-mailer", {"X-Mailer", "Quorvel"}, {"X-Mailer=1"}, {"X-Mailer"}},
        {"[X-Mailer]\r\nShow=0\r\n", "Subject, subject, SUBJECT", {"X-Mailer", "Quorvel", "Subject"},
         {"X-Mailer=0", "Subject=1"}, {"Subject"}},
        {"[X-Mailer]\r\n[Date]\r\n", "Date, X-Mailer", {"X-Mailer", "Date", "Quorvel"},
         {"X-Mailer=1", "Date=1"}, {"X-Mailer", "Date"}},
        {"[X-Mailer]\r\n[Date]\r\n", "", {"X-Mailer", "Date", "Quorvel"}, {"X-Mailer=0", "Date=0"}, {}},
        {"[X-Mailer]\r\n[Date]\r\n", " , ,\t,", {"X-Mailer", "Date", "Quorvel"}, {"X-Mailer=0", "Date=0"}, {}},
        {"[X-Mailer]\r\n", "Quorvel, QUORVEL, quorvel", {"X-Mailer", "Quorvel"}, {"X-Mailer=0"}, {}},
        {"[X-Mailer]\r\nShow=0\r\n", longName + ",Date", {"X-Mailer", "Quorvel", std::string(511, 'N'), "Date"},
         {"X-Mailer=0", std::string(511, 'N') + "=1", "Date=1"}, {std::string(511, 'N'), "Date"}},
    };
    for (const Case& c : cases) {
        DeleteFileA(SettingsPath.c_str());
        Store(c.file);
        auto set = Make();
        SaveSetup(*set, c.typed, false, false);
        std::string file = Stored();
        EXPECT_EQ(SectionNames(file), c.sectionsAfter) << "typed \"" << c.typed << "\"";
        Names shown;
        for (const std::string& section : SectionNames(file)) {
            if (section == "Quorvel")
                continue;
            for (const std::string& line : SectionLines(file, section))
                if (line.rfind("Show=", 0) == 0)
                    shown.push_back(section + "=" + line.substr(5));
        }
        EXPECT_EQ(shown, c.shownAfter) << "typed \"" << c.typed << "\"";
        EXPECT_EQ(HeaderNamesOf(*set), c.windows) << "typed \"" << c.typed << "\"";
        EXPECT_TRUE(SectionLines(file, "Quorvel") == (Names{"AlwaysOnTop=0", "HideIfNoHeader=0"}))
            << "no Show in the settings section";
    }
}

TEST_F(Setup, AHeaderNamedAgainComesBackWhereItStood)
{
    Store("[X-Mailer]\r\nShow=1\r\n[Date]\r\nShow=1\r\n");
    auto set = Make();
    set->LastForm->SetLeft(400);
    set->LastForm->SetTop(250);
    SaveSetup(*set, "X-Mailer", false, true);
    EXPECT_EQ(HeaderNamesOf(*set), (Names{"X-Mailer"}));
    SaveSetup(*set, "X-Mailer, date", false, true);
    ASSERT_EQ(HeaderNamesOf(*set), (Names{"X-Mailer", "Date"}));
    EXPECT_EQ(set->LastForm->Left(), 400);
    EXPECT_EQ(set->LastForm->Top(), 250);
}

TEST_F(Setup, VisibilityAfterOkFollowsTheHideOption)
{
    OpenMails({{"a.eml", Mail}});
    Store("[X-Mailer]\r\n[Date]\r\n");
    auto set = Make();
    RunSetup(set.get(), "X-Mailer, Date", -1, 0, OKId);
    EXPECT_EQ(Visibility(*set), (std::vector<bool>{true, true}));
    RunSetup(set.get(), "X-Mailer, Date", -1, 1, OKId);
    EXPECT_EQ(Visibility(*set), (std::vector<bool>{true, false}));
    Host->CloseMail();
    RunSetup(set.get(), "X-Mailer, Date", -1, 1, OKId);
    EXPECT_EQ(Visibility(*set), (std::vector<bool>{false, false}));
}

TEST_F(Setup, CancelChangesNothing)
{
    Store("[X-Mailer]\r\nShow=1\r\nLeft=100\r\n");
    auto set = Make();
    std::string before = Stored();
    HWND window = set->FirstForm->Handle();
    EXPECT_EQ(RunSetup(set.get(), "Subject, Date", 1, 0, CancelId), 1);
    EXPECT_EQ(Stored(), before);
    EXPECT_EQ(set->FirstForm->Handle(), window) << "the same window, untouched";
    EXPECT_EQ(set->FirstForm->Left(), 100);
    EXPECT_FALSE(set->AlwaysOnTop);
}

TEST_F(Setup, ClosingTheDialogOtherwiseIsACancel)
{
    Store("[X-Mailer]\r\nShow=1\r\n");
    auto set = Make();
    std::string before = Stored();
    WindowWatcher watcher("TAboutForm", "About", [](HWND dialog) {
        SetDlgItemTextA(dialog, HeaderListId, "Date");
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(PlugInSetup(set.get()), 1);
    EXPECT_EQ(Stored(), before);
}

TEST_F(Setup, HooksAndHostCallbacksRunWhileTheDialogIsOpen)
{
    OpenMails({{"a.eml", Mail}});
    Store("[Quorvel]\r\nHideIfNoHeader=0\r\n[X-Mailer]\r\n");
    auto set = Make();
    TShowFormList* raw = set.get();
    set->FirstForm->Show();
    std::string textDuring;
    bool hiddenDuring = false;
    RunSetup(set.get(), nullptr, -1, -1, CancelId, nullptr, [&] {
        raw->UpdateForMail(Host->CurrentMailId());
        textDuring = raw->FirstForm->ShowText->Text();
        ShowWindow(Host->MainWindow(), SW_MINIMIZE);
        hiddenDuring = !raw->FirstForm->Visible();
        ShowWindow(Host->MainWindow(), SW_RESTORE);
    });
    EXPECT_EQ(textDuring, "Mailer/1.0");
    EXPECT_TRUE(hiddenDuring);
    EXPECT_TRUE(set->FirstForm->Visible());
}

TEST_F(Setup, AFailedSaveIsToldOnceNamingTheFileAndWindowsRemain)
{
    Store("[X-Mailer]\r\nShow=1\r\n[Date]\r\nShow=1\r\n");
    auto set = Make();
    std::string before = Stored();
    std::vector<std::string> told;
    HANDLE lock = INVALID_HANDLE_VALUE;
    WindowWatcher box("#32770", "Quorvel Plug-In", [&](HWND window) {
        told.push_back(StaticTexts(window));
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    });
    // The file becomes unwritable while the dialog is open, as when another
    // program holds it.
    RunSetup(set.get(), "Subject", 1, 1, OKId, nullptr, [&] {
        lock = CreateFileA(SettingsPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    });
    PumpFor(50);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    CloseHandle(lock);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(SettingsPath), std::string::npos) << told[0];
    EXPECT_EQ(Stored(), before) << "nothing half-written";
    EXPECT_EQ(HeaderNamesOf(*set), (Names{"X-Mailer", "Date"})) << "rebuilt from the file as it stands";
}
}
