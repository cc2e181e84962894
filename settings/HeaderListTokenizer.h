// The list of header names the user types in the setup dialog, separated by
// commas, and the comparison of header names.
//
// Pure byte rules with no Windows header: built natively for the sanitizer
// and fuzz runs, and into the module by MinGW.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The longest header name kept from the list, in bytes.
constexpr size_t kMaxHeaderNameBytes = 511;

// Splits the dialog text into header names. A comma or a zero byte ends a
// name; white space (tab, LF, VT, FF, CR, space) is dropped wherever it
// stands, even inside a name; a name longer than kMaxHeaderNameBytes keeps
// its first kMaxHeaderNameBytes bytes. Empty names are left out. Every other
// byte, 0x80-0xFF included, is kept as it is.
std::vector<std::string> SplitHeaderList(const std::string& text);

// True when a and b are the same header name: byte for byte, with only the
// ASCII letters a-z and A-Z taken as equal.
bool SameHeaderName(const std::string& a, const std::string& b);

// True for the name of the module's own section in the settings file,
// "Quorvel" in any ASCII case.
bool IsSettingsSectionName(const std::string& name);
