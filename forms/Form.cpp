#include "forms/Form.h"

#include <algorithm>
#include <stdexcept>

namespace {

// The module this code is linked into: the plug-in DLL inside the host, the
// executable in a test program. Window classes are registered with it so
// that they belong to the module whose code runs their window procedure.
HINSTANCE ThisModule()
{
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                            GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&ThisModule), &module))
    throw std::runtime_error("cannot find the module of the form code");
  return module;
}

std::string TextOf(HWND Window)
{
  // The length may be larger than the text for multibyte text, never smaller.
  int length = GetWindowTextLengthA(Window);
  if (length <= 0)
    return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int copied = GetWindowTextA(Window, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

// Collects the enabled top-level windows of the thread other than one.
struct TWindowsToDisable
{
  HWND Except;
  std::vector<HWND> Windows;
};

BOOL CALLBACK CollectEnabledWindow(HWND Window, LPARAM Param)
{
  auto* collect = reinterpret_cast<TWindowsToDisable*>(Param);
  if (Window == collect->Except || !IsWindowEnabled(Window))
    return TRUE;
  try {
    collect->Windows.push_back(Window);
  } catch (...) {
    return FALSE;
  }
  return TRUE;
}

} // namespace

TForm::TForm(const TFormLayout& Layout)
  : FClassName(Layout.ClassName ? Layout.ClassName : ""),
    FInstance(ThisModule()),
    FFont(Layout.Font),
    FHandle(nullptr),
    FModalResult(0),
    FModal(false)
{
  if (FClassName.empty())
    throw std::invalid_argument("a form needs a window class name");

  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &TForm::WindowProc;
  windowClass.hInstance = FInstance;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = FClassName.c_str();
  if (!RegisterClassExA(&windowClass)) {
    if (GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      throw std::runtime_error("cannot register the window class " + FClassName);
    // Another form of the same class is alive. A class of that name that
    // some other code registered in this module would never reach us.
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExA(FInstance, FClassName.c_str(), &existing) ||
        existing.lpfnWndProc != &TForm::WindowProc)
      throw std::runtime_error("the window class " + FClassName + " is not a form's");
  }

  DWORD style = Layout.Style & ~static_cast<DWORD>(WS_VISIBLE | WS_CHILD);
  int width = Layout.Width;
  int height = Layout.Height;
  if (Layout.ClientSized) {
    // A window that is neither popup nor child always gets a caption.
    DWORD frameStyle = style;
    if (!(frameStyle & WS_POPUP))
      frameStyle |= WS_CAPTION;
    RECT rect{0, 0, Layout.Width, Layout.Height};
    AdjustWindowRectEx(&rect, frameStyle, FALSE, Layout.ExStyle);
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
  }
  if (!CreateWindowExA(Layout.ExStyle, FClassName.c_str(), Layout.Caption ? Layout.Caption : "",
                       style, Layout.Left, Layout.Top, width, height, nullptr, nullptr,
                       FInstance, this)) {
    UnregisterClassA(FClassName.c_str(), FInstance);
    throw std::runtime_error("cannot create a window of class " + FClassName);
  }
}

TForm::~TForm()
{
  // Controls first, last added first: a subclassed control puts the
  // control's own window procedure back before its window goes.
  while (!FControls.empty())
    FControls.pop_back();
  if (FHandle)
    DestroyWindow(FHandle);
  // Fails while another form of the class is still there; the last one
  // takes the class away, so none is left behind when the module unloads.
  UnregisterClassA(FClassName.c_str(), FInstance);
}

LRESULT CALLBACK TForm::WindowProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam)
{
  TForm* form;
  if (Msg == WM_NCCREATE) {
    form = static_cast<TForm*>(reinterpret_cast<CREATESTRUCTA*>(LParam)->lpCreateParams);
    SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    if (form)
      form->FHandle = Window;
  } else {
    form = reinterpret_cast<TForm*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
  }
  if (!form)
    return DefWindowProcA(Window, Msg, WParam, LParam);

  LRESULT result = 0;
  try {
    result = form->HandleMessage(Msg, WParam, LParam);
  } catch (...) {
    // The caller's stack is the host's: nothing may unwind through it.
    result = 0;
  }
  if (Msg == WM_NCDESTROY) {
    SetWindowLongPtrA(Window, GWLP_USERDATA, 0);
    form->FHandle = nullptr;
    if (form->FModal && form->FModalResult == 0)
      form->FModalResult = 2;
  }
  return result;
}

LRESULT TForm::HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam)
{
  switch (Msg) {
  case WM_CLOSE:
    if (FModal)
      SetModalResult(2);
    else
      Hide();
    return 0;
  case WM_SIZE:
    Realign();
    if (OnResize)
      OnResize();
    return 0;
  case WM_COMMAND:
    if (LParam) {
      HWND sender = reinterpret_cast<HWND>(LParam);
      for (auto& control : FControls)
        if (control->Handle() == sender) {
          control->Command(HIWORD(WParam));
          return 0;
        }
    }
    break;
  }
  return DefWindowProcA(FHandle, Msg, WParam, LParam);
}

HWND TForm::Handle() const
{
  return FHandle;
}

HFONT TForm::Font() const
{
  return FFont.Handle();
}

namespace {

RECT WindowRectOf(HWND Window)
{
  RECT rect{};
  if (Window)
    GetWindowRect(Window, &rect);
  return rect;
}

} // namespace

int TForm::Left() const
{
  return WindowRectOf(FHandle).left;
}

int TForm::Top() const
{
  return WindowRectOf(FHandle).top;
}

int TForm::Width() const
{
  RECT rect = WindowRectOf(FHandle);
  return rect.right - rect.left;
}

int TForm::Height() const
{
  RECT rect = WindowRectOf(FHandle);
  return rect.bottom - rect.top;
}

void TForm::SetLeft(int Value)
{
  SetWindowPos(FHandle, nullptr, Value, Top(), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetTop(int Value)
{
  SetWindowPos(FHandle, nullptr, Left(), Value, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetWidth(int Value)
{
  SetWindowPos(FHandle, nullptr, 0, 0, Value, Height(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetHeight(int Value)
{
  SetWindowPos(FHandle, nullptr, 0, 0, Width(), Value,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TForm::Minimized() const
{
  return FHandle && IsIconic(FHandle);
}

RECT TForm::NormalBounds() const
{
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!FHandle || !GetWindowPlacement(FHandle, &placement))
    return RECT{};
  RECT rect = placement.rcNormalPosition;
  // Except for tool windows these are workspace coordinates: relative to the
  // work area of the window's monitor, which a taskbar on the left or at the
  // top moves away from the monitor's corner.
  if (!(GetWindowLongA(FHandle, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoA(MonitorFromWindow(FHandle, MONITOR_DEFAULTTONEAREST), &monitor))
      OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left,
                 monitor.rcWork.top - monitor.rcMonitor.top);
  }
  return rect;
}

int TForm::ClientWidth() const
{
  RECT rect{};
  if (FHandle)
    GetClientRect(FHandle, &rect);
  return rect.right;
}

int TForm::ClientHeight() const
{
  RECT rect{};
  if (FHandle)
    GetClientRect(FHandle, &rect);
  return rect.bottom;
}

void TForm::SetCaption(const char* Value)
{
  if (FHandle)
    SetWindowTextA(FHandle, Value ? Value : "");
}

std::string TForm::Caption() const
{
  return FHandle ? TextOf(FHandle) : std::string();
}

void TForm::Show()
{
  if (!FHandle)
    return;
  Realign();
  ShowWindow(FHandle, SW_SHOW);
  SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TForm::Hide()
{
  if (FHandle)
    ShowWindow(FHandle, SW_HIDE);
}

bool TForm::Visible() const
{
  return FHandle && (GetWindowLongA(FHandle, GWL_STYLE) & WS_VISIBLE);
}

int TForm::ShowModal()
{
  if (!FHandle || FModal)
    return 2;

  TWindowsToDisable others{FHandle, {}};
  EnumThreadWindows(GetCurrentThreadId(), &CollectEnabledWindow,
                    reinterpret_cast<LPARAM>(&others));
  FModal = true;
  FModalResult = 0;
  for (HWND window : others.Windows)
    EnableWindow(window, FALSE);
  Show();

  MSG msg;
  while (FModalResult == 0 && FHandle) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The thread is asked to end: leave it to the loop that owns the thread.
      PostQuitMessage(static_cast<int>(msg.wParam));
      FModalResult = 2;
      break;
    }
    if (got == -1) {
      FModalResult = 2;
      break;
    }
    if (!FHandle || !IsDialogMessageA(FHandle, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (FModalResult == 0)
    FModalResult = 2; // the window was destroyed

  // Enable the others while the form is still shown, so that hiding it
  // hands the activation back to one of them.
  FModal = false;
  for (HWND window : others.Windows)
    if (IsWindow(window))
      EnableWindow(window, TRUE);
  Hide();
  return FModalResult;
}

void TForm::SetModalResult(int Value)
{
  FModalResult = Value;
  // A result set inside GetMessage (a message sent from another thread, a
  // hook) would otherwise wait for the next posted message to be seen.
  if (FModal && FHandle && Value != 0)
    PostMessageA(FHandle, WM_NULL, 0, 0);
}

int TForm::ModalResult() const
{
  return FModalResult;
}

void TForm::Adopt(std::unique_ptr<TControl> Control)
{
  FControls.push_back(std::move(Control));
  ArrangeTabOrder();
  Realign();
}

void TForm::ArrangeTabOrder()
{
  // Tab stops by tab order (equal ones in the order added), then the rest in
  // the order added. Dialog navigation follows this z-order.
  std::vector<TControl*> order;
  order.reserve(FControls.size());
  for (auto& control : FControls)
    if (control->TabOrder() >= 0)
      order.push_back(control.get());
  std::stable_sort(order.begin(), order.end(), [](TControl* A, TControl* B) {
    return A->TabOrder() < B->TabOrder();
  });
  for (auto& control : FControls)
    if (control->TabOrder() < 0)
      order.push_back(control.get());

  HWND after = HWND_TOP;
  for (TControl* control : order) {
    SetWindowPos(control->Handle(), after, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    after = control->Handle();
  }
}

void TForm::Realign()
{
  // A minimised window has no client area to fill; the restore realigns.
  if (!FHandle || IsIconic(FHandle))
    return;
  RECT client{};
  GetClientRect(FHandle, &client);
  // Left-aligned controls stand side by side from the left edge, in the
  // order added.
  int left = 0;
  for (auto& control : FControls) {
    if (control->Align != alLeft)
      continue;
    int width = control->Width();
    SetWindowPos(control->Handle(), nullptr, left, 0, width, client.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    left += width;
  }
}
