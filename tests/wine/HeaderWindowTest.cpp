// One header window, with real windows, a real settings file and the host.
#include <gtest/gtest.h>

#include "headers/ShowForm.h"
#include "settings/IniFile.h"
#include "support/ModuleFixture.h"
#include "support/WindowWatcher.h"

namespace {
using Lines = std::vector<std::string>;

class HeaderWindow : public ModuleFixture {
protected:
    TIniFile Ini{SettingsPath};

    std::unique_ptr<TShowForm> Make(const char* name) { return std::make_unique<TShowForm>(name, &Ini); }
};

TEST_F(HeaderWindow, LayoutDefaultsAndTheirExactWriteBack)
{
    auto form = Make("X-Mailer");
    EXPECT_FALSE(form->Visible()) << "created hidden";
    EXPECT_EQ(form->Left(), 8);
    EXPECT_EQ(form->Top(), 56);
    EXPECT_EQ(form->Width(), 288);
    EXPECT_EQ(form->Height(), 42);
    EXPECT_EQ(form->Caption(), "X-Mailer");
    EXPECT_EQ(form->ShowText->Text(), "ShowText") << "until the window set empties it";
    EXPECT_EQ(form->ShowText->Left(), 0);
    EXPECT_EQ(form->ShowText->Top(), 0);
    LONG style = GetWindowLongA(form->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
    LONG memoStyle = GetWindowLongA(form->ShowText->Handle(), GWL_STYLE);
    EXPECT_TRUE(memoStyle & ES_READONLY);
    EXPECT_TRUE(memoStyle & ES_MULTILINE);
    EXPECT_FALSE(memoStyle & WS_BORDER);
    EXPECT_FALSE(FileExists(SettingsPath)) << "the constructor writes nothing";

    form.reset();
    EXPECT_EQ(SectionLines(Stored(), "X-Mailer"),
              (Lines{"Top=56", "Height=42", "Left=8", "Width=288", "Show=1"}));
}

TEST_F(HeaderWindow, StoredGeometryIsAppliedKeyByKey)
{
    struct Case {
        const char* stored;
        int left, top, width, height;
    };
    const Case cases[] = {
        {"Top=100", 8, 100, 288, 42},
        {"Top=0x20", 8, 32, 288, 42},
        {"Top=32\r\nLeft=-5", -5, 32, 288, 42},
        {"Top=12px\r\nLeft=", 8, 56, 288, 42},
        {"Left=300\r\nTop=200\r\nWidth=400\r\nHeight=0X64", 300, 200, 400, 100},
    };
    for (const Case& c : cases) {
        Store(std::string("[Subject]\r\n") + c.stored + "\r\n");
        auto form = Make("Subject");
        EXPECT_EQ(form->Left(), c.left) << c.stored;
        EXPECT_EQ(form->Top(), c.top) << c.stored;
        EXPECT_EQ(form->Width(), c.width) << c.stored;
        EXPECT_EQ(form->Height(), c.height) << c.stored;
    }
}

TEST_F(HeaderWindow, WriteBackOrderAfterAMoveReplacingValuesInPlace)
{
    Store("[subject]\r\nShow=1\r\nWidth=300\r\nextra=kept\r\n");
    auto form = Make("Subject");
    form->SetLeft(640);
    form->SetTop(300);
    form.reset();
    EXPECT_EQ(SectionNames(Stored()), (Lines{"subject"}));
    EXPECT_EQ(SectionLines(Stored(), "Subject"),
              (Lines{"Show=1", "Width=300", "extra=kept", "Top=300", "Height=42", "Left=640"}));
}

TEST_F(HeaderWindow, CaptionKeepsTheNameAsGiven)
{
    auto form = Make("x-MaIlEr");
    EXPECT_EQ(form->Caption(), "x-MaIlEr");
    EXPECT_EQ(form->HeaderName, "x-MaIlEr");
}

TEST_F(HeaderWindow, MemoFillsTheClientAreaAfterEveryResize)
{
    auto form = Make("X-Mailer");
    form->Show();
    const SIZE sizes[] = {{288, 42}, {500, 120}, {150, 60}, {900, 300}};
    for (SIZE size : sizes) {
        SetWindowPos(form->Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(form->ShowText->Width(), form->ClientWidth()) << size.cx << "x" << size.cy;
        EXPECT_EQ(form->ShowText->Height(), form->ClientHeight()) << size.cx << "x" << size.cy;
        EXPECT_EQ(form->ShowText->Left(), 0);
        EXPECT_EQ(form->ShowText->Top(), 0);
    }
}

TEST_F(HeaderWindow, CloseButtonOnlyHides)
{
    auto form = Make("X-Mailer");
    form->Show();
    ASSERT_TRUE(form->Visible());
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindow(form->Handle()));
    EXPECT_FALSE(form->Visible());
    form->Show();
    EXPECT_TRUE(form->Visible());
}

TEST_F(HeaderWindow, MinimisedWindowWritesItsRestoredGeometry)
{
    Store("[X-Mailer]\r\nLeft=200\r\nTop=150\r\nWidth=320\r\nHeight=60\r\n");
    auto form = Make("X-Mailer");
    form->Show();
    ShowWindow(form->Handle(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(form->Handle()));
    form.reset();
    EXPECT_EQ(SectionLines(Stored(), "X-Mailer"),
              (Lines{"Left=200", "Top=150", "Width=320", "Height=60", "Show=1"}));
}

TEST_F(HeaderWindow, DoubleClickSelectsAllAndPostsTheCommandToTheHost)
{
    for (const char* text : {"Mailer/1.0 (Linux)", ""}) {
        auto form = Make("X-Mailer");
        form->ShowText->SetText(text);
        form->Show();
        Host->ClearCommandsReceived();
        SendMessageA(form->ShowText->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageA(form->ShowText->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        SendMessageA(form->ShowText->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageA(form->ShowText->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        PumpFor(50);
        EXPECT_EQ(Host->CommandsReceived(), (std::vector<WPARAM>{ShowFormCommandId})) << "text \"" << text << "\"";
        DWORD start = 0, end = 0;
        SendMessageA(form->ShowText->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, strlen(text)) << "whole text selected";
    }
}

TEST_F(HeaderWindow, DoubleClickWithoutHostWindowsPostsToNoWindow)
{
    auto form = Make("X-Mailer");
    form->ShowText->SetText("value");
    Host->SetWindowHandlesFail(true);
    Host->ClearCommandsReceived();
    form->DblClick();
    // Posted to a null window, the command lands in the thread's queue as a
    // message for no window, and the host's main window never sees it.
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, reinterpret_cast<HWND>(-1), WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(message.hwnd, nullptr);
    EXPECT_EQ(message.wParam, ShowFormCommandId);
    EXPECT_EQ(message.lParam, 0);
    PumpFor(20);
    EXPECT_TRUE(Host->CommandsReceived().empty());
    DWORD start = 1, end = 0;
    SendMessageA(form->ShowText->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 5u);
}

TEST_F(HeaderWindow, MakePopupGivesThePopupStyleWithoutAMessage)
{
    auto form = Make("X-Mailer");
    bool boxShown = false;
    WindowWatcher watcher("#32770", "SetParent", [&](HWND box) {
        boxShown = true;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    form->MakePopup();
    PumpFor(30);
    EXPECT_FALSE(boxShown);
    EXPECT_TRUE(static_cast<DWORD>(GetWindowLongA(form->Handle(), GWL_STYLE)) & WS_POPUP);
    EXPECT_EQ(GetParent(form->Handle()), nullptr);
}

TEST_F(HeaderWindow, FailedReparentingShowsTheErrorCodeAndGoesOn)
{
    auto form = Make("X-Mailer");
    // The platform window is gone behind the form's back, so re-parenting
    // fails for real with an invalid-handle error.
    DestroyWindow(form->Handle());
    std::string boxText;
    WindowWatcher watcher("#32770", "SetParent", [&](HWND box) {
        boxText = StaticTexts(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    form->MakePopup();
    EXPECT_TRUE(watcher.Fired());
    EXPECT_EQ(boxText, "errno=1400");
}
}
