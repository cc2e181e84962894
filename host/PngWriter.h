// Encodes an RGB picture as a PNG file's bytes. Screenshots of windows are
// mostly runs of flat colour, so a small encoder that only finds repeats of
// the previous pixel and of the row above compresses them well.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rgb: height rows of width pixels, 3 bytes each (red, green, blue), top row first.
std::string EncodePng(const std::vector<uint8_t>& rgb, uint32_t width, uint32_t height);
