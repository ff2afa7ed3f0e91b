#include "tray/ico_file.h"

#include <gtest/gtest.h>

#include <vector>

namespace volmaru::tray {
namespace {

TEST(IcoFileTest, OneOpaque24BitImageOf32x32) {
  std::vector<uint8_t> pixels(32 * 32 * 3, 0x7F);
  const std::string ico = EncodeIco24(pixels.data(), 32, 32);
  EXPECT_EQ(ico.size(), 6u + 16 + 40 + 32 * 32 * 3 + 32 * 4);
  const IcoInfo info = InspectIco(ico);
  EXPECT_TRUE(info.valid);
  EXPECT_EQ(info.width, 32);
  EXPECT_EQ(info.height, 32);
  EXPECT_EQ(info.bitCount, 24);
  // The mask, last in the file, is all zero: nothing is transparent.
  EXPECT_EQ(ico.substr(ico.size() - 128), std::string(128, '\0'));
}

TEST(IcoFileTest, RowsArePaddedToFourBytes) {
  std::vector<uint8_t> pixels(8 * 5, 1);  // width 5: 15 bytes padded to 16
  const std::string ico = EncodeIco24(pixels.data(), 5, 5);
  EXPECT_EQ(ico.size(), 6u + 16 + 40 + 16 * 5 + 4 * 5);
  EXPECT_FALSE(InspectIco(ico.substr(0, 30)).valid);
  EXPECT_FALSE(InspectIco("garbage").valid);
}

}  // namespace
}  // namespace volmaru::tray
