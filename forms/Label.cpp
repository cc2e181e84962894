#include "forms/Label.h"

TLabel::TLabel(TForm& Owner, const TControlLayout& Layout)
  // One line, never wrapped, and no prefix: an '&' in the caption is shown,
  // and measured, as itself.
  : TControl(Owner, Layout, "STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0)
{
  AutoSize();
}

void TLabel::SetCaption(const char* Value)
{
  WriteText(Value);
  AutoSize();
}

std::string TLabel::Caption() const
{
  return ReadText();
}

void TLabel::AutoSize()
{
  std::string text = ReadText();
  HDC dc = GetDC(Handle());
  if (!dc)
    return;
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(Handle(), WM_GETFONT, 0, 0));
  HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
  SIZE size{};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  if (text.empty()) {
    // Keep one line's height, so an empty label still has its place.
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    size.cy = metrics.tmHeight;
  }
  if (previous)
    SelectObject(dc, previous);
  ReleaseDC(Handle(), dc);
  SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
