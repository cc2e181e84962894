// Push button; a click with a non-zero ModalResult ends the form's modal loop.
#pragma once

#include "forms/Control.h"

class TButton : public TControl
{
public:
  // When non-zero, a click sets the form's modal result to it.
  int ModalResult = 0;

private:
  friend class TForm;
  TButton(TForm& Owner, const TControlLayout& Layout);
  void Command(int NotifyCode) override;
};
