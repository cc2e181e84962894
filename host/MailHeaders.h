// Reading header fields out of a raw mail: the byte rules of the stand-in
// host's mail reader.
//
// Pure byte rules with no Windows header: built natively for the sanitizer
// and fuzz runs, and into the host by MinGW.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// The header block of a mail: everything before the first empty line (a line
// break followed by CRLF or LF; CRLF and LF may be mixed), including the line
// break that ends the last field. A mail that starts with an empty line has
// an empty header block; a mail without an empty line is all header block.
std::string HeaderBlock(const std::string& mail);

// Finds the first field called name (ASCII case ignored) and stores its value
// in rawValue: folded lines unfolded (the line break before a line that
// starts with a space or tab is removed, the white space kept), the text after
// the colon with leading white space and trailing white space and CR removed.
// Lines without a colon are skipped; an empty line ends the search, so a
// whole mail may be passed as well. Returns false, with rawValue cleared, when
// there is no such field or name is empty.
bool FindHeader(const std::string& headerBlock, const std::string& name, std::string& rawValue);

// Turns charset-specific bytes into the system's 8-bit text; returns false
// when it cannot.
using HeaderCharsetConverter =
    std::function<bool(const std::string& charset, const std::string& bytes, std::string& out)>;

// Decodes the MIME encoded words ("=?charset?B?...?=" and "=?charset?Q?...?=",
// letter in any case, a "*language" suffix of the charset dropped) of a header
// value. The decoded bytes go through convert; white space between two
// adjacent encoded words is dropped. Adjacent encoded words of the same
// charset are converted together, so a character that a sender split across
// two words comes out whole; should that fail, each word is converted on its
// own. A word that cannot be decoded or converted stays as its raw text, and
// so does the white space next to it; other text is copied as it is.
std::string DecodeEncodedWords(const std::string& value, const HeaderCharsetConverter& convert);

// How many leading bytes of value fit into a buffer of bufferSize bytes
// together with a terminating zero, without splitting a two-byte character
// (a byte for which isLeadByte is true starts one; a null isLeadByte means a
// single-byte code page). A lead byte whose trail byte is cut off, missing or
// zero is left out. bufferSize 0 gives 0.
size_t FitHeaderValue(const std::string& value, size_t bufferSize, bool (*isLeadByte)(unsigned char));
