// Lead-byte predicates of the code pages the text rules are tested with.
#pragma once

// Shift-JIS (code page 932): 0x81-0x9F and 0xE0-0xFC start a two-byte
// character whose trail byte may be 0x40-0xFC, "\" (0x5C) included.
inline bool IsShiftJisLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// A single-byte code page such as 1252.
inline bool NeverLeadByte(unsigned char)
{
    return false;
}
