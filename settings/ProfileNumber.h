// Integer and flag values of the settings file, as text.
//
// Pure byte rules with no Windows header: built natively for the sanitizer
// and fuzz runs, and into the module by MinGW.
#pragma once

#include <cstdint>
#include <string>

// Reads a stored integer. Accepted forms: decimal digits with an optional
// "+" or "-" sign inside the signed 32-bit range, or "0x"/"0X" followed by
// 1 to 8 hexadecimal digits taken as a 32-bit pattern ("0xFFFFFFFF" is -1).
// Anything else - empty text, a lone sign, spaces, trailing letters, a value
// out of range - yields defaultValue.
int32_t ReadProfileInteger(const std::string& stored, int32_t defaultValue);

// A stored flag: any integer other than 0 is true; unreadable text yields
// defaultValue.
bool ReadProfileBool(const std::string& stored, bool defaultValue);

// The decimal text that ReadProfileInteger reads back as value.
std::string ProfileIntegerText(int32_t value);

// "1" or "0".
const char* ProfileBoolText(bool value);
