// The window set with real windows, a real settings file and the host's mails.
#include <gtest/gtest.h>

#include "headers/ShowForm.h"
#include "headers/ShowFormList.h"
#include "settings/IniFile.h"
#include "support/ModuleFixture.h"
#include "support/WindowWatcher.h"

namespace {
using Names = std::vector<std::string>;

const char MailWithMailer[] =
    "From: a@example.org\r\nX-Mailer: Mailer/1.0\r\nSubject: Hello\r\n\r\nBody\r\n";
const char MailWithoutMailer[] = "From: b@example.org\r\nSubject: Plain\r\n\r\nBody\r\n";

class WindowSet : public ModuleFixture {
protected:
    std::unique_ptr<TShowFormList> Make() { return std::make_unique<TShowFormList>(SettingsPath); }

    static std::vector<bool> Visibility(const TShowFormList& set)
    {
        std::vector<bool> visible;
        for (TShowForm* form : ChainOf(set))
            visible.push_back(form->Visible());
        return visible;
    }
    static Names Texts(const TShowFormList& set)
    {
        Names texts;
        for (TShowForm* form : ChainOf(set))
            texts.push_back(form->ShowText->Text());
        return texts;
    }
};

TEST_F(WindowSet, BuildsOneWindowPerShownSectionInFileOrder)
{
    struct Case {
        const char* file;
        Names windows;
        int sectionCount;
    };
    const Case cases[] = {
        {"[First]\r\nShow=1\r\n[Second]\r\nTop=80\r\n[Third]\r\nShow=0\r\n", {"First", "Second"}, 3},
        {"[Quorvel]\r\nHideIfNoHeader=0\r\n", {}, 1},
        {"[quorVEL]\r\nShow=1\r\n[Date]\r\n", {"Date"}, 2},
        {"[A]\r\nShow=0\r\n[B]\r\nShow=0\r\n", {}, 2},
        {"[Letters]\r\nShow=yes\r\n", {"Letters"}, 1},
        {"", {"X-Mailer"}, 1},
    };
    for (const Case& c : cases) {
        Store(c.file);
        auto set = Make();
        EXPECT_EQ(HeaderNamesOf(*set), c.windows) << c.file;
        EXPECT_EQ(set->SectionCount, c.sectionCount) << c.file;
        for (TShowForm* form : ChainOf(*set)) {
            EXPECT_EQ(form->ShowText->Text(), "") << "emptied after construction";
            EXPECT_TRUE(static_cast<DWORD>(GetWindowLongA(form->Handle(), GWL_STYLE)) & WS_POPUP);
        }
        set.reset();
        DeleteFileA(SettingsPath.c_str());
    }
}

TEST_F(WindowSet, WithoutAFileOneHiddenXMailerWindowAndNoFileUntilItGoes)
{
    auto set = Make();
    ASSERT_EQ(HeaderNamesOf(*set), (Names{"X-Mailer"}));
    TShowForm* form = set->FirstForm;
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(GetWindowLongA(form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(form->Left(), 8);
    EXPECT_EQ(form->Top(), 56);
    EXPECT_FALSE(set->AlwaysOnTop);
    EXPECT_TRUE(set->HideIfNoHeader);
    EXPECT_EQ(set->MainWindow, Host->MainWindow());
    EXPECT_FALSE(FileExists(SettingsPath));
    set.reset();
    EXPECT_EQ(SectionNames(Stored()), (Names{"X-Mailer"}));
}

TEST_F(WindowSet, OptionsFromTheSettingsSection)
{
    Store("[Quorvel]\r\nAlwaysOnTop=1\r\nHideIfNoHeader=0\r\n[X-Mailer]\r\n[Subject]\r\n");
    auto set = Make();
    EXPECT_TRUE(set->AlwaysOnTop);
    EXPECT_FALSE(set->HideIfNoHeader);
    for (TShowForm* form : ChainOf(*set))
        EXPECT_TRUE(GetWindowLongA(form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) << form->HeaderName;
}

TEST_F(WindowSet, FailingHostWindowHandlesLeaveNoMainWindow)
{
    Host->SetWindowHandlesFail(true);
    auto set = Make();
    EXPECT_EQ(set->MainWindow, nullptr);
    EXPECT_EQ(HeaderNamesOf(*set), (Names{"X-Mailer"}));
}

TEST_F(WindowSet, UpdateForMailFillsTextsAndFollowsTheHideOption)
{
    OpenMails({{"a.eml", MailWithMailer}, {"b.eml", MailWithoutMailer}});
    struct Case {
        const char* hide;
        std::vector<bool> visibleBefore;
        const char* mail;  // "A": the mail with X-Mailer, "B": without, "": none
        Names texts;
        std::vector<bool> visibleAfter;
    };
    const Case cases[] = {
        {"1", {false, false}, "A", {"Mailer/1.0", "Hello"}, {true, true}},
        {"1", {true, true}, "B", {"", "Plain"}, {false, true}},
        {"1", {true, true}, "", {"", ""}, {false, false}},
        {"0", {false, true}, "A", {"Mailer/1.0", "Hello"}, {false, true}},
        {"0", {true, false}, "", {"", ""}, {true, false}},
    };
    for (const Case& c : cases) {
        Store(std::string("[Quorvel]\r\nHideIfNoHeader=") + c.hide + "\r\n[X-Mailer]\r\n[Subject]\r\n");
        auto set = Make();
        auto chain = ChainOf(*set);
        for (size_t i = 0; i < chain.size(); ++i)
            c.visibleBefore[i] ? chain[i]->Show() : chain[i]->Hide();
        const char* id = nullptr;
        if (c.mail[0] != '\0') {
            ASSERT_TRUE(Host->OpenMailByName(std::string(c.mail[0] == 'A' ? "a" : "b") + ".eml"));
            id = Host->CurrentMailId();
        }
        set->UpdateForMail(id);
        EXPECT_EQ(Texts(*set), c.texts) << "hide " << c.hide << " mail " << c.mail;
        EXPECT_EQ(Visibility(*set), c.visibleAfter) << "hide " << c.hide << " mail " << c.mail;
    }
}

TEST_F(WindowSet, NoMailAndEmptyIdentifierBothEmptyEveryWindow)
{
    OpenMails({{"a.eml", MailWithMailer}});
    Store("[Quorvel]\r\nHideIfNoHeader=0\r\n[X-Mailer]\r\n");
    auto set = Make();
    for (const char* id : {static_cast<const char*>(nullptr), ""}) {
        set->UpdateForMail(Host->CurrentMailId());
        ASSERT_EQ(Texts(*set), (Names{"Mailer/1.0"}));
        Host->ClearHeaderRequests();
        set->UpdateForMail(id);
        EXPECT_EQ(Texts(*set), (Names{""}));
        EXPECT_TRUE(Host->HeaderRequests().empty()) << "no mail: the host is not asked";
    }
}

TEST_F(WindowSet, FocusGoesBackOnlyWhenAWindowWasShown)
{
    OpenMails({{"a.eml", MailWithMailer}, {"b.eml", MailWithoutMailer}});
    Store("[X-Mailer]\r\n");
    auto set = Make();
    SetFocus(Host->MailList());
    ASSERT_EQ(GetFocus(), Host->MailList());

    // The window is shown, takes the activation, and the focus comes back.
    set->UpdateForMail(Host->CurrentMailId());
    EXPECT_TRUE(set->FirstForm->Visible());
    EXPECT_EQ(GetFocus(), Host->MailList());

    // Nothing shown: the focus is not touched, wherever it is.
    SetFocus(set->FirstForm->ShowText->Handle());
    set->UpdateForMail(Host->CurrentMailId());
    EXPECT_EQ(GetFocus(), set->FirstForm->ShowText->Handle());

    // Shown again after a hiding, with no focus before: none after.
    set->UpdateForMail(nullptr);
    SetFocus(nullptr);
    set->UpdateForMail(Host->CurrentMailId());
    EXPECT_TRUE(set->FirstForm->Visible());
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowSet, HostThatWritesNothingOrFillsTheBuffer)
{
    OpenMails({{"a.eml", MailWithMailer}});
    Store("[Quorvel]\r\nHideIfNoHeader=0\r\n[X-Mailer]\r\n[Subject]\r\n");
    auto set = Make();
    Host->SetHeaderMode(HeaderMode::WritesNothing);
    set->UpdateForMail(Host->CurrentMailId());
    EXPECT_EQ(Texts(*set), (Names{"", ""})) << "no value carried over from another window";

    Host->SetHeaderMode(HeaderMode::FillsBuffer);
    set->UpdateForMail(Host->CurrentMailId());
    EXPECT_EQ(Texts(*set), (Names{std::string(255, 'A'), std::string(255, 'A')}));
    for (const HeaderRequest& request : Host->HeaderRequests())
        EXPECT_EQ(request.size, 256);
}

TEST_F(WindowSet, UpdateOnAnEmptyChainDoesNothing)
{
    Store("[X-Mailer]\r\nShow=0\r\n");
    auto set = Make();
    OpenMails({{"a.eml", MailWithMailer}});
    Host->ClearHeaderRequests();
    EXPECT_EQ(set->UpdateForMail(Host->CurrentMailId()), 0);
    EXPECT_TRUE(Host->HeaderRequests().empty());
}

TEST_F(WindowSet, ShowAllShowsOnlyWindowsWithTextUnderTheHideOption)
{
    OpenMails({{"a.eml", MailWithMailer}});
    Store("[X-Mailer]\r\n[Date]\r\n[Subject]\r\n");
    auto set = Make();
    set->UpdateForMail(Host->CurrentMailId());
    auto chain = ChainOf(*set);
    chain[0]->Hide();
    chain[1]->Show();  // empty, but visible: ShowAll leaves it so
    set->ShowAll();
    EXPECT_EQ(Visibility(*set), (std::vector<bool>{true, true, true}));
    chain[1]->Hide();
    set->ShowAll();
    EXPECT_EQ(Visibility(*set), (std::vector<bool>{true, false, true}));

    set->HideIfNoHeader = false;
    set->ShowAll();
    EXPECT_EQ(Visibility(*set), (std::vector<bool>{true, true, true}));
    set->HideAll();
    EXPECT_EQ(Visibility(*set), (std::vector<bool>{false, false, false}));
}

TEST_F(WindowSet, OwnsItsWindowsAndTheirMemosOnly)
{
    Store("[X-Mailer]\r\n[Subject]\r\n");
    auto set = Make();
    auto chain = ChainOf(*set);
    struct Case {
        HWND window;
        bool owned;
    };
    const Case cases[] = {
        {chain[0]->Handle(), true},
        {chain[1]->ShowText->Handle(), true},
        {Host->MainWindow(), false},
        {Host->MailList(), false},
        {nullptr, false},
        {GetDesktopWindow(), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(set->OwnsWindow(c.window), c.owned);
    set->ClearWindows();
    EXPECT_FALSE(set->OwnsWindow(Host->MainWindow()));
    EXPECT_FALSE(set->OwnsWindow(nullptr));
}

TEST_F(WindowSet, ClearWindowsWritesGeometryAndKeepsCountAndOptions)
{
    Store("[Quorvel]\r\nAlwaysOnTop=1\r\nHideIfNoHeader=0\r\n[X-Mailer]\r\n[Subject]\r\nShow=0\r\n");
    auto set = Make();
    set->ClearWindows();
    EXPECT_EQ(set->FirstForm, nullptr);
    EXPECT_EQ(set->LastForm, nullptr);
    EXPECT_EQ(set->SectionCount, 3);
    EXPECT_TRUE(set->AlwaysOnTop);
    EXPECT_FALSE(set->HideIfNoHeader);
    EXPECT_EQ(SectionLines(Stored(), "X-Mailer"),
              (Names{"Top=56", "Height=42", "Left=8", "Width=288", "Show=1"}));
    EXPECT_EQ(SectionLines(Stored(), "Subject"), (Names{"Show=0"}));
    set->ClearWindows();
    EXPECT_EQ(set->SectionCount, 3);
}

// While each window is destroyed, whatever runs on the thread (here a show
// request from the host's minimise-and-restore tracking) may walk the chain:
// it must never meet the window that is going.
TEST_F(WindowSet, WindowsLeaveTheChainBeforeTheyAreDestroyed)
{
    Store("[Quorvel]\r\nHideIfNoHeader=0\r\n[A]\r\n[B]\r\n[C]\r\n");
    auto set = Make();
    TShowFormList* raw = set.get();
    std::vector<std::string> seenDuring;
    HHOOK watcher = SetWindowsHookExA(
        WH_CALLWNDPROC,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
            if (sent->message == WM_DESTROY && ActiveList != nullptr) {
                char name[32] = {};
                GetClassNameA(sent->hwnd, name, sizeof name);
                if (std::string(name) == "TShowForm") {
                    for (TShowForm* form = ActiveList->FirstForm; form != nullptr; form = form->NextForm)
                        EXPECT_NE(form->Handle(), sent->hwnd) << "a window in the chain is being destroyed";
                    ActiveList->ShowAll();
                }
            }
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    raw->ClearWindows();
    UnhookWindowsHookEx(watcher);
    EXPECT_EQ(raw->FirstForm, nullptr);
}
}

namespace {
// A window that cannot be built (here: its window class is taken by another
// window procedure of the same module) is left out; the set goes on.
TEST_F(WindowSet, AWindowThatCannotBeBuiltIsLeftOut)
{
    WNDCLASSA taken = {};
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = GetModuleHandleA(nullptr);
    taken.lpszClassName = "TShowForm";
    ASSERT_NE(RegisterClassA(&taken), 0);
    Store("[X-Mailer]\r\n[Subject]\r\n");
    auto set = Make();
    EXPECT_EQ(HeaderNamesOf(*set), Names{});
    EXPECT_EQ(set->SectionCount, 2);
    OpenMails({{"a.eml", MailWithMailer}});
    EXPECT_EQ(set->UpdateForMail(Host->CurrentMailId()), 0);
    set.reset();
    UnregisterClassA("TShowForm", GetModuleHandleA(nullptr));
    EXPECT_EQ(Stored(), "[X-Mailer]\r\n[Subject]\r\n") << "nothing written for windows never built";
}
}
