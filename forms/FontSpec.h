// Font of a form: what to ask for, and the owner of the font made from it.
#pragma once

#include <windows.h>

// The font a form and its controls use. Name is a face name in the system
// code page (for a Japanese face, its Shift-JIS bytes); whatever face the
// system substitutes for it is accepted.
struct TFontSpec
{
  const char* Name;
  int Height; // logical units, negative for a character height
  unsigned char CharSet;
};

// Owns the HFONT made from a TFontSpec and deletes it with itself. When the
// font cannot be made, Handle() gives the stock GUI font instead, which is
// never deleted.
class TFont
{
public:
  explicit TFont(const TFontSpec& Wanted);
  ~TFont();
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  HFONT Handle() const;

private:
  HFONT FHandle;
  bool FOwned;
};
