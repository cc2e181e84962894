// Read-only multi-line text without word wrap, scroll bars or border.
#pragma once

#include "forms/Control.h"

#include <functional>
#include <string>

class TMemo : public TControl
{
public:
  ~TMemo() override;

  std::string Text() const;
  void SetText(const std::string& Value);
  void SelectAll();

  // Called on a double click, after the edit control's own handling of it
  // (which selects the word under the mouse).
  std::function<void()> OnDblClick;

private:
  friend class TForm;
  TMemo(TForm& Owner, const TControlLayout& Layout);
  static LRESULT CALLBACK SubclassProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);

  WNDPROC FEditProc;
};
