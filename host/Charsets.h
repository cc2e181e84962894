// Charset names of mail headers and the code pages that decode them; the
// ISO-2022-JP escape sequences turned into EUC-JP for systems that lack the
// ISO-2022-JP code pages.
//
// Pure byte rules with no Windows header.
#pragma once

#include <string>

// Windows code page numbers the host decodes header text with.
constexpr unsigned CodePageIso2022Jp = 50220;
constexpr unsigned CodePageEucJp = 20932;

// The code page for a MIME charset name (ASCII case ignored), or 0 for a name
// the host does not know.
unsigned CodePageForCharset(const std::string& charset);

// Rewrites ISO-2022-JP text (ASCII, JIS X 0201 Roman and Katakana, JIS X 0208
// and JIS X 0212 switched by escape sequences, Katakana also by SO/SI) as the
// same characters in EUC-JP. Returns false, with out unspecified, for bytes
// that ISO-2022-JP does not allow: an unknown escape sequence, an 8-bit byte,
// or a two-byte character cut in half.
bool Iso2022JpToEucJp(const std::string& in, std::string& out);
