#include "forms/Control.h"

#include "forms/Form.h"

#include <stdexcept>
#include <string>

TControl::TControl(TForm& Owner, const TControlLayout& Layout,
                   const char* ClassName, DWORD Style, DWORD ExStyle)
  : FOwner(Owner), FHandle(nullptr), FTabOrder(Layout.TabOrder < 0 ? -1 : Layout.TabOrder)
{
  Style |= WS_CHILD | WS_VISIBLE;
  if (FTabOrder >= 0)
    Style |= WS_TABSTOP;
  else
    Style &= ~static_cast<DWORD>(WS_TABSTOP);
  // Child windows of system classes take the instance only to tell apart
  // classes of the same name; the form's own module is the right one.
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(
    GetWindowLongPtrA(Owner.Handle(), GWLP_HINSTANCE));
  FHandle = CreateWindowExA(ExStyle, ClassName, Layout.Text ? Layout.Text : "", Style,
                            Layout.Left, Layout.Top, Layout.Width, Layout.Height,
                            Owner.Handle(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(Layout.Id)),
                            instance, nullptr);
  if (!FHandle)
    throw std::runtime_error(std::string("cannot create a control of class ") + ClassName);
  SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Owner.Font()), FALSE);
}

TControl::~TControl()
{
  // The form's window takes its children with it; a control destroyed while
  // the form is still there removes its own window.
  if (FHandle && IsWindow(FHandle) && GetParent(FHandle) == FOwner.Handle())
    DestroyWindow(FHandle);
}

HWND TControl::Handle() const
{
  return FHandle;
}

int TControl::TabOrder() const
{
  return FTabOrder;
}

RECT TControl::Bounds() const
{
  RECT rect{};
  if (GetWindowRect(FHandle, &rect))
    MapWindowPoints(nullptr, GetParent(FHandle), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int TControl::Left() const
{
  return Bounds().left;
}

int TControl::Top() const
{
  return Bounds().top;
}

int TControl::Width() const
{
  RECT rect = Bounds();
  return rect.right - rect.left;
}

int TControl::Height() const
{
  RECT rect = Bounds();
  return rect.bottom - rect.top;
}

void TControl::SetWidth(int Value)
{
  SetWindowPos(FHandle, nullptr, 0, 0, Value, Height(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TControl::SetHeight(int Value)
{
  SetWindowPos(FHandle, nullptr, 0, 0, Width(), Value,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
  SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

TForm& TControl::Owner() const
{
  return FOwner;
}

std::string TControl::ReadText() const
{
  // The length may be larger than the text for multibyte text, never smaller.
  int length = GetWindowTextLengthA(FHandle);
  if (length <= 0)
    return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int copied = GetWindowTextA(FHandle, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

void TControl::WriteText(const char* Value)
{
  SetWindowTextA(FHandle, Value ? Value : "");
}

void TControl::Command(int)
{
}
