#include "tray/icon_layout.h"

#include <gtest/gtest.h>

namespace volmaru::tray {
namespace {

TEST(IconLayoutTest, FontAndOriginByNumberOfDigits) {
  EXPECT_EQ(LayoutForNumber(100), (IconTextLayout{11, 15, 0, 5}));
  EXPECT_EQ(LayoutForNumber(99), (IconTextLayout{14, 19, 5, 5}));
  EXPECT_EQ(LayoutForNumber(10), (IconTextLayout{14, 19, 5, 5}));
  EXPECT_EQ(LayoutForNumber(9), (IconTextLayout{14, 19, 10, 5}));
  EXPECT_EQ(LayoutForNumber(0), (IconTextLayout{14, 19, 10, 5}));
}

TEST(IconLayoutTest, ColoursFollowTheDefaultDeviceOnlyWhenAsked) {
  std::vector<TDefDeviceTrayIconData> profiles(1);
  profiles[0].DeviceName = "HDMI";
  profiles[0].TextColor = 0x0000FF;
  profiles[0].BackColor = 0x000000;
  const settings::IconColours global{0xFFFFFF, 0xFF0000};
  EXPECT_EQ(ChooseIconColours(false, profiles, "HDMI", global), global);
  EXPECT_EQ(ChooseIconColours(true, profiles, "HDMI", global), (settings::IconColours{0x0000FF, 0x000000}));
  EXPECT_EQ(ChooseIconColours(true, profiles, "hdmi", global), global);
  EXPECT_EQ(ChooseIconColours(true, {}, "HDMI", global), global);
}

TEST(IconLayoutTest, BasePicture) {
  EXPECT_EQ(ChooseBaseImage(true, false), BaseImage::kDeviceIcon);
  EXPECT_EQ(ChooseBaseImage(false, true), BaseImage::kSpeakerFile);
  EXPECT_EQ(ChooseBaseImage(false, false), BaseImage::kNone);
}

}  // namespace
}  // namespace volmaru::tray
