#include "forms/Memo.h"

TMemo::TMemo(TForm& Owner, const TControlLayout& Layout)
  : TControl(Owner, Layout, "EDIT",
             ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_LEFT, 0),
    FEditProc(nullptr)
{
  // Long texts (a whole mail header) must not be cut at the default limit.
  SendMessageA(Handle(), EM_SETLIMITTEXT, 0, 0);
  SetWindowLongPtrA(Handle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  FEditProc = reinterpret_cast<WNDPROC>(
    SetWindowLongPtrA(Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TMemo::SubclassProc)));
}

TMemo::~TMemo()
{
  // Give the edit control its own procedure back before its window goes.
  if (IsWindow(Handle()) &&
      GetWindowLongPtrA(Handle(), GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
    SetWindowLongPtrA(Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FEditProc));
    SetWindowLongPtrA(Handle(), GWLP_USERDATA, 0);
  }
}

LRESULT CALLBACK TMemo::SubclassProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam)
{
  auto* memo = reinterpret_cast<TMemo*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
  if (!memo)
    return DefWindowProcA(Window, Msg, WParam, LParam);
  WNDPROC editProc = memo->FEditProc;

  if (Msg == WM_NCDESTROY) {
    // The window goes before the memo (its form's window was destroyed by
    // someone else): unhook now, the memo finds no window to restore later.
    SetWindowLongPtrA(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc));
    SetWindowLongPtrA(Window, GWLP_USERDATA, 0);
    return CallWindowProcA(editProc, Window, Msg, WParam, LParam);
  }

  LRESULT result = CallWindowProcA(editProc, Window, Msg, WParam, LParam);

  if (Msg == WM_GETDLGCODE && LParam) {
    // A multi-line edit asks for every key, Tab included; read-only, it has
    // no use for Tab, which moves to the next control instead.
    const MSG* key = reinterpret_cast<const MSG*>(LParam);
    if (key->message == WM_KEYDOWN && key->wParam == VK_TAB)
      result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
  } else if (Msg == WM_LBUTTONDBLCLK) {
    // The memo may have gone during the edit's own handling.
    memo = reinterpret_cast<TMemo*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
    if (memo && memo->OnDblClick) {
      try {
        memo->OnDblClick();
      } catch (...) {
        // Nothing may unwind through the caller's stack.
      }
    }
  }
  return result;
}

std::string TMemo::Text() const
{
  return ReadText();
}

void TMemo::SetText(const std::string& Value)
{
  WriteText(Value.c_str());
}

void TMemo::SelectAll()
{
  SendMessageA(Handle(), EM_SETSEL, 0, -1);
}
