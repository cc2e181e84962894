// The header windows following the host's main window, through real window
// hooks: real minimising and restoring, real sent activation messages, and a
// window of a real second process.
#include <gtest/gtest.h>

#include "headers/ShowForm.h"
#include "headers/ShowFormList.h"
#include "headers/WindowHooks.h"
#include "support/ModuleFixture.h"
#include "support/OtherProgram.h"
#include "support/WindowWatcher.h"

namespace {
using Visibility = std::vector<bool>;

const char Mail[] = "From: a@example.org\r\nX-Mailer: Mailer/1.0\r\n\r\nBody\r\n";

class HostTracking : public ModuleFixture {
public:
    void SetUp() override
    {
        ModuleFixture::SetUp();
        OpenMails({{"a.eml", Mail}});
        // X-Mailer has a value in the open mail, Subject none.
        Store("[Quorvel]\r\nHideIfNoHeader=1\r\n[X-Mailer]\r\n[Subject]\r\n");
    }
    void MakeSet()
    {
        Set = std::make_unique<TShowFormList>(SettingsPath);
        Set->UpdateForMail(Host->CurrentMailId());
        ShowWindow(Host->MainWindow(), SW_SHOWNORMAL);
        SetActiveWindow(Host->MainWindow());
        PumpFor(20);
    }
    void TearDown() override
    {
        Set.reset();
        ModuleFixture::TearDown();
    }
    Visibility Visible() const
    {
        Visibility visible;
        for (TShowForm* form : ChainOf(*Set))
            visible.push_back(form->Visible());
        return visible;
    }
    // The test's own showing and hiding moves no activation, so that the
    // only activation events are the ones a case makes on purpose.
    void ShowEvery()
    {
        for (TShowForm* form : ChainOf(*Set))
            ShowWindow(form->Handle(), SW_SHOWNA);
    }
    void HideEvery()
    {
        for (TShowForm* form : ChainOf(*Set))
            ShowWindow(form->Handle(), SW_HIDE);
    }
    LRESULT Activate(WPARAM wParam, HWND other)
    {
        return SendMessageA(Host->MainWindow(), WM_ACTIVATE, wParam, reinterpret_cast<LPARAM>(other));
    }

    std::unique_ptr<TShowFormList> Set;
};

TEST_F(HostTracking, HooksInstalledWithTheSetAndRemovedWithIt)
{
    MakeSet();
    EXPECT_NE(CbtHookHandle, nullptr);
    EXPECT_NE(CallWndProcHookHandle, nullptr);
    EXPECT_EQ(ActiveList, Set.get());
    Set.reset();
    EXPECT_EQ(CbtHookHandle, nullptr);
    EXPECT_EQ(CallWndProcHookHandle, nullptr);
    EXPECT_EQ(ActiveList, nullptr);
    // Events after removal reach nothing of the set.
    ShowWindow(Host->MainWindow(), SW_MINIMIZE);
    ShowWindow(Host->MainWindow(), SW_RESTORE);
}

TEST_F(HostTracking, MinimisingHidesBeforeTheMainWindowIsMinimised)
{
    // A hook installed before the module's runs after it, before the
    // minimising takes effect: it sees what the module left.
    static Visibility seen;
    static HostTracking* test;
    seen.clear();
    test = this;
    HHOOK earlier = SetWindowsHookExA(
        WH_CBT,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (code == HCBT_MINMAX && !IsIconic(reinterpret_cast<HWND>(wParam)))
                seen = test->Visible();
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    MakeSet();
    ASSERT_EQ(Visible(), (Visibility{true, false}));
    ShowEvery();
    ShowWindow(Host->MainWindow(), SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(Host->MainWindow()));
    EXPECT_EQ(seen, (Visibility{false, false}));
    EXPECT_EQ(Visible(), (Visibility{false, false}));

    // Restoring shows the windows with a text only.
    ShowWindow(Host->MainWindow(), SW_RESTORE);
    EXPECT_EQ(Visible(), (Visibility{true, false}));
    Set.reset();
    UnhookWindowsHookEx(earlier);
}

TEST_F(HostTracking, RealShowCommandsOfTheMainWindow)
{
    MakeSet();
    struct Step {
        int command;
        bool hiddenBefore;
        Visibility after;
    };
    const Step steps[] = {
        {SW_MINIMIZE, false, {false, false}},
        {SW_RESTORE, true, {true, false}},
        {SW_SHOWMINIMIZED, false, {false, false}},
        {SW_SHOWMAXIMIZED, true, {true, false}},
        {SW_SHOWNORMAL, true, {true, false}},
        {SW_SHOWMINNOACTIVE, false, {false, false}},
        {SW_SHOWDEFAULT, true, {true, false}},
    };
    for (const Step& step : steps) {
        step.hiddenBefore ? HideEvery() : ShowEvery();
        ShowWindow(Host->MainWindow(), step.command);
        PumpFor(10);
        EXPECT_EQ(Visible(), step.after) << "show command " << step.command;
    }
}

// Every show command and the parts of the long parameter, straight into the
// hook as the platform would call it; the platform itself never sends some
// of these values.
TEST_F(HostTracking, ShowCommandTableAndTheHighBitsOfTheLongParameter)
{
    MakeSet();
    enum Effect { None, Hides, Shows };
    const Effect table[] = {Hides, Shows, Hides, Shows, None, None, Hides, Hides, None, Shows, Shows, None, None};
    for (int command = 0; command < 13; ++command) {
        for (LPARAM high : {LPARAM(0), LPARAM(0x7FFF0000)}) {
            ShowEvery();
            CbtHook(HCBT_MINMAX, reinterpret_cast<WPARAM>(Host->MainWindow()), high | command);
            Visibility fromShown = Visible();
            HideEvery();
            CbtHook(HCBT_MINMAX, reinterpret_cast<WPARAM>(Host->MainWindow()), high | command);
            Visibility fromHidden = Visible();
            Visibility expectShown = table[command] == Hides ? Visibility{false, false} : Visibility{true, true};
            Visibility expectHidden = table[command] == Shows ? Visibility{true, false} : Visibility{false, false};
            EXPECT_EQ(fromShown, expectShown) << "command " << command << " high " << high;
            EXPECT_EQ(fromHidden, expectHidden) << "command " << command << " high " << high;
        }
    }
    // Other windows and other codes are only passed on.
    ShowEvery();
    CbtHook(HCBT_MINMAX, reinterpret_cast<WPARAM>(Host->MailList()), SW_MINIMIZE);
    CbtHook(HCBT_MINMAX, 0, SW_MINIMIZE);
    CbtHook(HCBT_ACTIVATE, reinterpret_cast<WPARAM>(Host->MainWindow()), SW_MINIMIZE);
    CbtHook(HCBT_MINMAX | 0x10000, reinterpret_cast<WPARAM>(Host->MainWindow()), SW_MINIMIZE);
    EXPECT_EQ(Visible(), (Visibility{true, true}));
}

TEST_F(HostTracking, ActivationFromAndToAnotherProcess)
{
    MakeSet();
    OtherProgram other;
    ASSERT_NE(other.Window, nullptr);
    struct Step {
        WPARAM wParam;
        HWND other;
        bool hiddenBefore;
        Visibility after;
        const char* what;
    };
    const Step steps[] = {
        {WA_INACTIVE, other.Window, false, {false, false}, "lost to another program"},
        {WA_ACTIVE, other.Window, true, {true, false}, "gained from another program"},
        {WA_CLICKACTIVE, other.Window, true, {true, false}, "gained by a click"},
        {WA_ACTIVE, nullptr, true, {true, false}, "gained from no window"},
        {WA_INACTIVE, nullptr, false, {false, false}, "lost to no window"},
        {WA_INACTIVE, Host->MailList(), false, {true, true}, "lost to a window of the host"},
        {WA_ACTIVE, Host->MailList(), true, {false, false}, "gained from a window of the host"},
        {3, other.Window, false, {true, true}, "activation state 3"},
        {3, other.Window, true, {false, false}, "activation state 3"},
        {MAKEWPARAM(WA_INACTIVE, 1), other.Window, false, {true, true}, "while minimised"},
        {MAKEWPARAM(WA_ACTIVE, 1), other.Window, true, {false, false}, "while minimised"},
    };
    for (const Step& step : steps) {
        step.hiddenBefore ? HideEvery() : ShowEvery();
        Activate(step.wParam, step.other);
        EXPECT_EQ(Visible(), step.after) << step.what;
    }
    // Losing the activation to a header window (or its memo) changes nothing.
    for (TShowForm* form : ChainOf(*Set)) {
        for (HWND window : {form->Handle(), form->ShowText->Handle()}) {
            ShowEvery();
            Activate(WA_INACTIVE, window);
            EXPECT_EQ(Visible(), (Visibility{true, true}));
        }
    }
    // Activation messages to other windows of the host are only passed on.
    ShowEvery();
    SendMessageA(Host->MailList(), WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(other.Window));
    EXPECT_EQ(Visible(), (Visibility{true, true}));
}

TEST_F(HostTracking, SwitchingToAnotherProgramAndBackForReal)
{
    MakeSet();
    OtherProgram other;
    ASSERT_NE(other.Window, nullptr);
    SetForegroundWindow(Host->MainWindow());
    PumpFor(100);
    ShowEvery();
    SetForegroundWindow(other.Window);
    PumpFor(200);
    if (GetForegroundWindow() != other.Window)
        GTEST_SKIP() << "the display gives no activation to another program";
    EXPECT_EQ(Visible(), (Visibility{false, false}));
    SetForegroundWindow(Host->MainWindow());
    PumpFor(200);
    EXPECT_EQ(Visible(), (Visibility{true, false}));
}

TEST_F(HostTracking, WithoutAMainWindowNothingIsFollowed)
{
    Host->SetWindowHandlesFail(true);
    MakeSet();
    ShowEvery();
    ShowWindow(Host->MainWindow(), SW_MINIMIZE);
    EXPECT_EQ(Visible(), (Visibility{true, true}));
    ShowWindow(Host->MainWindow(), SW_RESTORE);
}

// A hook installed earlier on the thread gets every event after the module's
// and its answer is the module's answer: here a veto of the minimising.
TEST_F(HostTracking, EarlierHooksGetTheEventAndTheirAnswerIsReturned)
{
    static int cbtCalls, sentCalls;
    cbtCalls = sentCalls = 0;
    HHOOK veto = SetWindowsHookExA(
        WH_CBT,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (code == HCBT_MINMAX) {
                ++cbtCalls;
                return 1;
            }
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    HHOOK counter = SetWindowsHookExA(
        WH_CALLWNDPROC,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
            if (sent->message == WM_ACTIVATE && sent->lParam == 0x5A5A0)
                ++sentCalls;
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    MakeSet();
    ShowEvery();
    ShowWindow(Host->MainWindow(), SW_MINIMIZE);
    EXPECT_EQ(cbtCalls, 1);
    EXPECT_FALSE(IsIconic(Host->MainWindow())) << "the earlier hook's veto came through";
    EXPECT_EQ(Visible(), (Visibility{false, false})) << "the module acted before passing on";
    // A window handle no process owns: counts as another program's.
    Activate(WA_ACTIVE, reinterpret_cast<HWND>(0x5A5A0));
    EXPECT_EQ(sentCalls, 1);
    EXPECT_EQ(Visible(), (Visibility{true, false}));
    Set.reset();
    UnhookWindowsHookEx(counter);
    UnhookWindowsHookEx(veto);
}
}
