#include "settings/window/settei_session.h"

#include <gtest/gtest.h>

#include "tests/settings/fake_files.h"
#include "tests/settings/window/fake_settei_host.h"

namespace volmaru::settings {
namespace {

using testing::FakeFiles;

constexpr const char* kFolder = "/docs/data";
constexpr const char* kPath = "/docs/data/Settei.ini";

using FakeHost = testing::FakeSetteiHost;

class FakeUi final : public SetteiUi {
 public:
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  bool answer = true;
  std::optional<SetteiPage> page;
  std::optional<FocusTarget> focus;
  void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
  bool AskYesNo(std::string_view text) override {
    questions.emplace_back(text);
    return answer;
  }
  void ShowPage(SetteiPage p) override { page = p; }
  void Focus(const FocusTarget& f) override { focus = f; }
};

class FakeLayout final : public KeyNamePort {
 public:
  unsigned ScanCode(int vk) override { return static_cast<unsigned>(vk); }
  std::string KeyNameText(uint32_t param) override { return "key" + std::to_string(param >> 16 & 0xFF); }
};

TDefDeviceTrayIconData Profile(const std::string& name, int normal) {
  TDefDeviceTrayIconData p;
  p.DeviceName = name;
  p.NormalVolume = normal;
  return p;
}

// The file storage, counting the saves.
class CountingStorage final : public SetteiStorage {
 public:
  CountingStorage(FakeFiles& fs) : file_(fs, kFolder, kPath, JapaneseDateTimeFormat()) {}
  int saves = 0;
  bool Exists() override { return file_.Exists(); }
  PageSettings LoadPages() override { return file_.LoadPages(); }
  void EnsureDataFolder() override { file_.EnsureDataFolder(); }
  void Save(const PageSettings& pages, const std::vector<TDefDeviceTrayIconData>& profiles) override {
    ++saves;
    file_.Save(pages, profiles);
  }

 private:
  FileSetteiStorage file_;
};

class SetteiSessionTest : public ::testing::Test {
 protected:
  FakeFiles fs;
  FakeHost host;
  FakeUi ui;
  CountingStorage storage{fs};
  SetteiSession session{host, storage};

  std::string& File() { return fs.files[kPath]; }
  // The file's value of a key, or nothing.
  std::optional<std::string> Read(std::string_view section, std::string_view key) {
    ProfileFile f(fs, kPath);
    return f.Read(section, key);
  }
  void CreateAndOpen() {
    session.Create();
    session.Open();
  }
};

TEST_F(SetteiSessionTest, OkWithoutAChangeClosesAndWritesNothing) {
  CreateAndOpen();
  session.stepText = "500";  // typed by code, not by the user: not a change
  EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kClosed);
  EXPECT_TRUE(session.CloseAllowed);
  EXPECT_EQ(fs.writes, 0);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(std::find(host.calls.begin(), host.calls.end(), "keyboard") == host.calls.end());
}

TEST_F(SetteiSessionTest, AWrongStepIsRefusedOnItsPageWithNothingSaved) {
  CreateAndOpen();
  for (const char* step : {"0", "101", ""}) {
    session.stepText = step;
    session.Changed();
    ui = FakeUi{};
    EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kRefused) << step;
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"「1回押したときの変化量」は1～100を半角で入力してください。"}));
    EXPECT_EQ(ui.page, SetteiPage::kOperation);
    ASSERT_TRUE(ui.focus);
    EXPECT_EQ(ui.focus->field, SetteiField::kStep);
    EXPECT_FALSE(session.CloseAllowed);
  }
  EXPECT_EQ(fs.writes, 0);
  EXPECT_TRUE(host.calls.size() == 2) << "only the opening's calls, no hand-over";
  session.stepText = "100";
  EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kSaved);
  EXPECT_EQ(Read("KeyBoad", "VolumeChangeValue"), "100");
}

TEST_F(SetteiSessionTest, AWrongShowTimeIsRefusedOnTheMeterPage) {
  CreateAndOpen();
  session.Changed();
  for (const char* t : {"0", "31"}) {
    session.showTimeText = t;
    ui = FakeUi{};
    EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kRefused);
    EXPECT_EQ(ui.messages.at(0), "音量メーターの表示時間は1～30秒を半角で入力してください。");
    EXPECT_EQ(ui.page, SetteiPage::kMeter);
    EXPECT_EQ(ui.focus->field, SetteiField::kShowTime);
  }
  session.showTimeText = "30";
  EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kSaved);
  EXPECT_EQ(Read("VolumeBar", "ShowTime"), "30");
}

TEST_F(SetteiSessionTest, TheStepIsCheckedBeforeTheShowTime) {
  CreateAndOpen();
  session.Changed();
  session.stepText = "0";
  session.showTimeText = "0";
  session.Ok(ui);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"「1回押したときの変化量」は1～100を半角で入力してください。"}));
}

TEST_F(SetteiSessionTest, TwoBindingsWithOneKeyAreRefused) {
  CreateAndOpen();
  session.Changed();
  session.values.Keyboard.VolumeUpKey.code = 29;
  EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kRefused);
  EXPECT_EQ(ui.messages.at(0), "同じキーが設定されています。");
  EXPECT_EQ(ui.page, SetteiPage::kOperation);
  EXPECT_FALSE(session.CloseAllowed);
  EXPECT_EQ(fs.writes, 0);
}

TEST_F(SetteiSessionTest, OkSavesOnceAndHandsOverInOrder) {
  host.profiles = {Profile("Speakers", 40), Profile("HDMI", 60)};
  host.defaultName = "HDMI";
  CreateAndOpen();
  session.stepText = "5";
  session.values.WheelReverse = true;
  session.values.Position = 3;
  session.values.Keyboard.VolumeUpKey = {36, "Home"};
  session.WorkingProfiles[1].TextColor = 0x123456;
  session.Changed();
  host.calls.clear();
  EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kSaved);
  EXPECT_EQ(storage.saves, 1) << "one save of every value";
  EXPECT_EQ(host.calls, (std::vector<std::string>{"keyboard", "icon 42", "input", "meter"}));
  EXPECT_EQ(host.main.Keyboard.VolumeStep, 5);
  EXPECT_EQ(host.main.Keyboard.VolumeUpKey, (KeyBinding{36, "Home"}));
  EXPECT_TRUE(host.main.WheelReverse);
  EXPECT_EQ(host.main.DeviceProfiles.at(1).TextColor, 0x123456u);
  EXPECT_EQ(host.meter.Position, 3);
  EXPECT_EQ(Read("KeyBoad", "VolumeUpKeyCode"), "36");
  EXPECT_EQ(Read("KeyBoad", "VolumeUpKeyName"), "Home");
  EXPECT_EQ(Read("Icon", "DeviceIconDataCount"), "2");
  EXPECT_EQ(Read("DeviceIconData1", "TextColor"), std::to_string(0x123456));
  EXPECT_FALSE(session.HasUnsavedChanges);
  EXPECT_TRUE(session.CloseAllowed);
}

TEST_F(SetteiSessionTest, TheIconIsNotDrawnWhileItIsBeingUpdated) {
  CreateAndOpen();
  session.Changed();
  host.iconUpdating = true;
  host.calls.clear();
  session.Ok(ui);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"keyboard", "input", "meter"}));
}

TEST_F(SetteiSessionTest, AFailedSaveHandsNothingOverAndLosesNothing) {
  File() = "[KeyBoad]\r\nVolumeChangeValue=3\r\n";
  CreateAndOpen();
  session.stepText = "7";
  session.values.IsShowByPointIcon = false;
  session.Changed();
  fs.readOnly.insert(kPath);
  host.calls.clear();
  EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kFailed);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{std::string(kSaveFailedMessage)}));
  EXPECT_TRUE(host.calls.empty()) << "nothing handed over";
  EXPECT_EQ(File(), "[KeyBoad]\r\nVolumeChangeValue=3\r\n");
  EXPECT_TRUE(session.HasUnsavedChanges);
  EXPECT_FALSE(session.CloseAllowed);
  EXPECT_EQ(session.stepText, "7");
  EXPECT_FALSE(session.values.IsShowByPointIcon);
  // Once the file can be written the same OK goes through.
  fs.readOnly.clear();
  EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kSaved);
  EXPECT_EQ(Read("KeyBoad", "VolumeChangeValue"), "7");
}

TEST_F(SetteiSessionTest, TheScheduleSwitchGoesOffWhenNoDayHasABand) {
  File() = "[Schedule]\r\nUse=1\r\nStartTime0=1899/12/30 8:00:00\r\nEndTime0=1899/12/30 9:00:00\r\nVolume0=-20\r\n";
  CreateAndOpen();
  EXPECT_TRUE(session.values.ScheduleUse);
  EXPECT_EQ(session.dayFields[0].startHour, "8");
  EXPECT_EQ(session.dayFields[0].slider, -20);
  // Clearing the band removes it; its keys go at the save.
  session.dayFields[0] = {};
  session.ScheduleFieldChanged();
  EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kSaved);
  EXPECT_FALSE(session.values.ScheduleUse) << "the switch is turned off";
  EXPECT_EQ(Read("Schedule", "Use"), "0");
  EXPECT_FALSE(host.main.ScheduleUse);
}

TEST_F(SetteiSessionTest, ClearingABandDeletesItsKeysAtTheSave) {
  File() =
      "[Schedule]\r\nUse=1\r\nStartTime0=1899/12/30 8:00:00\r\nEndTime0=1899/12/30 9:00:00\r\nVolume0=-20\r\n"
      "StartTime1=1899/12/30 20:00:00\r\nEndTime1=1899/12/30 22:00:00\r\nVolume1=10\r\n";
  CreateAndOpen();
  session.dayFields[0] = {};
  session.ScheduleFieldChanged();
  EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kSaved);
  EXPECT_FALSE(Read("Schedule", "StartTime0"));
  EXPECT_FALSE(Read("Schedule", "EndTime0"));
  EXPECT_FALSE(Read("Schedule", "Volume0"));
  EXPECT_EQ(Read("Schedule", "StartTime1"), "1899/12/30 20:00:00");
  EXPECT_EQ(Read("Schedule", "Volume1"), "10");
  EXPECT_EQ(Read("Schedule", "Use"), "1");
  EXPECT_TRUE(host.main.ScheduleEdited);
}

TEST_F(SetteiSessionTest, ARefusedBandStopsOkOnTheSchedulePage) {
  CreateAndOpen();
  session.values.ScheduleUse = true;
  session.dayFields[1] = {"7", "", "8", "00", 0};
  session.Changed();
  EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kRefused);
  EXPECT_EQ(ui.messages.at(0), schedule::kTimeFormatMessage);
  EXPECT_EQ(ui.page, SetteiPage::kSchedule);
  EXPECT_EQ(ui.focus->field, SetteiField::kBandTime);
  EXPECT_EQ(ui.focus->band, 1);
  EXPECT_EQ(ui.focus->part, 1);
  EXPECT_FALSE(session.CloseAllowed);
  EXPECT_EQ(fs.writes, 0);
  // With the switch off the bands are not checked.
  session.values.ScheduleUse = false;
  EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kSaved);
}

TEST_F(SetteiSessionTest, APendingNormalVolumeIsStoredByOk) {
  host.profiles = {Profile("Speakers", 40), Profile("HDMI", 60)};
  CreateAndOpen();
  EXPECT_EQ(session.normalVolumeText, "40");
  session.normalVolumeText = "150";
  session.NormalVolumeTyped();
  EXPECT_TRUE(session.HasUnsavedChanges);
  EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kRefused);
  EXPECT_EQ(ui.messages.at(0), schedule::kNormalVolumeMessage);
  EXPECT_EQ(ui.page, SetteiPage::kSchedule);
  EXPECT_EQ(ui.focus->field, SetteiField::kNormalVolume);
  EXPECT_FALSE(session.CloseAllowed);
  EXPECT_EQ(fs.writes, 0);
  session.normalVolumeText = "35";
  EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kSaved);
  EXPECT_EQ(Read("DeviceIconData0", "NormalVolume"), "35");
  EXPECT_EQ(host.main.DeviceProfiles.at(0).NormalVolume, 35);
}

TEST_F(SetteiSessionTest, TheSavedMeterColourFollowsTheRule) {
  host.profiles = {Profile("Speakers", 40)};
  host.profiles[0].TextColor = 0x0000AA;
  host.meterColour = 0x777777;
  host.defaultName = "HDMI";  // no profile for the default device
  CreateAndOpen();
  session.values.ChangeIconColorByDevice = true;
  session.ColourSourceChanged(1);
  EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kSaved);
  EXPECT_EQ(Read("VolumeBar", "Color"), std::to_string(0x777777)) << "the colour in effect before";
  EXPECT_EQ(host.meter.Color, 0x777777u);
  EXPECT_EQ(Read("VolumeBar", "ColorByIconColor"), "1");
}

TEST_F(SetteiSessionTest, TheFirstDeviceCanGiveTheMeterItsColour) {
  host.profiles = {Profile("Speakers", 40), Profile("HDMI", 60)};
  host.profiles[0].TextColor = 0x0000AA;
  host.profiles[1].TextColor = 0x00BB00;
  host.meterColour = 0x777777;
  host.defaultName = "Speakers";  // the first record
  CreateAndOpen();
  ASSERT_EQ(session.iconDevice, 0);
  session.values.ChangeColorByDevice = true;
  session.ColourSourceChanged(0);
  EXPECT_TRUE(session.meterByDeviceUsable) << "a device is selected on the icon page: the first";
  EXPECT_TRUE(session.values.ChangeColorByDevice);
  session.values.ChangeIconColorByDevice = true;
  session.ColourSourceChanged(1);
  EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kSaved);
  EXPECT_EQ(host.meter.Color, 0x0000AAu) << "the default device's text colour";
}

// Loading a day's fields is no edit; an edit right after it is one.
TEST_F(SetteiSessionTest, EditsAfterChoosingADayAndTypingANormalVolumeMarkTheSchedule) {
  host.profiles = {Profile("Speakers", 40)};
  CreateAndOpen();
  session.SelectDay(3);
  EXPECT_FALSE(session.schedule.ScheduleEdited);
  session.ScheduleFieldChanged();
  EXPECT_TRUE(session.schedule.ScheduleEdited);
  session.Open();
  EXPECT_FALSE(session.schedule.ScheduleEdited);
  session.normalVolumeText = "55";
  session.NormalVolumeTyped();
  EXPECT_TRUE(session.schedule.ScheduleEdited) << "the normal volume is part of the schedule";
}

TEST_F(SetteiSessionTest, CancelBringsTheLiveValuesBackFromTheFile) {
  File() = "[VolumeBar]\r\nIsShowByPointIcon=0\r\n[VisibleMenuItems]\r\nValue3=0\r\n";
  CreateAndOpen();
  EXPECT_FALSE(session.values.IsShowByPointIcon);
  session.values.IsShowByPointIcon = true;
  session.values.VisibleMenuItems[3] = true;
  session.values.VisibleMenuItems[0] = false;
  session.stepText = "9";
  session.Changed();
  session.Cancel();
  EXPECT_FALSE(session.values.IsShowByPointIcon);
  EXPECT_FALSE(session.values.VisibleMenuItems[3]);
  EXPECT_TRUE(session.values.VisibleMenuItems[0]);
  EXPECT_EQ(session.stepText, "3");
  EXPECT_FALSE(session.HasUnsavedChanges);
  EXPECT_TRUE(session.CloseAllowed);
  EXPECT_EQ(fs.writes, 0);
  EXPECT_TRUE(fs.dirs.count(kFolder)) << "the data folder is made when missing";
}

TEST_F(SetteiSessionTest, CancelWithoutAFileGivesTheDefaults) {
  CreateAndOpen();
  session.values.IsShowByPointIcon = false;
  session.values.ColorByIconColor = 2;
  session.stepText = "9";
  session.Changed();
  session.Cancel();
  EXPECT_TRUE(session.values.IsShowByPointIcon);
  EXPECT_EQ(session.values.ColorByIconColor, 0);
  // The next opening (still no file) does not bring the cancelled step back.
  session.Open();
  EXPECT_EQ(session.stepText, "3");
}

TEST_F(SetteiSessionTest, WithoutAFileTheMeterByDeviceSwitchIsUsableOnTheEndpointPath) {
  CreateAndOpen();
  EXPECT_TRUE(session.States().meterByDeviceEnabled);
  host.endpoint = false;
  SetteiSession mixer(host, storage);
  mixer.Create();
  mixer.Open();
  EXPECT_FALSE(mixer.States().meterByDeviceEnabled);
}

TEST_F(SetteiSessionTest, WithoutAFileTheOpeningKeepsTheValuesButResetsTheSchedule) {
  CreateAndOpen();
  session.values.WheelReverse = true;
  session.values.ScheduleUse = true;
  session.dayFields[0] = {"1", "00", "2", "00", 5};
  session.schedule.ValidateScheduleDay(session.dayFields);
  session.Open();
  EXPECT_TRUE(session.values.WheelReverse);
  EXPECT_FALSE(session.schedule.AnyDayHasBands());
  EXPECT_EQ(session.dayFields[0], schedule::BandFields{});
}

TEST_F(SetteiSessionTest, TheCloseQuery) {
  CreateAndOpen();
  EXPECT_TRUE(session.CloseQuery(ui));
  EXPECT_TRUE(ui.questions.empty()) << "no change, no question";

  File() = "[KeyBoad]\r\nVolumeChangeValue=4\r\n";
  session.Open();
  session.stepText = "101";
  session.values.IsShowByPointIcon = false;
  session.Changed();
  ui.answer = true;
  EXPECT_FALSE(session.CloseQuery(ui)) << "Yes with a wrong step keeps the window";
  EXPECT_EQ(ui.questions, (std::vector<std::string>{std::string(kCloseQuestion)}));
  EXPECT_EQ(ui.messages.at(0), "「1回押したときの変化量」は1～100を半角で入力してください。");

  ui.answer = false;
  EXPECT_TRUE(session.CloseQuery(ui));
  EXPECT_EQ(session.stepText, "4") << "No restores the file's values";
  EXPECT_TRUE(session.values.IsShowByPointIcon);
  EXPECT_FALSE(session.HasUnsavedChanges);
  EXPECT_EQ(File(), "[KeyBoad]\r\nVolumeChangeValue=4\r\n");

  session.stepText = "8";
  session.Changed();
  ui.answer = true;
  EXPECT_TRUE(session.CloseQuery(ui));
  EXPECT_EQ(Read("KeyBoad", "VolumeChangeValue"), "8");
}

TEST_F(SetteiSessionTest, TheHookSeesACaptureAtOnce) {
  CreateAndOpen();
  FakeLayout layout;
  EXPECT_FALSE(session.CaptureKey(36, layout)) << "no slot runs";
  EXPECT_EQ(session.ToggleCapture(1), KeyCapture::Click::kStarted);
  EXPECT_TRUE(host.captureFlag.load());
  EXPECT_FALSE(session.HasUnsavedChanges) << "starting is no change yet";
  EXPECT_TRUE(session.CaptureKey(36, layout));
  EXPECT_EQ(session.values.Keyboard.VolumeUpKey, (KeyBinding{36, "key36"}));
  EXPECT_EQ(host.pauses, 1) << "the main timer stands still while the slot is filled";
  EXPECT_EQ(host.holds, 0);
  EXPECT_TRUE(session.CaptureKey(39, layout)) << "later keys overwrite the slot";
  EXPECT_EQ(session.values.Keyboard.VolumeUpKey, (KeyBinding{39, "→"}));
  EXPECT_EQ(session.ToggleCapture(1), KeyCapture::Click::kEnded);
  EXPECT_FALSE(host.captureFlag.load());
  EXPECT_TRUE(session.HasUnsavedChanges);
  EXPECT_EQ(session.values.Keyboard.MainKey, (KeyBinding{29, "無変換"}));
}

TEST_F(SetteiSessionTest, ClosingEndsACapture) {
  CreateAndOpen();
  session.ToggleCapture(0);
  session.OnClose();
  EXPECT_FALSE(host.captureFlag.load());
  EXPECT_FALSE(session.capture.Any());
  EXPECT_FALSE(session.IsReady);
  EXPECT_EQ(host.calls.back(), "meter again");
  session.Open();
  session.ToggleCapture(3);
  session.Cancel();
  EXPECT_FALSE(host.captureFlag.load());
}

TEST_F(SetteiSessionTest, OpeningCopiesTheProfilesAndSelectsTheDefaultDevice) {
  host.profiles = {Profile("Speakers", 40), Profile("HDMI", 60)};
  host.profiles[0].ScheduleChangeTime = schedule::TimeOfDay(6, 5);
  host.defaultName = "HDMI";
  CreateAndOpen();
  EXPECT_EQ(host.calls, (std::vector<std::string>{"close meter", "reset pointing"}));
  EXPECT_EQ(session.WorkingProfiles.size(), 2u);
  EXPECT_EQ(session.iconDevice, 1);
  EXPECT_EQ(session.meterDevice, 1);
  EXPECT_EQ(session.scheduleDevice, 0);
  EXPECT_EQ(session.normalVolumeText, "40");
  EXPECT_EQ(session.deviceSchedule, (schedule::DeviceScheduleView{false, "06", "05"}));
  EXPECT_TRUE(session.IsReady);
  EXPECT_FALSE(session.HasUnsavedChanges);

  host.defaultName = "USB";
  session.Open();
  EXPECT_EQ(session.iconDevice, 0) << "no device of that name: the first";
  // Without devices the last copy stays.
  host.profiles.clear();
  session.Open();
  EXPECT_EQ(session.WorkingProfiles.size(), 2u);
}

TEST_F(SetteiSessionTest, TheMixerPathHasNoDevicesAndKeepsTheIconSwitches) {
  host.endpoint = false;
  host.profiles = {Profile("Speakers", 40)};
  File() = "[Icon]\r\nUseDefAudioDeviceIcon=1\r\nChangeIconColorByDevice=1\r\n[VolumeBar]\r\nColorByIconColor=0\r\n";
  CreateAndOpen();
  EXPECT_TRUE(session.WorkingProfiles.empty());
  EXPECT_EQ(session.iconDevice, -1);
  EXPECT_FALSE(session.values.UseDefAudioDeviceIcon);
  EXPECT_FALSE(session.values.ChangeIconColorByDevice);
  EXPECT_FALSE(session.States().meterByDeviceEnabled);
  host.endpoint = true;
  SetteiSession endpoint(host, storage);
  endpoint.Create();
  endpoint.Open();
  EXPECT_TRUE(endpoint.values.UseDefAudioDeviceIcon);
  EXPECT_TRUE(endpoint.values.ChangeIconColorByDevice);
  EXPECT_TRUE(endpoint.States().meterByDeviceEnabled);
}

TEST_F(SetteiSessionTest, ValuesOutsideTheControlsRangesAreShownInRange) {
  File() =
      "[VolumeBar]\r\nPosition=7\r\nColorByIconColor=-1\r\n[TrayIconWaitTime]\r\nValue=5000\r\n"
      "[VolumeChangeWaitTime]\r\nValue=-3\r\n[KeyBoad]\r\nVolumeChangeValue=500\r\n";
  CreateAndOpen();
  EXPECT_EQ(session.values.Position, 0);
  EXPECT_EQ(session.values.ColorByIconColor, 0);
  EXPECT_EQ(session.values.TrayIconWaitTime, 2000);
  EXPECT_EQ(session.values.VolumeChangeWaitTime, 0);
  EXPECT_EQ(session.stepText, "500") << "a field shows what the file says; OK refuses it";
  File() = "[TrayIconWaitTime]\r\nValue=0\r\n[VolumeChangeWaitTime]\r\nValue=1000\r\n";
  session.Open();
  EXPECT_EQ(session.values.TrayIconWaitTime, 0) << "the ends of the range stay";
  EXPECT_EQ(session.values.VolumeChangeWaitTime, 1000);
  File() = "[VolumeBar]\r\nPosition=5\r\n";
  session.Open();
  EXPECT_EQ(session.values.Position, 0) << "one past the last place";
  File() = "[VolumeBar]\r\nPosition=4\r\n";
  session.Open();
  EXPECT_EQ(session.values.Position, 4) << "the last place stays";
}

TEST_F(SetteiSessionTest, ChangesCountOnlyOnceTheWindowIsReady) {
  session.Create();
  session.Changed();
  EXPECT_FALSE(session.HasUnsavedChanges);
  session.Open();
  session.ScheduleFieldChanged();
  EXPECT_TRUE(session.HasUnsavedChanges);
  EXPECT_TRUE(session.schedule.ScheduleEdited);
}

TEST_F(SetteiSessionTest, TheMenuTogglesMarkTheWindowChanged) {
  CreateAndOpen();
  session.MenuSwitchToggled(true, true);
  EXPECT_TRUE(session.values.NoChangeByKey);
  EXPECT_FALSE(session.States().keyboardGroupVisible);
  EXPECT_TRUE(session.HasUnsavedChanges);
  session.MenuSwitchToggled(false, true);
  EXPECT_FALSE(session.States().wheelBoxEnabled);
}

TEST_F(SetteiSessionTest, DeviceColoursChangeOnlyASelectedProfile) {
  host.profiles = {Profile("Speakers", 40)};
  CreateAndOpen();
  session.IconDeviceColoursChanged(0x010203, 0x040506);
  EXPECT_EQ(session.WorkingProfiles[0].TextColor, 0x010203u);
  EXPECT_EQ(session.WorkingProfiles[0].BackColor, 0x040506u);
  session.values.ChangeIconColorByDevice = true;
  EXPECT_EQ(session.PreviewColours(), (IconColours{0x010203, 0x040506}));
  session.values.ChangeIconColorByDevice = false;
  EXPECT_EQ(session.PreviewColours(), session.values.Icon);
  session.MeterDeviceColourChanged(0x0A0B0C);
  EXPECT_EQ(session.WorkingProfiles[0].VolumeBarColor, 0x0A0B0Cu);
  session.iconDevice = session.meterDevice = -1;
  session.IconDeviceColoursChanged(1, 2);
  session.MeterDeviceColourChanged(3);
  EXPECT_EQ(session.WorkingProfiles[0].TextColor, 0x010203u);
  EXPECT_EQ(session.WorkingProfiles[0].VolumeBarColor, 0x0A0B0Cu);
}

TEST_F(SetteiSessionTest, TheDailyDeviceChangeEditsTheWorkingProfiles) {
  host.profiles = {Profile("A", 40), Profile("B", 60)};
  host.profiles[0].IsScheduleChange = true;
  host.profiles[0].ScheduleChangeTime = schedule::TimeOfDay(7, 30);
  CreateAndOpen();
  session.ShowScheduleDevice(1);
  session.deviceSchedule.hour = "07";
  session.deviceSchedule.minute = "30";
  session.DeviceTimeKeyReleased(ui);
  EXPECT_EQ(ui.messages.at(0), schedule::kDeviceTimeTakenMessage);
  EXPECT_FALSE(session.HasUnsavedChanges);
  session.deviceSchedule.hour = "08";
  session.DeviceTimeKeyReleased(ui);
  EXPECT_DOUBLE_EQ(session.WorkingProfiles[1].ScheduleChangeTime, schedule::TimeOfDay(8, 30));
  EXPECT_TRUE(session.HasUnsavedChanges);
  session.deviceSchedule.minute = "30";
  session.deviceSchedule.hour = "07";
  session.WorkingProfiles[1].ScheduleChangeTime = schedule::TimeOfDay(7, 30);
  session.DeviceChangeTicked(true, ui);
  EXPECT_EQ(ui.messages.size(), 2u);
  EXPECT_FALSE(session.deviceSchedule.change) << "the switch is turned off again";
  EXPECT_FALSE(session.WorkingProfiles[1].IsScheduleChange);
  // While the group is filled by code the switch does nothing.
  session.DeviceScheduleLoading = true;
  session.DeviceChangeTicked(true, ui);
  EXPECT_EQ(ui.messages.size(), 2u);
  session.DeviceScheduleLoading = false;
  // The first device can be switched as well.
  session.ShowScheduleDevice(0);
  session.DeviceChangeTicked(false, ui);
  EXPECT_FALSE(session.WorkingProfiles[0].IsScheduleChange);
}

TEST_F(SetteiSessionTest, TheNormalVolumeFieldFilledByCodeIsNoChange) {
  host.profiles = {Profile("Speakers", 40)};
  CreateAndOpen();
  session.schedule.IsLoading = true;
  session.NormalVolumeTyped();
  EXPECT_FALSE(session.normal.pending());
  EXPECT_FALSE(session.HasUnsavedChanges);
  session.schedule.IsLoading = false;
  session.ScheduleFieldChanged();
  EXPECT_TRUE(session.HasUnsavedChanges);
}

TEST_F(SetteiSessionTest, ChoosingANormalVolumeDeviceAsksAboutAPendingValue) {
  host.profiles = {Profile("Speakers", 40), Profile("HDMI", 60)};
  CreateAndOpen();
  session.normalVolumeText = "45";
  session.NormalVolumeTyped();
  ui.answer = true;
  session.ChooseNormalVolumeDevice(1, ui);
  EXPECT_EQ(ui.questions.at(0), "\"\"Speakers\"の通常の音量が変更されていますが、保存しますか？");
  EXPECT_EQ(session.WorkingProfiles[0].NormalVolume, 45);
  EXPECT_EQ(session.normalVolumeText, "60");
}

// "はい" with a value that cannot be stored: the refusal is shown and the
// field moves on to the chosen device, whose value it then shows; the
// refused text is not stored anywhere.
TEST_F(SetteiSessionTest, ARefusedPendingValueStillMovesTheFieldToTheChosenDevice) {
  host.profiles = {Profile("Speakers", 40), Profile("HDMI", 60)};
  CreateAndOpen();
  session.ChooseNormalVolumeDevice(1, ui);
  ASSERT_EQ(session.normalVolumeText, "60");
  ASSERT_TRUE(ui.questions.empty()) << "nothing was pending";
  session.normalVolumeText = "x";
  session.NormalVolumeTyped();
  ui.answer = true;
  session.ChooseNormalVolumeDevice(0, ui);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"「通常の音量」は0～100を半角で入力してください。"}));
  EXPECT_EQ(session.normalVolumeText, "40");
  EXPECT_EQ(session.normal.device(), 0);
  EXPECT_EQ(session.WorkingProfiles[1].NormalVolume, 60);
  EXPECT_TRUE(session.normal.pending());
  ui.messages.clear();
  EXPECT_EQ(session.Ok(ui), SetteiSession::OkResult::kSaved) << "what the field shows now is a volume";
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(session.WorkingProfiles[0].NormalVolume, 40);
  EXPECT_EQ(session.WorkingProfiles[1].NormalVolume, 60);
}

// A refusal, the save's failure and the hand-over all happen with the main
// timer held, so that no tick (with a message box of its own) runs
// underneath them.
TEST_F(SetteiSessionTest, OkHoldsTheMainTimerThroughoutAndReleasesIt) {
  struct HoldingUi final : SetteiUi {
    FakeHost& host;
    std::vector<int> holdsAtMessages;
    explicit HoldingUi(FakeHost& h) : host(h) {}
    void ShowMessage(std::string_view) override { holdsAtMessages.push_back(host.holds); }
    bool AskYesNo(std::string_view) override { return true; }
    void ShowPage(SetteiPage) override {}
    void Focus(const FocusTarget&) override {}
  } holding(host);
  CreateAndOpen();
  session.stepText = "0";
  session.Changed();
  EXPECT_EQ(session.Ok(holding), SetteiSession::OkResult::kRefused);
  fs.failAllWrites = true;
  session.stepText = "5";
  EXPECT_EQ(session.Ok(holding), SetteiSession::OkResult::kFailed);
  EXPECT_EQ(holding.holdsAtMessages, (std::vector<int>{1, 1}));
  EXPECT_EQ(host.holds, 0);
  fs.failAllWrites = false;
  const int before = host.pauses;
  EXPECT_EQ(session.Ok(holding), SetteiSession::OkResult::kSaved);
  EXPECT_GT(host.pauses, before);
  EXPECT_EQ(host.holds, 0);
}

}  // namespace
}  // namespace volmaru::settings
