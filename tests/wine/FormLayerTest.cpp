// The form layer on real windows: creation, geometry, alignment, closing,
// the controls, and the modal loop driven by posted and sent messages the
// way a user or another program would drive it.
#include "forms/Button.h"
#include "forms/CheckBox.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/Label.h"
#include "forms/Memo.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

// "ＭＳ Ｐゴシック" in Shift-JIS.
const char kJapaneseFace[] = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";
// "件名テスト" in Shift-JIS: trail bytes in the ASCII range ('\x8c\x8f' '\x96\xbc'
// '\x83\x65' '\x83\x58' '\x83\x67').
const char kJapaneseText[] = "\x8c\x8f\x96\xbc\x83\x65\x83\x58\x83\x67";

const char kFormClass[] = "QuorvelFormLayerTest";

TFormLayout MakeLayout(const char* ClassName = kFormClass, const char* Caption = "Form layer test")
{
  return TFormLayout{ClassName, Caption, 120, 90, 420, 300, false,
                     WS_OVERLAPPEDWINDOW, 0, TFontSpec{kJapaneseFace, -12, SHIFTJIS_CHARSET}};
}

TControlLayout MakeControl(int Id, const char* Text, int Left, int Top, int Width, int Height,
                           int TabOrder = -1)
{
  return TControlLayout{Id, Text, Left, Top, Width, Height, TabOrder};
}

// Dispatches what is queued for the thread.
void Pump()
{
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

RECT WindowRectOf(HWND Window)
{
  RECT rect{};
  GetWindowRect(Window, &rect);
  return rect;
}

std::string RectText(const RECT& Rect)
{
  return std::to_string(Rect.left) + "," + std::to_string(Rect.top) + "," +
         std::to_string(Rect.right) + "," + std::to_string(Rect.bottom);
}

LONG StyleOf(HWND Window)
{
  return GetWindowLongA(Window, GWL_STYLE);
}

LONG ExStyleOf(HWND Window)
{
  return GetWindowLongA(Window, GWL_EXSTYLE);
}

bool ClassRegistered(const char* ClassName)
{
  WNDCLASSEXA info{};
  info.cbSize = sizeof(info);
  return GetClassInfoExA(GetModuleHandleA(nullptr), ClassName, &info) != FALSE;
}

// Runs steps one after another from inside whatever message loop is
// running (a modal form's): each step is a posted message to a
// message-only window, and posts the next one when done. A watchdog ends a
// modal loop that no step ended, so a fault fails the test instead of
// hanging it.
class TDriver
{
public:
  explicit TDriver(std::vector<std::function<void()>> Steps, TForm* Watched = nullptr)
    : FSteps(std::move(Steps)), FWatched(Watched)
  {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &TDriver::WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QuorvelFormTestDriver";
    RegisterClassExA(&windowClass);
    FHandle = CreateWindowExA(0, "QuorvelFormTestDriver", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(FHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    PostMessageA(FHandle, WM_APP, 0, 0);
    SetTimer(FHandle, 1, 5000, nullptr);
  }
  ~TDriver()
  {
    KillTimer(FHandle, 1);
    DestroyWindow(FHandle);
  }
  TDriver(const TDriver&) = delete;
  TDriver& operator=(const TDriver&) = delete;

  bool TimedOut = false;

private:
  static LRESULT CALLBACK WindowProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam)
  {
    auto* driver = reinterpret_cast<TDriver*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
    if (driver && Msg == WM_APP) {
      size_t step = static_cast<size_t>(WParam);
      if (step < driver->FSteps.size()) {
        driver->FSteps[step]();
        PostMessageA(Window, WM_APP, step + 1, 0);
      }
      return 0;
    }
    if (driver && Msg == WM_TIMER) {
      KillTimer(Window, 1);
      driver->TimedOut = true;
      if (driver->FWatched)
        driver->FWatched->SetModalResult(-99);
      return 0;
    }
    return DefWindowProcA(Window, Msg, WParam, LParam);
  }

  std::vector<std::function<void()>> FSteps;
  TForm* FWatched;
  HWND FHandle;
};

// A form that writes the enabling and showing it goes through to a log.
class TRecordingForm : public TForm
{
public:
  TRecordingForm(const TFormLayout& Layout, std::vector<std::string>& Log, std::string Name)
    : TForm(Layout), FLog(Log), FName(std::move(Name))
  {
  }

protected:
  LRESULT HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam) override
  {
    if (Msg == WM_ENABLE)
      FLog.push_back(FName + (WParam ? " enabled" : " disabled"));
    else if (Msg == WM_SHOWWINDOW)
      FLog.push_back(FName + (WParam ? " shown" : " hidden"));
    return TForm::HandleMessage(Msg, WParam, LParam);
  }

private:
  std::vector<std::string>& FLog;
  std::string FName;
};

// Posts a left click (down, up) at a point of a control's client area.
void PostClick(HWND Window, int X, int Y)
{
  PostMessageA(Window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
  PostMessageA(Window, WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
}

// --- creation -------------------------------------------------------------

TEST(FormCreation, CreatesHiddenTopLevelWindowWithLayoutCaptionAndClass)
{
  struct Case
  {
    const char* Name;
    DWORD Style;
    DWORD ExStyle;
    const char* Caption;
  };
  const Case cases[] = {
    {"overlapped window", WS_OVERLAPPEDWINDOW, 0, "Form layer test"},
    {"visible asked for", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, "Visible asked"},
    {"child asked for", WS_CHILD | WS_CAPTION | WS_SYSMENU, 0, "Child asked"},
    {"tool popup", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, "Tool popup"},
    {"Shift-JIS caption", WS_OVERLAPPEDWINDOW, 0, kJapaneseText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TFormLayout layout = MakeLayout(kFormClass, c.Caption);
    layout.Style = c.Style;
    layout.ExStyle = c.ExStyle;
    TForm form(layout);
    HWND window = form.Handle();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(0, StyleOf(window) & (WS_VISIBLE | WS_CHILD));
    EXPECT_EQ(nullptr, GetParent(window));
    EXPECT_EQ(nullptr, GetWindow(window, GW_OWNER));
    EXPECT_EQ(window, FindWindowA(kFormClass, c.Caption));
    EXPECT_EQ(std::string(c.Caption), form.Caption());
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    EXPECT_STREQ(kFormClass, className);
    // Registered with the module the form code is linked into: here the
    // test program itself.
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(GetModuleHandleA(nullptr)),
              GetClassLongPtrA(window, GCLP_HMODULE));
  }
}

TEST(FormCreation, CaptionChangesAreFoundByOtherPrograms)
{
  TForm form(MakeLayout());
  const char* captions[] = {"Renamed", "", kJapaneseText, "With & ampersand"};
  for (const char* caption : captions) {
    SCOPED_TRACE(caption);
    form.SetCaption(caption);
    EXPECT_EQ(std::string(caption), form.Caption());
    EXPECT_EQ(form.Handle(), FindWindowA(kFormClass, caption));
  }
}

TEST(FormCreation, ClassGoesWithTheLastFormOfIt)
{
  const char* name = "QuorvelFormLayerTestShared";
  auto first = std::make_unique<TForm>(MakeLayout(name));
  auto second = std::make_unique<TForm>(MakeLayout(name));
  HWND firstWindow = first->Handle();
  EXPECT_TRUE(ClassRegistered(name));
  first.reset();
  EXPECT_FALSE(IsWindow(firstWindow));
  EXPECT_TRUE(ClassRegistered(name)) << "the other form's window still uses it";
  second.reset();
  EXPECT_FALSE(ClassRegistered(name));
  // And a new form registers it again.
  TForm third(MakeLayout(name));
  EXPECT_TRUE(IsWindow(third.Handle()));
}

TEST(FormCreation, RefusesAClassOfTheSameNameThatIsNotAForm)
{
  const char* name = "QuorvelFormLayerTestForeign";
  WNDCLASSEXA foreign{};
  foreign.cbSize = sizeof(foreign);
  foreign.lpfnWndProc = &DefWindowProcA;
  foreign.hInstance = GetModuleHandleA(nullptr);
  foreign.lpszClassName = name;
  ASSERT_NE(0, RegisterClassExA(&foreign));
  EXPECT_THROW(TForm form(MakeLayout(name)), std::runtime_error);
  EXPECT_TRUE(UnregisterClassA(name, GetModuleHandleA(nullptr)));
}

TEST(FormCreation, FormFontIsTheRequestedOneAndEveryControlGetsIt)
{
  TForm form(MakeLayout());
  LOGFONTA font{};
  ASSERT_EQ(static_cast<int>(sizeof(font)), GetObjectA(form.Font(), sizeof(font), &font));
  EXPECT_EQ(-12, font.lfHeight);
  EXPECT_EQ(SHIFTJIS_CHARSET, font.lfCharSet);
  EXPECT_EQ(FW_NORMAL, font.lfWeight);
  EXPECT_STREQ(kJapaneseFace, font.lfFaceName);

  std::vector<HWND> controls = {
    form.AddControl<TMemo>(MakeControl(10, "memo", 0, 0, 100, 100))->Handle(),
    form.AddControl<TLabel>(MakeControl(11, "label", 110, 0, 0, 0))->Handle(),
    form.AddControl<TEdit>(MakeControl(12, "edit", 110, 30, 100, 22))->Handle(),
    form.AddControl<TButton>(MakeControl(13, "button", 110, 60, 80, 24))->Handle(),
    form.AddControl<TCheckBox>(MakeControl(14, "check", 110, 90, 80, 20))->Handle(),
  };
  for (HWND control : controls) {
    SCOPED_TRACE(GetDlgCtrlID(control));
    EXPECT_EQ(reinterpret_cast<LRESULT>(form.Font()), SendMessageA(control, WM_GETFONT, 0, 0));
  }
}

// --- geometry -------------------------------------------------------------

TEST(FormGeometry, OuterOrClientSizeFollowsTheLayout)
{
  struct Case
  {
    const char* Name;
    bool ClientSized;
    DWORD Style;
    DWORD ExStyle;
    int Width, Height;
  };
  const Case cases[] = {
    {"outer, overlapped window", false, WS_OVERLAPPEDWINDOW, 0, 420, 300},
    {"client, overlapped window", true, WS_OVERLAPPEDWINDOW, 0, 420, 300},
    {"client, plain overlapped", true, WS_OVERLAPPED, 0, 380, 260},
    {"client, dialog frame", true, WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, 300, 200},
    {"client, tool popup", true, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, 250, 180},
    {"outer, bare popup", false, WS_POPUP, 0, 333, 222},
    {"client, bare popup", true, WS_POPUP, 0, 333, 222},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TFormLayout layout = MakeLayout();
    layout.ClientSized = c.ClientSized;
    layout.Style = c.Style;
    layout.ExStyle = c.ExStyle;
    layout.Width = c.Width;
    layout.Height = c.Height;
    TForm form(layout);
    EXPECT_EQ(layout.Left, form.Left());
    EXPECT_EQ(layout.Top, form.Top());
    RECT window = WindowRectOf(form.Handle());
    RECT client{};
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(window.right - window.left, form.Width());
    EXPECT_EQ(window.bottom - window.top, form.Height());
    EXPECT_EQ(client.right, form.ClientWidth());
    EXPECT_EQ(client.bottom, form.ClientHeight());
    if (c.ClientSized) {
      EXPECT_EQ(c.Width, form.ClientWidth());
      EXPECT_EQ(c.Height, form.ClientHeight());
    } else {
      EXPECT_EQ(c.Width, form.Width());
      EXPECT_EQ(c.Height, form.Height());
    }
  }
}

TEST(FormGeometry, EachSetterChangesOnlyItsOwnCoordinate)
{
  struct Case
  {
    const char* Name;
    std::function<void(TForm&)> Set;
    RECT Expected; // left, top, right, bottom after the call
  };
  // The form starts at 120,90 with 420 x 300.
  const Case cases[] = {
    {"left", [](TForm& f) { f.SetLeft(200); }, {200, 90, 620, 390}},
    {"top", [](TForm& f) { f.SetTop(40); }, {120, 40, 540, 340}},
    {"width", [](TForm& f) { f.SetWidth(500); }, {120, 90, 620, 390}},
    {"height", [](TForm& f) { f.SetHeight(350); }, {120, 90, 540, 440}},
    {"left off screen", [](TForm& f) { f.SetLeft(-300); }, {-300, 90, 120, 390}},
    {"top beyond screen", [](TForm& f) { f.SetTop(5000); }, {120, 5000, 540, 5300}},
  };
  // One shown form for all cases: under Wine without a window manager each
  // visible window that goes costs a wait.
  TForm form(MakeLayout());
  form.Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    SetWindowPos(form.Handle(), nullptr, 120, 90, 420, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    c.Set(form);
    EXPECT_EQ(RectText(c.Expected), RectText(WindowRectOf(form.Handle())));
    EXPECT_EQ(c.Expected.left, form.Left());
    EXPECT_EQ(c.Expected.top, form.Top());
    EXPECT_EQ(c.Expected.right - c.Expected.left, form.Width());
    EXPECT_EQ(c.Expected.bottom - c.Expected.top, form.Height());
  }
}

TEST(FormGeometry, MinimisedFormKeepsItsNormalBounds)
{
  struct Case
  {
    const char* Name;
    DWORD ExStyle;
  };
  const Case cases[] = {{"application window", 0}, {"tool window", WS_EX_TOOLWINDOW}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TFormLayout layout = MakeLayout();
    layout.ExStyle = c.ExStyle;
    TForm form(layout);
    form.Show();
    form.SetLeft(150);
    form.SetWidth(460);
    const RECT normal = {150, 90, 610, 390};
    EXPECT_FALSE(form.Minimized());
    EXPECT_EQ(RectText(normal), RectText(form.NormalBounds()));

    ShowWindow(form.Handle(), SW_MINIMIZE);
    EXPECT_TRUE(form.Minimized());
    EXPECT_EQ(RectText(normal), RectText(form.NormalBounds()));
    // The getters tell where the minimised window is, not where it was.
    RECT minimised = WindowRectOf(form.Handle());
    EXPECT_EQ(minimised.left, form.Left());
    EXPECT_EQ(minimised.top, form.Top());
    EXPECT_NE(RectText(normal), RectText(minimised));

    ShowWindow(form.Handle(), SW_RESTORE);
    EXPECT_FALSE(form.Minimized());
    EXPECT_EQ(RectText(normal), RectText(WindowRectOf(form.Handle())));
  }
}

// --- alignment and resizing -----------------------------------------------

TEST(FormAlignment, LeftAlignedControlsFillTheClientHeightAfterEveryResize)
{
  TForm form(MakeLayout());
  TMemo& memo = *form.AddControl<TMemo>(MakeControl(20, "aligned", 30, 40, 120, 50));
  TMemo& second = *form.AddControl<TMemo>(MakeControl(21, "second", 30, 40, 60, 50));
  TEdit& free = *form.AddControl<TEdit>(MakeControl(22, "free", 250, 40, 100, 22));
  memo.Align = alLeft;
  second.Align = alLeft;
  form.Show();

  struct Case
  {
    const char* Name;
    std::function<void()> Resize;
  };
  const Case cases[] = {
    {"shown", [] {}},
    {"taller", [&] { form.SetHeight(420); }},
    {"shorter", [&] { form.SetHeight(180); }},
    {"wider", [&] { form.SetWidth(640); }},
    {"narrower than the controls", [&] { form.SetWidth(150); }},
    {"maximised", [&] { ShowWindow(form.Handle(), SW_MAXIMIZE); }},
    {"restored", [&] { ShowWindow(form.Handle(), SW_RESTORE); }},
    {"minimised and restored",
     [&] {
       ShowWindow(form.Handle(), SW_MINIMIZE);
       ShowWindow(form.Handle(), SW_RESTORE);
     }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    c.Resize();
    EXPECT_EQ(0, memo.Left());
    EXPECT_EQ(0, memo.Top());
    EXPECT_EQ(120, memo.Width());
    EXPECT_EQ(form.ClientHeight(), memo.Height());
    EXPECT_EQ(120, second.Left());
    EXPECT_EQ(0, second.Top());
    EXPECT_EQ(60, second.Width());
    EXPECT_EQ(form.ClientHeight(), second.Height());
    EXPECT_EQ(250, free.Left());
    EXPECT_EQ(40, free.Top());
    EXPECT_EQ(100, free.Width());
    EXPECT_EQ(22, free.Height());
  }
}

TEST(FormAlignment, OnResizeRunsAfterTheControlsAreLaidOut)
{
  TFormLayout layout = MakeLayout();
  layout.ClientSized = true;
  TForm form(layout);
  TMemo& memo = *form.AddControl<TMemo>(MakeControl(20, "aligned", 0, 0, 100, 10));
  memo.Align = alLeft;
  std::vector<std::string> seen;
  form.OnResize = [&] {
    seen.push_back(std::to_string(form.ClientHeight()) + ":" + std::to_string(memo.Height()));
  };
  const int outerExtra = form.Height() - form.ClientHeight();
  form.SetHeight(200 + outerExtra);
  form.SetHeight(350 + outerExtra);
  form.SetWidth(500);
  EXPECT_EQ((std::vector<std::string>{"200:200", "350:350", "350:350"}), seen);
}

TEST(FormAlignment, ExceptionFromOnResizeStaysInTheForm)
{
  TForm form(MakeLayout());
  TMemo& memo = *form.AddControl<TMemo>(MakeControl(20, "aligned", 0, 0, 100, 10));
  memo.Align = alLeft;
  form.OnResize = [] { throw std::runtime_error("resize handler failed"); };
  form.SetHeight(333);
  EXPECT_EQ(333, form.Height());
  EXPECT_EQ(form.ClientHeight(), memo.Height());
  form.SetHeight(250);
  EXPECT_EQ(form.ClientHeight(), memo.Height());
}

// --- closing, showing -----------------------------------------------------

TEST(FormClose, CloseOnlyHidesTheForm)
{
  struct Case
  {
    const char* Name;
    std::function<void(HWND)> Close;
  };
  const Case cases[] = {
    {"sent WM_CLOSE", [](HWND w) { SendMessageA(w, WM_CLOSE, 0, 0); }},
    {"posted WM_CLOSE",
     [](HWND w) {
       PostMessageA(w, WM_CLOSE, 0, 0);
       Pump();
     }},
    {"system menu close", [](HWND w) { SendMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  TForm form(MakeLayout());
  TEdit& edit = *form.AddControl<TEdit>(MakeControl(30, "kept", 10, 10, 100, 22));
  const HWND window = form.Handle();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    form.Show();
    ASSERT_TRUE(form.Visible());
    c.Close(window);
    EXPECT_EQ(window, form.Handle());
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindow(edit.Handle()));
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ("kept", edit.Text());
  }
}

TEST(FormShow, ShowHideAndVisibleAgree)
{
  TForm form(MakeLayout());
  struct Case
  {
    const char* Name;
    std::function<void()> Act;
    bool Visible;
  };
  const Case cases[] = {
    {"show", [&] { form.Show(); }, true},
    {"show again", [&] { form.Show(); }, true},
    {"hide", [&] { form.Hide(); }, false},
    {"hide again", [&] { form.Hide(); }, false},
    {"shown by another program", [&] { ShowWindow(form.Handle(), SW_SHOWNA); }, true},
    {"hidden by another program", [&] { ShowWindow(form.Handle(), SW_HIDE); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    c.Act();
    EXPECT_EQ(c.Visible, form.Visible());
    EXPECT_EQ(c.Visible, IsWindowVisible(form.Handle()) != FALSE);
  }
}

TEST(FormShow, ShowBringsTheFormInFrontOfTheOthers)
{
  TForm first(MakeLayout(kFormClass, "First"));
  TForm second(MakeLayout(kFormClass, "Second"));
  auto isAbove = [](HWND upper, HWND lower) {
    for (HWND w = GetWindow(upper, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
      if (w == lower)
        return true;
    return false;
  };
  first.Show();
  second.Show();
  EXPECT_TRUE(isAbove(second.Handle(), first.Handle()));
  first.Show();
  EXPECT_TRUE(isAbove(first.Handle(), second.Handle()));
  EXPECT_EQ(first.Handle(), GetActiveWindow());
}

// --- controls ---------------------------------------------------------------

TEST(Controls, AreFoundByIdWithTheirLayoutBounds)
{
  TForm form(MakeLayout());
  struct Case
  {
    const char* Name;
    std::function<TControl&()> Add;
    TControlLayout Layout;
  };
  const Case cases[] = {
    {"memo", [&]() -> TControl& { return *form.AddControl<TMemo>(MakeControl(40, "m", 5, 6, 100, 80)); },
     MakeControl(40, "m", 5, 6, 100, 80)},
    {"edit", [&]() -> TControl& { return *form.AddControl<TEdit>(MakeControl(41, "e", 120, 10, 150, 24)); },
     MakeControl(41, "e", 120, 10, 150, 24)},
    {"button",
     [&]() -> TControl& { return *form.AddControl<TButton>(MakeControl(42, "b", 120, 40, 75, 25)); },
     MakeControl(42, "b", 120, 40, 75, 25)},
    {"check box",
     [&]() -> TControl& { return *form.AddControl<TCheckBox>(MakeControl(43, "c", 120, 70, 90, 20)); },
     MakeControl(43, "c", 120, 70, 90, 20)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TControl& control = c.Add();
    EXPECT_EQ(control.Handle(), GetDlgItem(form.Handle(), c.Layout.Id));
    EXPECT_EQ(form.Handle(), GetParent(control.Handle()));
    EXPECT_EQ(c.Layout.Left, control.Left());
    EXPECT_EQ(c.Layout.Top, control.Top());
    EXPECT_EQ(c.Layout.Width, control.Width());
    EXPECT_EQ(c.Layout.Height, control.Height());
    control.SetWidth(c.Layout.Width + 7);
    EXPECT_EQ(c.Layout.Width + 7, control.Width());
    EXPECT_EQ(c.Layout.Height, control.Height());
    control.SetHeight(c.Layout.Height + 3);
    EXPECT_EQ(c.Layout.Height + 3, control.Height());
    control.SetBounds(c.Layout.Left + 1, c.Layout.Top + 2, 50, 20);
    EXPECT_EQ(c.Layout.Left + 1, control.Left());
    EXPECT_EQ(c.Layout.Top + 2, control.Top());
    EXPECT_EQ(50, control.Width());
    EXPECT_EQ(20, control.Height());
  }
}

TEST(Controls, TabStopsFollowTheTabOrderNotTheOrderAdded)
{
  TForm form(MakeLayout());
  // Added in this order, with these tab orders.
  TButton& ok = *form.AddControl<TButton>(MakeControl(50, "OK", 10, 100, 75, 25, 2));
  TMemo& memo = *form.AddControl<TMemo>(MakeControl(51, "memo", 200, 10, 100, 100, -1));
  TEdit& edit = *form.AddControl<TEdit>(MakeControl(52, "", 10, 10, 150, 22, 0));
  TCheckBox& check = *form.AddControl<TCheckBox>(MakeControl(53, "check", 10, 40, 100, 20, 1));
  TLabel& label = *form.AddControl<TLabel>(MakeControl(54, "label", 10, 70, 0, 0, -1));

  struct Case
  {
    const char* Name;
    HWND Window;
    bool TabStop;
    HWND Next;
  };
  const Case cases[] = {
    {"edit", edit.Handle(), true, check.Handle()},
    {"check box", check.Handle(), true, ok.Handle()},
    {"button", ok.Handle(), true, edit.Handle()},
    {"memo", memo.Handle(), false, nullptr},
    {"label", label.Handle(), false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(c.TabStop, (StyleOf(c.Window) & WS_TABSTOP) != 0);
    if (c.TabStop) {
      EXPECT_EQ(c.Next, GetNextDlgTabItem(form.Handle(), c.Window, FALSE));
    }
  }
  EXPECT_EQ(edit.Handle(), GetWindow(form.Handle(), GW_CHILD)) << "first tab stop on top";
}

TEST(Memo, IsAReadOnlyBorderlessMultiLineEditWithoutWrapOrScrollBars)
{
  TForm form(MakeLayout());
  TMemo& memo = *form.AddControl<TMemo>(MakeControl(60, "Subject: initial", 0, 0, 120, 100));
  HWND window = memo.Handle();
  char className[16] = {};
  GetClassNameA(window, className, sizeof(className));
  EXPECT_STRCASEEQ("Edit", className);
  const LONG style = StyleOf(window);
  EXPECT_NE(0, style & ES_MULTILINE);
  EXPECT_NE(0, style & ES_READONLY);
  EXPECT_NE(0, style & ES_AUTOHSCROLL);
  EXPECT_NE(0, style & ES_AUTOVSCROLL);
  EXPECT_EQ(0, style & (WS_HSCROLL | WS_VSCROLL | WS_BORDER));
  EXPECT_EQ(0, ExStyleOf(window) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
  EXPECT_EQ("Subject: initial", memo.Text());

  struct Case
  {
    const char* Name;
    std::string Text;
    LRESULT Lines;
  };
  const Case cases[] = {
    {"line far wider than the memo", "From: " + std::string(400, 'x') + "@example.com", 1},
    {"three lines", "From: a\r\nTo: b\r\nSubject: c", 3},
    {"Shift-JIS", std::string("Subject: ") + kJapaneseText, 1},
    {"long header block", [] {
       std::string text;
       for (int i = 0; i < 3000; ++i)
         text += "X-Header-" + std::to_string(i) + ": " + std::string(20, 'v') + "\r\n";
       return text;
     }(), 3001},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    memo.SetText(c.Text);
    EXPECT_EQ(c.Text, memo.Text());
    EXPECT_EQ(c.Lines, SendMessageA(window, EM_GETLINECOUNT, 0, 0));
  }
}

TEST(Memo, TypingDoesNotChangeTheText)
{
  TForm form(MakeLayout());
  TMemo& memo = *form.AddControl<TMemo>(MakeControl(60, "fixed", 0, 0, 120, 100));
  form.Show();
  SetFocus(memo.Handle());
  for (char key : std::string("abc\b")) {
    PostMessageA(memo.Handle(), WM_CHAR, static_cast<unsigned char>(key), 1);
  }
  Pump();
  SendMessageA(memo.Handle(), WM_CUT, 0, 0);
  SendMessageA(memo.Handle(), WM_CLEAR, 0, 0);
  EXPECT_EQ("fixed", memo.Text());
}

TEST(Memo, SelectAllSelectsTheWholeText)
{
  TForm form(MakeLayout());
  TMemo& memo = *form.AddControl<TMemo>(MakeControl(60, "", 0, 0, 120, 100));
  const std::string texts[] = {"", "one", "one\r\ntwo\r\nthree", std::string(70000, 'z')};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.size());
    memo.SetText(text);
    SendMessageA(memo.Handle(), EM_SETSEL, 1, 1);
    memo.SelectAll();
    DWORD start = 0, end = 0;
    SendMessageA(memo.Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(text.size(), end);
  }
}

TEST(Memo, DoubleClickRunsOnDblClickAfterTheEditSelectedTheWord)
{
  TForm form(MakeLayout());
  TMemo& memo = *form.AddControl<TMemo>(MakeControl(60, "Subject: hello world", 0, 0, 300, 100));
  form.Show();
  std::vector<std::string> seen;
  memo.OnDblClick = [&] {
    DWORD start = 0, end = 0;
    SendMessageA(memo.Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    seen.push_back(memo.Text().substr(start, end - start));
  };
  // On the 'l' of "hello": a click, then the double click the system makes
  // of a second click.
  LRESULT position = SendMessageA(memo.Handle(), EM_POSFROMCHAR, 11, 0);
  int x = static_cast<short>(LOWORD(position)) + 2;
  int y = static_cast<short>(HIWORD(position)) + 3;
  PostClick(memo.Handle(), x, y);
  PostMessageA(memo.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageA(memo.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  Pump();
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ("hello", seen[0].substr(0, 5));
  EXPECT_EQ(nullptr, GetCapture()) << "the edit's own button-up handling ran";
}

TEST(Memo, ExceptionFromOnDblClickStaysInTheMemo)
{
  TForm form(MakeLayout());
  TMemo& memo = *form.AddControl<TMemo>(MakeControl(60, "text", 0, 0, 300, 100));
  form.Show();
  memo.OnDblClick = [] { throw std::runtime_error("double click handler failed"); };
  SendMessageA(memo.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageA(memo.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  memo.SetText("still working");
  EXPECT_EQ("still working", memo.Text());
}

TEST(Memo, FormWindowDestroyedByAnotherLeavesNothingBehind)
{
  auto form = std::make_unique<TForm>(MakeLayout());
  TMemo& memo = *form->AddControl<TMemo>(MakeControl(60, "text", 0, 0, 300, 100));
  memo.OnDblClick = [] {};
  HWND memoWindow = memo.Handle();
  DestroyWindow(form->Handle());
  EXPECT_FALSE(IsWindow(memoWindow));
  EXPECT_EQ(nullptr, form->Handle());
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(2, form->ShowModal());
  form.reset();
  EXPECT_FALSE(ClassRegistered(kFormClass));
}

TEST(Label, TakesTheSizeOfItsCaption)
{
  TForm form(MakeLayout());
  TLabel& label = *form.AddControl<TLabel>(MakeControl(70, "Initial caption", 12, 34, 1, 1));
  HDC dc = GetDC(label.Handle());
  HGDIOBJ previous = SelectObject(dc, form.Font());
  auto extent = [&](const std::string& text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    return size;
  };
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);

  EXPECT_EQ(extent("Initial caption").cx, label.Width()) << "sized when created";
  EXPECT_EQ(metrics.tmHeight, label.Height());
  EXPECT_EQ(12, label.Left());
  EXPECT_EQ(34, label.Top());

  const std::string captions[] = {
    "A", "A much longer caption than the first", kJapaneseText, "Save & close", "",
  };
  for (const std::string& caption : captions) {
    SCOPED_TRACE(caption);
    label.SetCaption(caption.c_str());
    EXPECT_EQ(caption, label.Caption());
    EXPECT_EQ(caption.empty() ? 0 : extent(caption).cx, label.Width());
    EXPECT_EQ(metrics.tmHeight, label.Height());
    EXPECT_EQ(12, label.Left());
    EXPECT_EQ(34, label.Top());
  }
  SelectObject(dc, previous);
  ReleaseDC(label.Handle(), dc);
  EXPECT_NE(0, StyleOf(label.Handle()) & SS_NOPREFIX);
}

TEST(Edit, TakesAnyLengthSetOrTyped)
{
  TForm form(MakeLayout());
  TEdit& edit = *form.AddControl<TEdit>(MakeControl(80, "start", 10, 10, 200, 22, 0));
  form.Show();
  EXPECT_NE(0, ExStyleOf(edit.Handle()) & WS_EX_CLIENTEDGE);
  EXPECT_NE(0, StyleOf(edit.Handle()) & ES_AUTOHSCROLL);
  EXPECT_EQ(0, StyleOf(edit.Handle()) & ES_MULTILINE);
  EXPECT_EQ("start", edit.Text());

  struct Case
  {
    const char* Name;
    std::string Set;
    std::string Typed;
    std::string Expected;
  };
  const std::string big(100000, 'k');
  const Case cases[] = {
    {"short", "abc", "d", "abcd"},
    {"Shift-JIS", kJapaneseText, "", kJapaneseText},
    {"beyond the default limit, typed at the end", big, "xyz", big + "xyz"},
    {"empty", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    // Set the way another program sets it.
    SendMessageA(edit.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.Set.c_str()));
    SetFocus(edit.Handle());
    SendMessageA(edit.Handle(), EM_SETSEL, c.Set.size(), c.Set.size());
    for (char key : c.Typed)
      PostMessageA(edit.Handle(), WM_CHAR, static_cast<unsigned char>(key), 1);
    Pump();
    EXPECT_EQ(c.Expected, edit.Text());
  }
  edit.SetText("set by the form");
  EXPECT_EQ("set by the form", edit.Text());
}

TEST(CheckBox, ClicksToggleBetweenTwoStates)
{
  TForm form(MakeLayout());
  TCheckBox& check = *form.AddControl<TCheckBox>(MakeControl(90, "Option", 10, 10, 120, 20, 0));
  form.Show();
  EXPECT_EQ(BS_AUTOCHECKBOX, StyleOf(check.Handle()) & BS_TYPEMASK);
  struct Case
  {
    const char* Name;
    std::function<void()> Act;
    bool Checked;
  };
  const Case cases[] = {
    {"initially clear", [] {}, false},
    {"BM_CLICK", [&] { SendMessageA(check.Handle(), BM_CLICK, 0, 0); }, true},
    {"BM_CLICK again", [&] { SendMessageA(check.Handle(), BM_CLICK, 0, 0); }, false},
    {"mouse click",
     [&] {
       PostClick(check.Handle(), 5, 5);
       Pump();
     },
     true},
    {"mouse click again",
     [&] {
       PostClick(check.Handle(), 5, 5);
       Pump();
     },
     false},
    {"third BM_CLICK is not a third state", [&] {
       SendMessageA(check.Handle(), BM_CLICK, 0, 0);
       SendMessageA(check.Handle(), BM_CLICK, 0, 0);
       SendMessageA(check.Handle(), BM_CLICK, 0, 0);
     }, true},
    {"SetChecked(false)", [&] { check.SetChecked(false); }, false},
    {"SetChecked(true)", [&] { check.SetChecked(true); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    c.Act();
    EXPECT_EQ(c.Checked, check.Checked());
    EXPECT_EQ(c.Checked ? BST_CHECKED : BST_UNCHECKED,
              SendMessageA(check.Handle(), BM_GETCHECK, 0, 0));
  }
}

TEST(Button, IsAPlainPushButton)
{
  TForm form(MakeLayout());
  TButton& button = *form.AddControl<TButton>(MakeControl(100, "OK", 10, 10, 75, 25, 0));
  EXPECT_EQ(BS_PUSHBUTTON, StyleOf(button.Handle()) & BS_TYPEMASK);
  EXPECT_EQ(0, button.ModalResult);
  // A click on a button without a result sets none, shown or not modal.
  form.SetModalResult(0);
  SendMessageA(button.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(0, form.ModalResult());
}

// --- modal loop ------------------------------------------------------------

TEST(Modal, ButtonClickEndsTheLoopWithTheButtonsResult)
{
  struct Case
  {
    const char* Name;
    int Result;
    std::function<void(HWND)> Click;
  };
  const Case cases[] = {
    {"BM_CLICK on OK", 1, [](HWND b) { SendMessageA(b, BM_CLICK, 0, 0); }},
    {"mouse click on OK", 1, [](HWND b) { PostClick(b, 10, 10); }},
    {"BM_CLICK on a button with result 7", 7, [](HWND b) { PostMessageA(b, BM_CLICK, 0, 0); }},
    {"mouse click on Cancel", 2, [](HWND b) { PostClick(b, 10, 10); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TForm form(MakeLayout());
    form.AddControl<TEdit>(MakeControl(110, "", 10, 10, 150, 22, 0));
    TButton& inert = *form.AddControl<TButton>(MakeControl(111, "Inert", 10, 50, 75, 25, 1));
    TButton& button = *form.AddControl<TButton>(MakeControl(112, "End", 100, 50, 75, 25, 2));
    button.ModalResult = c.Result;
    bool shownDuringLoop = false;
    TDriver driver(
      {
        [&] {
          shownDuringLoop = form.Visible();
          SendMessageA(inert.Handle(), BM_CLICK, 0, 0); // no result: the loop goes on
        },
        [&] { c.Click(button.Handle()); },
      },
      &form);
    EXPECT_EQ(c.Result, form.ShowModal());
    EXPECT_FALSE(driver.TimedOut);
    EXPECT_EQ(c.Result, form.ModalResult());
    EXPECT_TRUE(shownDuringLoop);
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(IsWindow(form.Handle()));
  }
}

TEST(Modal, CloseEndsTheLoopWithCancel)
{
  struct Case
  {
    const char* Name;
    std::function<void(HWND)> Close;
  };
  const Case cases[] = {
    {"sent WM_CLOSE", [](HWND w) { SendMessageA(w, WM_CLOSE, 0, 0); }},
    {"posted WM_CLOSE", [](HWND w) { PostMessageA(w, WM_CLOSE, 0, 0); }},
    {"system menu close", [](HWND w) { PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TForm form(MakeLayout());
    TDriver driver({[&] { c.Close(form.Handle()); }}, &form);
    EXPECT_EQ(2, form.ShowModal());
    EXPECT_FALSE(driver.TimedOut);
    EXPECT_EQ(2, form.ModalResult());
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(IsWindow(form.Handle()));
  }
}

TEST(Modal, OtherWindowsAreDisabledDuringTheLoopAndEnabledBeforeTheFormHides)
{
  std::vector<std::string> log;
  TRecordingForm other(MakeLayout(kFormClass, "Other"), log, "other");
  TForm hidden(MakeLayout(kFormClass, "Hidden"));
  TForm alreadyDisabled(MakeLayout(kFormClass, "Already disabled"));
  TRecordingForm modal(MakeLayout(kFormClass, "Modal"), log, "modal");
  TButton& ok = *modal.AddControl<TButton>(MakeControl(120, "OK", 10, 10, 75, 25, 0));
  ok.ModalResult = 1;
  other.Show();
  alreadyDisabled.Show();
  EnableWindow(alreadyDisabled.Handle(), FALSE);
  other.Show();
  ASSERT_EQ(other.Handle(), GetActiveWindow());
  log.clear();

  TDriver driver(
    {[&] {
      log.push_back(std::string("during: other ") +
                    (IsWindowEnabled(other.Handle()) ? "enabled" : "disabled") + ", hidden " +
                    (IsWindowEnabled(hidden.Handle()) ? "enabled" : "disabled") + ", modal " +
                    (IsWindowEnabled(modal.Handle()) ? "enabled" : "disabled"));
      SendMessageA(ok.Handle(), BM_CLICK, 0, 0);
    }},
    &modal);
  EXPECT_EQ(1, modal.ShowModal());
  EXPECT_EQ((std::vector<std::string>{
              "other disabled",
              "modal shown",
              "during: other disabled, hidden disabled, modal enabled",
              "other enabled",
              "modal hidden",
            }),
            log);
  EXPECT_TRUE(IsWindowEnabled(other.Handle()));
  EXPECT_TRUE(IsWindowEnabled(hidden.Handle()));
  EXPECT_FALSE(IsWindowEnabled(alreadyDisabled.Handle())) << "was disabled before";
  EXPECT_EQ(other.Handle(), GetActiveWindow()) << "activation went back to the other form";
}

TEST(Modal, QuitMessageEndsTheLoopWithCancelAndIsPostedAgain)
{
  TForm form(MakeLayout());
  TForm other(MakeLayout(kFormClass, "Other"));
  other.Show();
  TDriver driver({[] { PostQuitMessage(42); }}, &form);
  EXPECT_EQ(2, form.ShowModal());
  EXPECT_FALSE(driver.TimedOut);
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(IsWindowEnabled(other.Handle()));
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(42u, msg.wParam);
}

TEST(Modal, TabMovesThroughTheControlsInTabOrder)
{
  TForm form(MakeLayout());
  TButton& ok = *form.AddControl<TButton>(MakeControl(130, "OK", 10, 100, 75, 25, 3));
  TMemo& memo = *form.AddControl<TMemo>(MakeControl(131, "read only", 200, 10, 100, 80, 1));
  TEdit& edit = *form.AddControl<TEdit>(MakeControl(132, "", 10, 10, 150, 22, 0));
  TCheckBox& check = *form.AddControl<TCheckBox>(MakeControl(133, "check", 10, 40, 100, 20, 2));
  ok.ModalResult = 1;
  std::vector<int> focus;
  auto pressTab = [&] {
    HWND focused = GetFocus();
    PostMessageA(focused, WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageA(focused, WM_KEYUP, VK_TAB, 0xC00F0001);
  };
  auto record = [&] { focus.push_back(GetDlgCtrlID(GetFocus())); };
  TDriver driver(
    {
      [&] { SetFocus(edit.Handle()); },
      record, pressTab,
      record, pressTab,
      record, pressTab,
      record, pressTab,
      record, [&] { SendMessageA(ok.Handle(), BM_CLICK, 0, 0); },
    },
    &form);
  EXPECT_EQ(1, form.ShowModal());
  EXPECT_EQ((std::vector<int>{132, 131, 133, 130, 132}), focus);
  (void)memo;
  (void)check;
}

TEST(Modal, ResultSetByAMessageFromAnotherThreadEndsTheLoop)
{
  // Messages sent from another thread are handled inside GetMessage, and no
  // posted message need follow them: the loop must still see the result.
  // Left waiting, the driver's watchdog would end it with -99.
  struct Case
  {
    const char* Name;
    int Result;
    bool ToButton;
    UINT Msg;
  };
  const Case cases[] = {
    {"BM_CLICK on OK", 1, true, BM_CLICK},
    {"WM_CLOSE to the form", 2, false, WM_CLOSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TForm form(MakeLayout());
    TButton& ok = *form.AddControl<TButton>(MakeControl(140, "OK", 10, 10, 75, 25, 0));
    ok.ModalResult = 1;
    const HWND target = c.ToButton ? ok.Handle() : form.Handle();
    const UINT msg = c.Msg;
    std::thread other;
    TDriver driver({[&] { other = std::thread([=] { SendMessageA(target, msg, 0, 0); }); }}, &form);
    EXPECT_EQ(c.Result, form.ShowModal());
    EXPECT_FALSE(driver.TimedOut);
    other.join();
  }
}

TEST(Modal, FormWindowDestroyedDuringTheLoopEndsItWithCancel)
{
  TForm form(MakeLayout());
  TForm other(MakeLayout(kFormClass, "Other"));
  other.Show();
  TDriver driver({[&] { DestroyWindow(form.Handle()); }}, &form);
  EXPECT_EQ(2, form.ShowModal());
  EXPECT_FALSE(driver.TimedOut);
  EXPECT_EQ(nullptr, form.Handle());
  EXPECT_TRUE(IsWindowEnabled(other.Handle()));
}

TEST(Modal, ShowModalWhileModalIsRefused)
{
  TForm form(MakeLayout());
  int nested = 0;
  TDriver driver(
    {
      [&] { nested = form.ShowModal(); },
      [&] { form.SetModalResult(5); },
    },
    &form);
  EXPECT_EQ(5, form.ShowModal());
  EXPECT_EQ(2, nested);
}

} // namespace

int main(int argc, char** argv)
{
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
