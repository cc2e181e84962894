// Single-line text entry with a sunken border.
#pragma once

#include "forms/Control.h"

#include <string>

class TEdit : public TControl
{
public:
  std::string Text() const;
  void SetText(const std::string& Value);

private:
  friend class TForm;
  TEdit(TForm& Owner, const TControlLayout& Layout);
};
