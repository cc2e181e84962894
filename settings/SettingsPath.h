// Where the settings file lies: beside the module, named after it, with the
// extension ".ini".
//
// Pure byte rules with no Windows header: built natively for the sanitizer
// and fuzz runs, and into the module by MinGW.
#pragma once

#include <cstddef>
#include <string>

// The longest path the platform's fixed path buffers hold, without the
// terminating zero.
constexpr size_t kMaxSettingsPathBytes = 259;

// Derives the settings file path from the module's full path: the file name
// starts after the last "\" or "/", and its extension (from its last ".") is
// replaced by ".ini", or ".ini" is appended when it has none. The
// path is walked a character at a time: a byte for which isLeadByte is true
// starts a two-byte character whose trail byte is never taken for a "\" or
// "." (a null isLeadByte means a single-byte code page).
//
// Returns false, with settingsPath cleared, for an empty module path, for a
// path whose file name is empty (it names a folder, not a module), and
// when the result would be longer than kMaxSettingsPathBytes.
bool DeriveSettingsPath(const std::string& modulePath, bool (*isLeadByte)(unsigned char),
                        std::string& settingsPath);
