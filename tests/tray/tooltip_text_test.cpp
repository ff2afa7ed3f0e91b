#include "tray/tooltip_text.h"

#include <gtest/gtest.h>

namespace volmaru::tray {
namespace {

TEST(TooltipTextTest, RowsUseABareCarriageReturnExceptAfterADeviceSwitch) {
  EXPECT_EQ(VolumeTooltip(50, "無変換", ""), "音量:50\rメインキー:[無変換]");
  EXPECT_EQ(MuteTooltip("Alt", ""), "ミュート\rメインキー:[Alt]");
  EXPECT_EQ(DeviceSwitchTooltip(7, "無変換", "HDMI"), "音量:7\r\nメインキー:[無変換]\r\n既定の再生デバイス:\r\n HDMI");
  EXPECT_EQ(VolumeTooltip(100, "変換", "スピーカー"),
            "音量:100\rメインキー:[変換]\r\n既定の再生デバイス:\r\n スピーカー");
}

TEST(TooltipTextTest, RenamingReplacesEveryOccurrenceWithoutCase) {
  const std::string tip = VolumeTooltip(5, "Alt", "alt");
  EXPECT_EQ(ReplaceAllIgnoreCase(tip, "ALT", "Speakers"),
            "音量:5\rメインキー:[Speakers]\r\n既定の再生デバイス:\r\n Speakers");
  EXPECT_EQ(ReplaceAllIgnoreCase("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAllIgnoreCase("aaaa", "aa", "b"), "bb");
}

}  // namespace
}  // namespace volmaru::tray
