// Single-line static text that takes the size of its caption.
#pragma once

#include "forms/Control.h"

#include <string>

class TLabel : public TControl
{
public:
  // Sets the caption and resizes the label to the caption's extent in the
  // form's font; the position stays.
  void SetCaption(const char* Value);
  std::string Caption() const;

private:
  friend class TForm;
  TLabel(TForm& Owner, const TControlLayout& Layout);
  void AutoSize();
};
