#include "tray/ico_file.h"

namespace volmaru::tray {
namespace {

void Put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
uint32_t Get16(const std::string& s, size_t at) {
  return static_cast<uint8_t>(s[at]) | static_cast<uint32_t>(static_cast<uint8_t>(s[at + 1])) << 8;
}
uint32_t Get32(const std::string& s, size_t at) { return Get16(s, at) | Get16(s, at + 2) << 16; }

}  // namespace

std::string EncodeIco24(const uint8_t* bgr, int width, int height) {
  const uint32_t xorStride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t andStride = ((static_cast<uint32_t>(width) + 31) / 32) * 4;
  const uint32_t xorSize = xorStride * static_cast<uint32_t>(height);
  const uint32_t andSize = andStride * static_cast<uint32_t>(height);
  const uint32_t imageSize = 40 + xorSize + andSize;
  std::string out;
  out.reserve(6 + 16 + imageSize);
  Put16(out, 0);  // reserved
  Put16(out, 1);  // icon
  Put16(out, 1);  // one image
  out += static_cast<char>(width >= 256 ? 0 : width);
  out += static_cast<char>(height >= 256 ? 0 : height);
  out += '\0';  // no palette
  out += '\0';
  Put16(out, 1);   // planes
  Put16(out, 24);  // bits per pixel
  Put32(out, imageSize);
  Put32(out, 6 + 16);
  // BITMAPINFOHEADER: the height counts the colour image and the mask.
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height) * 2);
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);  // BI_RGB
  Put32(out, xorSize + andSize);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  out.append(reinterpret_cast<const char*>(bgr), xorSize);
  out.append(andSize, '\0');  // every pixel opaque
  return out;
}

IcoInfo InspectIco(const std::string& b) {
  IcoInfo info;
  if (b.size() < 6 + 16 + 40 || Get16(b, 0) != 0 || Get16(b, 2) != 1 || Get16(b, 4) < 1) return info;
  const uint32_t size = Get32(b, 6 + 8);
  const uint32_t offset = Get32(b, 6 + 12);
  if (offset + size > b.size() || size < 40 || Get32(b, offset) != 40) return info;
  info.width = static_cast<int>(Get32(b, offset + 4));
  info.height = static_cast<int>(Get32(b, offset + 8)) / 2;
  info.bitCount = static_cast<int>(Get16(b, offset + 14));
  const int dirW = static_cast<uint8_t>(b[6]) == 0 ? 256 : static_cast<uint8_t>(b[6]);
  const int dirH = static_cast<uint8_t>(b[7]) == 0 ? 256 : static_cast<uint8_t>(b[7]);
  info.valid = dirW == info.width && dirH == info.height;
  return info;
}

}  // namespace volmaru::tray
