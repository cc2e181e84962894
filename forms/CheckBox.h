// Two-state check box that toggles itself when clicked.
#pragma once

#include "forms/Control.h"

class TCheckBox : public TControl
{
public:
  bool Checked() const;
  void SetChecked(bool Value);

private:
  friend class TForm;
  TCheckBox(TForm& Owner, const TControlLayout& Layout);
};
