// The .ico file format for one 24-bit image with an all-opaque mask, as
// "Volume.ico" is written.
#pragma once

#include <cstdint>
#include <string>

namespace volmaru::tray {

// `bgrBottomUp`: rows of 3-byte BGR pixels from the bottom row up, each row
// padded to a multiple of 4 bytes (the layout of a 24-bit DIB).
std::string EncodeIco24(const uint8_t* bgrBottomUp, int width, int height);

struct IcoInfo {
  int width = 0, height = 0, bitCount = 0;
  bool valid = false;
};
// Reads back the directory and image header of a one-image .ico file.
IcoInfo InspectIco(const std::string& bytes);

}  // namespace volmaru::tray
