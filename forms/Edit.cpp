#include "forms/Edit.h"

TEdit::TEdit(TForm& Owner, const TControlLayout& Layout)
  : TControl(Owner, Layout, "EDIT", ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE)
{
  // The default limit would stop typing at 32767 characters; 0 lifts it to
  // the largest the control allows.
  SendMessageA(Handle(), EM_SETLIMITTEXT, 0, 0);
}

std::string TEdit::Text() const
{
  return ReadText();
}

void TEdit::SetText(const std::string& Value)
{
  WriteText(Value.c_str());
}
