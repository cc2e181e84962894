// Base of the child controls of a TForm.
#pragma once

#include <windows.h>

#include <string>

class TForm;

enum TAlign { alNone, alLeft };

// Creation arguments of a control. Left/Top are in the form's client area.
struct TControlLayout
{
  int Id; // control id: GetDlgItem(form, Id) finds it
  const char* Text;
  int Left, Top, Width, Height;
  int TabOrder; // -1: not a tab stop
};

// A child window of a form. Controls are made and owned by their form
// (TForm::AddControl) and destroyed with it.
class TControl
{
public:
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  HWND Handle() const;
  int TabOrder() const;

  // Bounds relative to the form's client area.
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void SetWidth(int Value);
  void SetHeight(int Value);
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);

  // alLeft: the form keeps the control at its client's left edge, full
  // client height, own width unchanged; several stand side by side in the
  // order added.
  TAlign Align = alNone;

protected:
  // Creates the child window and gives it the form's font. Style gets
  // WS_CHILD | WS_VISIBLE, and WS_TABSTOP when the layout has a tab order.
  TControl(TForm& Owner, const TControlLayout& Layout, const char* ClassName,
           DWORD Style, DWORD ExStyle);

  TForm& Owner() const;
  // The window text, bytes in the system code page.
  std::string ReadText() const;
  void WriteText(const char* Value);

  // A WM_COMMAND notification (BN_CLICKED, EN_CHANGE...) from this control.
  virtual void Command(int NotifyCode);

private:
  friend class TForm;

  TForm& FOwner;
  HWND FHandle;
  int FTabOrder;
  RECT Bounds() const;
};
