#include "settings/window/settei_rules.h"

#include <gtest/gtest.h>

#include <map>

namespace volmaru::settings {
namespace {

// --- digit fields ---------------------------------------------------------------

TEST(SetteiFieldsTest, StepAcceptsOneToHundredOnly) {
  EXPECT_EQ(ValidStep("1"), 1);
  EXPECT_EQ(ValidStep("100"), 100);
  EXPECT_EQ(ValidStep("5"), 5);
  for (const char* refused : {"0", "101", "", " ", "-1", "abc", "5a", "１０", "1.5", "99999999999999"}) {
    EXPECT_FALSE(ValidStep(refused)) << '"' << refused << '"';
  }
}

TEST(SetteiFieldsTest, ShowTimeAcceptsOneToThirtyOnly) {
  EXPECT_EQ(ValidShowTime("1"), 1);
  EXPECT_EQ(ValidShowTime("30"), 30);
  for (const char* refused : {"0", "31", "", "x", "-5"}) EXPECT_FALSE(ValidShowTime(refused)) << refused;
}

TEST(SetteiFieldsTest, FieldsAreReadAsPlainDecimalNumbers) {
  EXPECT_EQ(ParseFieldInteger(" 7 "), 7) << "pasted spaces around a number do not matter";
  EXPECT_EQ(ParseFieldInteger("007"), 7);
  EXPECT_EQ(ParseFieldInteger("+12"), 12);
  EXPECT_EQ(ParseFieldInteger("-12"), -12);
  EXPECT_EQ(ParseFieldInteger("2147483647"), 2147483647);
  EXPECT_FALSE(ParseFieldInteger("2147483648"));
  EXPECT_FALSE(ParseFieldInteger("0x10")) << "no hexadecimal in a digit field";
  EXPECT_FALSE(ParseFieldInteger("-"));
  EXPECT_FALSE(ParseFieldInteger("1 2"));
}

TEST(SetteiFieldsTest, EachOfTheSixKeyPairsIsRefusedWhenEqual) {
  EXPECT_FALSE(SameKeyInPairs({29, 39, 37, 40}));
  // main/up, main/down, main/mute, up/down, up/mute, down/mute
  const std::array<std::pair<int, int>, 6> pairs = {{{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}}};
  for (const auto& [a, b] : pairs) {
    std::array<int, 4> codes = {29, 39, 37, 40};
    codes[static_cast<size_t>(b)] = codes[static_cast<size_t>(a)];
    EXPECT_TRUE(SameKeyInPairs(codes)) << a << "/" << b;
  }
  EXPECT_TRUE(SameKeyInPairs({39, 39, 37, 40})) << "main key and volume up both 39";
}

TEST(SetteiFieldsTest, SliderHintsAreSecondsInTheShortestForm) {
  EXPECT_EQ(SecondsHint(500), "0.5秒");
  EXPECT_EQ(SecondsHint(0), "0秒");
  EXPECT_EQ(SecondsHint(2000), "2秒");
  EXPECT_EQ(SecondsHint(10), "0.01秒");
  EXPECT_EQ(SecondsHint(1230), "1.23秒");
  EXPECT_EQ(SecondsHint(1005), "1.005秒");
  EXPECT_EQ(SecondsHint(1000), "1秒");
}

TEST(SetteiTextsTest, PagesInTheirOrder) {
  EXPECT_EQ(kPageCaptions[static_cast<size_t>(SetteiPage::kMeter)], "音量メーター");
  EXPECT_EQ(kPageCaptions[static_cast<size_t>(SetteiPage::kIcon)], "音量アイコン");
  EXPECT_EQ(kPageCaptions[static_cast<size_t>(SetteiPage::kOperation)], "音量変更操作");
  EXPECT_EQ(kPageCaptions[static_cast<size_t>(SetteiPage::kSchedule)], "変更スケジュール");
  EXPECT_EQ(kPageCaptions[static_cast<size_t>(SetteiPage::kMenu)], "メニューの編集");
}

// --- dependent states -------------------------------------------------------------

TEST(DependentStatesTest, MeterByDeviceSwitchOnlyOnTheEndpointPathWithTheMetersOwnColour) {
  EXPECT_TRUE(MeterByDeviceUsableOnLoad(true, 0));
  EXPECT_FALSE(MeterByDeviceUsableOnLoad(false, 0));
  EXPECT_FALSE(MeterByDeviceUsableOnLoad(true, 1));
  EXPECT_FALSE(MeterByDeviceUsableOnLoad(true, 2));
}

TEST(DependentStatesTest, TheMeterColourControls) {
  PageSwitches s;
  s.useEndpoint = true;
  s.meterByDeviceUsable = true;
  DependentStates d = ComputeDependentStates(s);
  EXPECT_TRUE(d.meterByDeviceEnabled);
  EXPECT_FALSE(d.meterDevicePanelEnabled) << "the device panel needs the switch on";
  EXPECT_TRUE(d.meterPickerEnabled);

  s.meterByDevice = true;
  d = ComputeDependentStates(s);
  EXPECT_TRUE(d.meterDevicePanelEnabled);
  EXPECT_FALSE(d.meterPickerEnabled) << "the device gives the colour";

  s.meterByDeviceUsable = false;  // mixer path, or another colour source
  d = ComputeDependentStates(s);
  EXPECT_FALSE(d.meterByDeviceEnabled);
  EXPECT_FALSE(d.meterDevicePanelEnabled);

  s = {};
  s.colorSource = 1;
  d = ComputeDependentStates(s);
  EXPECT_FALSE(d.meterPickerEnabled) << "the icon colour is the meter colour";
  s.colorSource = 2;
  EXPECT_FALSE(ComputeDependentStates(s).meterPickerEnabled);
}

TEST(DependentStatesTest, EachSwitchAndWhatFollowsIt) {
  const DependentStates none = ComputeDependentStates({});
  EXPECT_TRUE(none.showTimeEnabled);
  EXPECT_FALSE(none.iconDevicePanelEnabled);
  EXPECT_TRUE(none.iconGlobalGroupEnabled);
  EXPECT_TRUE(none.wheelBoxEnabled);
  EXPECT_TRUE(none.keyboardGroupVisible);

  PageSwitches s;
  s.allwaysShow = true;
  EXPECT_FALSE(ComputeDependentStates(s).showTimeEnabled);
  s = {};
  s.iconByDevice = true;
  EXPECT_TRUE(ComputeDependentStates(s).iconDevicePanelEnabled);
  EXPECT_FALSE(ComputeDependentStates(s).iconGlobalGroupEnabled);
  s = {};
  s.noChangeByMouse = true;
  EXPECT_FALSE(ComputeDependentStates(s).wheelBoxEnabled);
  EXPECT_TRUE(ComputeDependentStates(s).keyboardGroupVisible);
  s = {};
  s.noChangeByKey = true;
  EXPECT_FALSE(ComputeDependentStates(s).keyboardGroupVisible);
  EXPECT_TRUE(ComputeDependentStates(s).wheelBoxEnabled);
}

TEST(DependentStatesTest, EnabledPanelsAreWhiteDisabledOnesGrey) {
  EXPECT_EQ(PanelBackground(true), 0xFFFFFFu);
  EXPECT_EQ(PanelBackground(false), 8421504u);
}

std::vector<TDefDeviceTrayIconData> TwoProfiles() {
  TDefDeviceTrayIconData a;
  a.DeviceName = "Speakers";
  a.TextColor = 0x000011;
  a.BackColor = 0x000022;
  a.VolumeBarColor = 0x000033;
  TDefDeviceTrayIconData b;
  b.DeviceName = "HDMI";
  b.TextColor = 0x110000;
  b.BackColor = 0x220000;
  b.VolumeBarColor = 0x330000;
  return {a, b};
}

TEST(ColourSourceTest, OwnColourLetsTheDeviceSwitchBeUsedWithADeviceSelected) {
  ColourSourceInputs in;
  in.colorSource = 0;
  in.useEndpoint = true;
  in.iconDeviceSelected = true;
  in.meterByDevice = true;
  in.pickerColour = 0x123456;
  ColourSourceOutcome out = OnColourSourceChanged(in);
  EXPECT_TRUE(out.meterByDeviceUsable);
  EXPECT_TRUE(out.meterByDevice) << "the switch keeps its state";
  EXPECT_EQ(out.pickerColour, 0x123456u);

  in.iconDeviceSelected = false;
  out = OnColourSourceChanged(in);
  EXPECT_FALSE(out.meterByDeviceUsable);
  EXPECT_FALSE(out.meterByDevice) << "without a device the switch is turned off";

  in.iconDeviceSelected = true;
  in.useEndpoint = false;
  EXPECT_FALSE(OnColourSourceChanged(in).meterByDeviceUsable);
}

TEST(ColourSourceTest, IconColourSourcesShowTheIconColourInThePicker) {
  const auto profiles = TwoProfiles();
  ColourSourceInputs in;
  in.useEndpoint = true;
  in.iconDeviceSelected = true;
  in.meterByDevice = true;
  in.pickerColour = 0x123456;
  in.iconText = 0xAAAAAA;
  in.iconBack = 0xBBBBBB;
  in.profiles = &profiles;
  in.defaultDeviceName = "HDMI";

  in.colorSource = 1;
  ColourSourceOutcome out = OnColourSourceChanged(in);
  EXPECT_FALSE(out.meterByDevice);
  EXPECT_FALSE(out.meterByDeviceUsable);
  EXPECT_EQ(out.pickerColour, 0xAAAAAAu) << "the global number colour";
  in.colorSource = 2;
  EXPECT_EQ(OnColourSourceChanged(in).pickerColour, 0xBBBBBBu);

  in.iconByDevice = true;
  in.colorSource = 1;
  EXPECT_EQ(OnColourSourceChanged(in).pickerColour, 0x110000u) << "the default device's number colour";
  in.colorSource = 2;
  EXPECT_EQ(OnColourSourceChanged(in).pickerColour, 0x220000u);
  in.defaultDeviceName = "Speakers";
  EXPECT_EQ(OnColourSourceChanged(in).pickerColour, 0x000022u) << "the first profile is found too";
  in.defaultDeviceName = "USB";
  EXPECT_EQ(OnColourSourceChanged(in).pickerColour, 0xBBBBBBu) << "no profile: the global colour";
}

TEST(ColourSourceTest, ProfilesAreFoundByExactName) {
  const auto profiles = TwoProfiles();
  EXPECT_EQ(ProfileIndexByName(profiles, "Speakers"), 0);
  EXPECT_EQ(ProfileIndexByName(profiles, "HDMI"), 1);
  EXPECT_EQ(ProfileIndexByName(profiles, "hdmi"), -1) << "names are compared case-sensitively";
  EXPECT_EQ(ProfileIndexByName({}, "HDMI"), -1);
}

// --- the meter colour saved by OK ----------------------------------------------------

class SavedMeterColourTest : public ::testing::Test {
 protected:
  std::vector<TDefDeviceTrayIconData> profiles = TwoProfiles();
  SavedMeterColourInputs in;
  void SetUp() override {
    in.pickerColour = 0x0000AA;
    in.iconText = 0xAAAAAA;
    in.iconBack = 0xBBBBBB;
    in.profiles = &profiles;
    in.defaultDeviceName = "HDMI";
    in.previous = 0x777777;
  }
};

TEST_F(SavedMeterColourTest, OwnColourIsThePickerUnlessTheDeviceGivesOne) {
  in.colorSource = 0;
  EXPECT_EQ(SavedMeterColour(in), 0x0000AAu);
  in.meterByDevice = true;
  EXPECT_EQ(SavedMeterColour(in), 0x330000u);
  in.defaultDeviceName = "USB";
  EXPECT_EQ(SavedMeterColour(in), 0x0000AAu) << "no profile for the default device: the picker";
  profiles.clear();
  in.defaultDeviceName = "HDMI";
  EXPECT_EQ(SavedMeterColour(in), 0x0000AAu);
}

TEST_F(SavedMeterColourTest, IconSourcesTakeTheGlobalIconColours) {
  in.colorSource = 1;
  EXPECT_EQ(SavedMeterColour(in), 0xAAAAAAu);
  in.colorSource = 2;
  EXPECT_EQ(SavedMeterColour(in), 0xBBBBBBu);
  in.meterByDevice = true;  // only for the meter's own colour
  EXPECT_EQ(SavedMeterColour(in), 0xBBBBBBu);
}

TEST_F(SavedMeterColourTest, IconSourcesFollowTheDeviceWhenTheIconDoes) {
  in.iconByDevice = true;
  in.colorSource = 1;
  EXPECT_EQ(SavedMeterColour(in), 0x110000u);
  in.colorSource = 2;
  EXPECT_EQ(SavedMeterColour(in), 0x220000u);
  in.defaultDeviceName = "Speakers";
  EXPECT_EQ(SavedMeterColour(in), 0x000022u) << "the first profile with that name";
}

TEST_F(SavedMeterColourTest, NoProfileForTheDefaultDeviceKeepsTheColourInEffect) {
  in.iconByDevice = true;
  in.defaultDeviceName = "USB";
  in.colorSource = 1;
  EXPECT_EQ(SavedMeterColour(in), 0x777777u);
  in.colorSource = 2;
  EXPECT_EQ(SavedMeterColour(in), 0x777777u);
  profiles.clear();
  EXPECT_EQ(SavedMeterColour(in), 0xBBBBBBu) << "without any profile the global colour";
}

// --- key names --------------------------------------------------------------------------

class FakeLayout final : public KeyNamePort {
 public:
  std::vector<uint32_t> asked;
  unsigned ScanCode(int vk) override { return vk == 36 ? 0x47 : vk == 18 ? 0x38 : static_cast<unsigned>(vk + 1); }
  std::string KeyNameText(uint32_t param) override {
    asked.push_back(param);
    static const std::map<uint32_t, std::string> names = {{0x1470000, "Home"}, {0x470000, "Num 7"}, {0x380000, "Alt"}};
    const auto it = names.find(param);
    return it == names.end() ? "?" : it->second;
  }
};

TEST(KeyNamesTest, ArrowsHaveFixedNames) {
  FakeLayout layout;
  EXPECT_EQ(CapturedKeyName(37, layout), "←");
  EXPECT_EQ(CapturedKeyName(38, layout), "↑");
  EXPECT_EQ(CapturedKeyName(39, layout), "→");
  EXPECT_EQ(CapturedKeyName(40, layout), "↓");
  EXPECT_TRUE(layout.asked.empty()) << "the layout is not asked for the arrows";
}

TEST(KeyNamesTest, HomeIsNamedWithTheExtendedKeyBit) {
  FakeLayout layout;
  EXPECT_EQ(CapturedKeyName(36, layout), "Home") << "not the keypad's 7";
  EXPECT_EQ(layout.asked, (std::vector<uint32_t>{0x01470000u}));
}

TEST(KeyNamesTest, AltIsNamedWithoutTheExtendedBit) {
  FakeLayout layout;
  EXPECT_EQ(CapturedKeyName(kVkMenu, layout), "Alt");
  EXPECT_EQ(KeyNameParam(18, 0x38), 0x380000u);
}

TEST(KeyNamesTest, TheExtendedKeysAreExactlyTheListedCodes) {
  std::vector<int> extended;
  for (int vk = 0; vk < 256; ++vk) {
    if (IsExtendedKeyCode(vk)) extended.push_back(vk);
  }
  EXPECT_EQ(extended, (std::vector<int>{33, 34, 35, 36, 37, 38, 39,  40,  41,  42,  43,
                                        44, 45, 46, 91, 92, 93, 108, 111, 144, 163, 165}));
  EXPECT_EQ(KeyNameParam(45, 0x52), 0x01520000u);  // Insert
  EXPECT_EQ(KeyNameParam(65, 0x1E), 0x001E0000u);  // A
  EXPECT_EQ(KeyNameParam(65, 0x11E), 0x001E0000u) << "only the scan code's byte is used";
}

// --- key capture -------------------------------------------------------------------------

TEST(KeyCaptureTest, OneSlotRunsAtATime) {
  KeyCapture c;
  EXPECT_FALSE(c.Any());
  EXPECT_EQ(c.Toggle(1), KeyCapture::Click::kStarted);
  EXPECT_TRUE(c.Any());
  EXPECT_TRUE(c.Set(1));
  EXPECT_EQ(c.Active(), 1);
  EXPECT_EQ(c.Toggle(2), KeyCapture::Click::kIgnored) << "the other buttons wait";
  EXPECT_TRUE(c.Set(1));
  EXPECT_EQ(c.Toggle(1), KeyCapture::Click::kEnded);
  EXPECT_FALSE(c.Any());
  EXPECT_EQ(c.Toggle(4), KeyCapture::Click::kIgnored);
  EXPECT_EQ(c.Toggle(-1), KeyCapture::Click::kIgnored);
  EXPECT_EQ(c.Toggle(3), KeyCapture::Click::kStarted);
  c.ClearAll();
  EXPECT_FALSE(c.Any());
  EXPECT_EQ(c.Active(), -1);
}

TEST(SetteiKeysTest, TheImesProcessKeyBindsTheKeyBehindIt) {
  EXPECT_EQ(CapturedKeyCode(229, 29), 29) << "無変換 taken by the IME";
  EXPECT_EQ(CapturedKeyCode(229, 28), 28);
  EXPECT_EQ(CapturedKeyCode(229, 0), std::nullopt) << "no key known: nothing bound";
  EXPECT_EQ(CapturedKeyCode(229, 229), std::nullopt);
  EXPECT_EQ(CapturedKeyCode(229, 255), std::nullopt);
  EXPECT_EQ(CapturedKeyCode(39, 0), 39) << "a key the IME left alone is itself";
  EXPECT_EQ(CapturedKeyCode(39, 29), 39);
}

}  // namespace
}  // namespace volmaru::settings
