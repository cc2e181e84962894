#include "forms/CheckBox.h"

TCheckBox::TCheckBox(TForm& Owner, const TControlLayout& Layout)
  : TControl(Owner, Layout, "BUTTON", BS_AUTOCHECKBOX, 0)
{
}

bool TCheckBox::Checked() const
{
  return SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool Value)
{
  SendMessageA(Handle(), BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
}
