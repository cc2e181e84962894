// A top-level window with child controls, shown modeless or modal.
#pragma once

#include "forms/Control.h"
#include "forms/FontSpec.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct TFormLayout
{
  const char* ClassName;
  const char* Caption;
  int Left, Top; // screen coordinates of the outer window
  int Width, Height; // client size when ClientSized, else outer size
  bool ClientSized;
  DWORD Style; // WS_VISIBLE and WS_CHILD are ignored: a form starts hidden, top-level
  DWORD ExStyle;
  TFontSpec Font;
};

// The form's window class is registered, with the instance of the module
// this code is linked into, when a form of it is made, and unregistered when
// the last form of it is destroyed. Messages reach HandleMessage; during the
// constructor (WM_NCCREATE, WM_CREATE...) that is TForm's own.
class TForm
{
public:
  explicit TForm(const TFormLayout& Layout);
  virtual ~TForm();
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  // Null once the window was destroyed by someone else.
  HWND Handle() const;
  HFONT Font() const;

  // Outer window rect in screen coordinates, as GetWindowRect gives it (for
  // a minimised window, its minimised position).
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void SetLeft(int Value);
  void SetTop(int Value);
  void SetWidth(int Value);
  void SetHeight(int Value);
  bool Minimized() const;
  // The restored position and size in screen coordinates, also while
  // minimised or maximised.
  RECT NormalBounds() const;

  int ClientWidth() const;
  int ClientHeight() const;

  void SetCaption(const char* Value);
  std::string Caption() const;

  void Show();
  void Hide();
  bool Visible() const;

  // Called on WM_SIZE after the aligned controls are laid out again.
  std::function<void()> OnResize;

  // Disables the thread's other enabled top-level windows, shows the form and
  // dispatches the thread's messages until a modal result is set; then
  // enables those windows again, hides the form and returns the result.
  // 2 (cancel) when the form is closed, when WM_QUIT arrives (it is posted
  // again), when the window is destroyed, or when the form is already modal.
  // The form object itself must outlive the call.
  int ShowModal();
  void SetModalResult(int Value);
  int ModalResult() const;

  // Makes a control of type T (TMemo, TLabel, TEdit, TButton, TCheckBox) on
  // this form and gives it the form's font; the form owns it and destroys it
  // with itself. Controls are created in the order added.
  template <class T>
  T* AddControl(const TControlLayout& Layout)
  {
    std::unique_ptr<T> control(new T(*this, Layout));
    T* result = control.get();
    Adopt(std::move(control));
    return result;
  }

  // Lays out the aligned controls again; done on every WM_SIZE and on Show.
  void Realign();

protected:
  // Default: WM_CLOSE hides the form (modal: sets result 2), WM_SIZE
  // realigns and calls OnResize, WM_COMMAND goes to the control that sent
  // it; everything else to DefWindowProcA.
  virtual LRESULT HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam);

private:
  static LRESULT CALLBACK WindowProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
  void Adopt(std::unique_ptr<TControl> Control);
  void ArrangeTabOrder();

  std::string FClassName;
  HINSTANCE FInstance;
  TFont FFont;
  HWND FHandle;
  int FModalResult;
  bool FModal;
  std::vector<std::unique_ptr<TControl>> FControls;
};
