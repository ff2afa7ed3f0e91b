// The device sections of the settings file read from whatever the file
// holds: a count that is wrong, negative or huge, names that are long or not
// code page 932 text.
#include <gtest/gtest.h>

#include "common/text.h"
#include "settings/settings_store.h"
#include "tests/settings/fake_files.h"

namespace volmaru::settings {
namespace {

using testing::FakeFiles;

constexpr const char* kPath = "/docs/Settei.ini";

struct Rig {
  FakeFiles fs;
  ProfileFile file{fs, kPath};
  SettingsStore store{file, JapaneseDateTimeFormat()};
  std::vector<TDefDeviceTrayIconData> Read(const std::string& cp932) {
    fs.files[kPath] = cp932;
    fs.reads = 0;
    return store.ReadDeviceProfiles(IconColours{});
  }
  static std::vector<std::string> Names(const std::vector<TDefDeviceTrayIconData>& p) {
    std::vector<std::string> n;
    for (const auto& r : p) n.push_back(r.DeviceName);
    return n;
  }
};

std::string Sections(int from, int to) {
  std::string s;
  for (int i = from; i < to; ++i) {
    s += "[DeviceIconData" + std::to_string(i) + "]\r\nDeviceName=D" + std::to_string(i) + "\r\n";
  }
  return s;
}

TEST(DeviceSectionsTest, TheCountReadsOnlySectionsBelowIt) {
  Rig r;
  EXPECT_EQ(Rig::Names(r.Read("[Icon]\r\nDeviceIconDataCount=2\r\n" + Sections(0, 5))),
            (std::vector<std::string>{"D0", "D1"}));
  EXPECT_TRUE(r.fs.files[kPath].find("[DeviceIconData4]") != std::string::npos) << "reading removes nothing";
}

TEST(DeviceSectionsTest, ACountBeyondTheSectionsOrNegativeOrHugeReadsWhatIsThere) {
  Rig r;
  EXPECT_EQ(Rig::Names(r.Read("[Icon]\r\nDeviceIconDataCount=7\r\n" + Sections(0, 3))),
            (std::vector<std::string>{"D0", "D1", "D2"}));
  EXPECT_TRUE(r.Read("[Icon]\r\nDeviceIconDataCount=-3\r\n" + Sections(0, 3)).empty());
  EXPECT_TRUE(r.Read("[Icon]\r\nDeviceIconDataCount=-2147483648\r\n" + Sections(0, 3)).empty());
  const auto huge = r.Read("[Icon]\r\nDeviceIconDataCount=2147483647\r\n" + Sections(0, 3) +
                           "[DeviceIconData2000000000]\r\nDeviceName=Far\r\n");
  EXPECT_EQ(Rig::Names(huge), (std::vector<std::string>{"D0", "D1", "D2", "Far"}));
  EXPECT_LT(r.fs.reads, 60) << "the cost follows the sections in the file, not the count";
}

TEST(DeviceSectionsTest, SectionNamesMatchLikeTheProfileFunctions) {
  Rig r;
  const auto p = r.Read(
      "[Icon]\r\nDeviceIconDataCount=3\r\n"
      "[DeviceIconData]\r\nDeviceName=no index\r\n"
      "[DeviceIconDataX1]\r\nDeviceName=letter\r\n"
      "[deviceicondata0]\r\nDeviceName=lower\r\n"
      "[DeviceIconData01]\r\nDeviceName=leading zero\r\n"
      "[DeviceIconData+1]\r\nDeviceName=sign\r\n"
      "[DeviceIconData2]\r\nDeviceName=two\r\n"
      "[DeviceIconData2]\r\nDeviceName=second copy\r\n");
  EXPECT_EQ(Rig::Names(p), (std::vector<std::string>{"lower", "two"}));
  EXPECT_TRUE(r.Read("[Icon]\r\nDeviceIconDataCount=1\r\n[DeviceIconData]\r\nDeviceName=no index\r\n").empty());
}

TEST(DeviceSectionsTest, LongNamesAndBytesThatAreNoCodePage932TextReadAsText) {
  Rig r;
  const std::string longName(1000, 'x');
  const std::string bad = "\x81\x20\xFF\xA0\x82";  // a lead byte before a space, undefined bytes, a lone lead byte
  const auto p = r.Read("[Icon]\r\nDeviceIconDataCount=2\r\n[DeviceIconData0]\r\nDeviceName=" + longName +
                        "\r\n[DeviceIconData1]\r\nDeviceName=" + bad + "\r\nNormalVolume=\x82\xA0\r\n");
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0].DeviceName, longName);
  EXPECT_FALSE(p[1].DeviceName.empty());
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(p[1].DeviceName)), p[1].DeviceName) << "valid UTF-8 inside";
  EXPECT_EQ(p[1].NormalVolume, 50) << "text where a number belongs gives the default";
}

// A hand-edited -1 is no colour to draw with: it is unset, like a missing
// key, and takes the global number or background colour, or the meter's
// green.
TEST(DeviceSectionsTest, AColourOfMinusOneIsUnset) {
  Rig r;
  r.fs.files[kPath] =
      "[Icon]\r\nDeviceIconDataCount=2\r\n"
      "[DeviceIconData0]\r\nDeviceName=A\r\nTextColor=-1\r\nBackColor=-1\r\nVolumeBarColor=-1\r\n"
      "[DeviceIconData1]\r\nDeviceName=B\r\nTextColor=255\r\nBackColor=0\r\nVolumeBarColor=16777215\r\n";
  const auto p = r.store.ReadDeviceProfiles(IconColours{0x123456, 0x654321});
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0].TextColor, 0x123456u);
  EXPECT_EQ(p[0].BackColor, 0x654321u);
  EXPECT_EQ(p[0].VolumeBarColor, 65280u);
  EXPECT_EQ(p[1].TextColor, 255u);
  EXPECT_EQ(p[1].BackColor, 0u) << "black is a colour";
  EXPECT_EQ(p[1].VolumeBarColor, 0xFFFFFFu);
}

}  // namespace
}  // namespace volmaru::settings
