#include "forms/Button.h"

#include "forms/Form.h"

TButton::TButton(TForm& Owner, const TControlLayout& Layout)
  : TControl(Owner, Layout, "BUTTON", BS_PUSHBUTTON, 0)
{
}

void TButton::Command(int NotifyCode)
{
  if (NotifyCode == BN_CLICKED && ModalResult != 0)
    Owner().SetModalResult(ModalResult);
}
