#include "forms/FontSpec.h"

TFont::TFont(const TFontSpec& Wanted)
  : FHandle(CreateFontA(Wanted.Height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                        Wanted.CharSet, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                        Wanted.Name ? Wanted.Name : "")),
    FOwned(FHandle != nullptr)
{
  if (!FHandle)
    FHandle = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

TFont::~TFont()
{
  if (FOwned)
    DeleteObject(FHandle);
}

HFONT TFont::Handle() const
{
  return FHandle;
}
