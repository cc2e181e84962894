// A picture of the whole screen as a 24-bit BMP file, or as a PNG file when
// the name ends in ".png".
#pragma once

#include <string>

// Captures the screen with BitBlt and writes it to path. False, with a reason
// in error, when the screen cannot be read or the file cannot be written.
bool SaveScreenBitmap(const std::string& path, std::string& error);
