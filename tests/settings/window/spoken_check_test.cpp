#include "settings/window/spoken_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "volume/volume_ops.h"

namespace volmaru::settings {
namespace {

class FakeCheck : public SpokenCheckPort {
 public:
  std::vector<std::string> calls;
  int lastVolume = 70;
  bool setOk = true;
  int speakResult = 0;
  std::string defaultName = "Speakers";
  std::string mainKey = "無変換";
  std::vector<bool> switchResults;  // consumed in order; then true
  int timerHolds = 0;
  std::vector<int> deviceVolumes{30, 80};  // what each device plays at
  size_t playing = 0;

  void PauseTimer() override {
    ++timerHolds;
    calls.push_back("timer off");
  }
  void ResumeTimer() override {
    --timerHolds;
    calls.push_back("timer on");
  }
  int LastVolume() override { return lastVolume; }
  bool SetVolume(int v) override {
    calls.push_back("set " + std::to_string(v));
    if (setOk) lastVolume = v;
    return setOk;
  }
  int Speak(int v) override {
    calls.push_back("speak " + std::to_string(v));
    return speakResult;
  }
  void ShowMessage(std::string_view t) override { calls.push_back("message " + std::string(t)); }
  const std::string& DefaultDeviceName() override { return defaultName; }
  void SetDefaultDeviceName(const std::string& n) override { defaultName = n; }
  bool SetDefaultPlaybackDevice(size_t i) override {
    calls.push_back("switch " + std::to_string(i));
    bool ok = true;
    if (!switchResults.empty()) {
      ok = switchResults.front();
      switchResults.erase(switchResults.begin());
    }
    if (ok) playing = i;
    return ok;
  }
  void FollowDefaultDevice() override {
    calls.push_back("follow");
    lastVolume = deviceVolumes[playing];
  }
  void UpdateTrayIcon(int v) override { calls.push_back("icon " + std::to_string(v)); }
  void SetBalloonAndTip(const std::string& t) override { calls.push_back("tip " + t); }
  const std::string& MainKeyName() override { return mainKey; }
  void WaitLettingMessagesRun(uint32_t ms) override { calls.push_back("wait " + std::to_string(ms)); }
  void EnableNormalVolumeCheckButton(bool on) override { calls.push_back(on ? "button on" : "button off"); }
};

std::vector<TDefDeviceTrayIconData> Profiles(int normal = 60) {
  std::vector<TDefDeviceTrayIconData> p(2);
  p[0].DeviceName = "Speakers";
  p[0].NormalVolume = normal;
  p[1].DeviceName = "HDMI";
  p[1].NormalVolume = 20;
  return p;
}

using Calls = std::vector<std::string>;

TEST(SpokenCheckTest, ThePhraseNamesTheVolume) {
  EXPECT_EQ(CheckPhrase(35), "おんりょ'う/<NUMK VAL=35>です。");
  EXPECT_EQ(PlainCheckSentence(100), "音量100です。");
}

TEST(SpokenCheckTest, ABandCheckSpeaksTheBandsVolumeAndSetsTheVolumeBack) {
  FakeCheck c;
  BandVolumeCheck(Profiles(60), -25, c);
  EXPECT_EQ(c.calls, (Calls{"timer off", "set 35", "speak 35", "set 70", "timer on"}));
  EXPECT_EQ(c.lastVolume, 70);
}

TEST(SpokenCheckTest, BandVolumesAreClamped) {
  FakeCheck up;
  BandVolumeCheck(Profiles(90), 30, up);
  EXPECT_EQ(up.calls[2], "speak 100");
  FakeCheck down;
  BandVolumeCheck(Profiles(90), -100, down);
  EXPECT_EQ(down.calls[2], "speak 0");
  FakeCheck justOver;
  BandVolumeCheck(Profiles(100), 1, justOver);
  EXPECT_EQ(justOver.calls[2], "speak 100");
}

TEST(SpokenCheckTest, WithoutAProfileForTheDefaultDeviceNothingHappens) {
  FakeCheck c;
  c.defaultName = "speakers";
  BandVolumeCheck(Profiles(), 10, c);
  EXPECT_TRUE(c.calls.empty());
}

TEST(SpokenCheckTest, AFailingSpeechShowsTheMessageAndStillSetsTheVolumeBack) {
  FakeCheck c;
  c.speakResult = 7;
  BandVolumeCheck(Profiles(60), 0, c);
  EXPECT_EQ(c.calls, (Calls{"timer off", "set 60", "speak 60", "message 確認音声をしゃべるのに失敗しました。", "set 70",
                            "timer on"}));
}

TEST(SpokenCheckTest, AVolumeThatCannotBeSetIsNeitherSpokenNorSetBack) {
  FakeCheck c;
  c.setOk = false;
  BandVolumeCheck(Profiles(60), 5, c);
  EXPECT_EQ(c.calls, (Calls{"timer off", "set 65", "timer on"}));
  EXPECT_EQ(c.timerHolds, 0);
}

TEST(SpokenCheckTest, TheNormalVolumeFieldMustHoldZeroToHundred) {
  for (const char* text : {"150", "101", "", "-5", "５０", "5 0", "abc", "1000"}) {
    FakeCheck c;
    NormalVolumeCheck(text, 0, Profiles(), c);
    EXPECT_EQ(c.calls, (Calls{"button off", "message 「通常の音量」は0～100を半角で入力してください。", "button on"}))
        << text;
  }
  // What the group's store takes, the check takes too.
  for (const auto& [text, volume] : {std::pair{"0100", 100}, std::pair{"0", 0}, std::pair{" 45 ", 45}}) {
    FakeCheck c;
    NormalVolumeCheck(text, 0, Profiles(), c);
    ASSERT_GE(c.calls.size(), 3u) << text;
    EXPECT_EQ(c.calls[2], "set " + std::to_string(volume)) << text;
  }
}

TEST(SpokenCheckTest, TheDefaultDevicesNormalVolumeIsCheckedInPlace) {
  FakeCheck c;
  NormalVolumeCheck("050", 0, Profiles(), c);
  EXPECT_EQ(c.calls,
            (Calls{"button off", "timer off", "set 50", "speak 50", "set 70", "timer on", "wait 1000", "button on"}));
}

// Another device: it becomes the default for the check and the volume
// control follows it, so that the volume is set where the phrase plays; then
// the previous default comes back.
TEST(SpokenCheckTest, AnotherDeviceIsTheDefaultForTheCheckAndThePreviousOneReturns) {
  FakeCheck c;
  NormalVolumeCheck("40", 1, Profiles(), c);
  EXPECT_EQ(c.calls, (Calls{"button off", "switch 1", "follow", "icon 40", "timer off", "set 40", "speak 40", "set 80",
                            "timer on", "wait 1000", "switch 0", "follow", "icon 30",
                            "tip 音量:30\r\nメインキー:[無変換]\r\n既定の再生デバイス:\r\n Speakers", "button on"}));
  EXPECT_EQ(c.defaultName, "Speakers");
}

TEST(SpokenCheckTest, ASwitchThatFailsSpeaksNothing) {
  FakeCheck c;
  c.switchResults = {false};
  NormalVolumeCheck("40", 1, Profiles(), c);
  EXPECT_EQ(c.calls, (Calls{"button off", "switch 1", "message 再生デバイスの変更に失敗しました。", "button on"}));
  EXPECT_EQ(c.defaultName, "Speakers");
}

TEST(SpokenCheckTest, WhenSwitchingBackFailsTheChosenDeviceStaysSilently) {
  FakeCheck c;
  c.switchResults = {true, false};
  NormalVolumeCheck("40", 1, Profiles(), c);
  EXPECT_EQ(c.defaultName, "HDMI");
  EXPECT_EQ(c.calls.back(), "button on");
  EXPECT_EQ(c.calls[c.calls.size() - 2], "switch 0");
}

TEST(SpokenCheckTest, WithoutAKnownDefaultThereIsNothingToReturnTo) {
  FakeCheck c;
  c.defaultName = "";
  NormalVolumeCheck("40", 1, Profiles(), c);
  EXPECT_EQ(c.calls, (Calls{"button off", "switch 1", "follow", "icon 40", "timer off", "set 40", "speak 40", "set 80",
                            "timer on", "wait 1000", "button on"}));
}

// The check through the real volume operations, over devices that each keep
// their own volume and mute: the volume control follows the switched device
// and reads that device's own state, whatever the previous one's was.
class PerDeviceEndpoint : public volume::EndpointPort {
 public:
  struct Device {
    float scalar;
    int32_t mute;
  };
  std::vector<Device> devices;
  size_t bound = 0;
  bool GetMasterVolumeLevelScalar(float& s) override {
    s = devices[bound].scalar;
    return true;
  }
  bool SetMasterVolumeLevelScalar(float s) override {
    devices[bound].scalar = s;
    return true;
  }
  bool GetMute(int32_t& m) override {
    m = devices[bound].mute;
    return true;
  }
  bool SetMute(int32_t m) override {
    devices[bound].mute = m;
    return true;
  }
};

class QuietView : public volume::VolumeView {
 public:
  uint32_t Now() override { return 1000; }
  void SetTrayText(const std::string&) override {}
  void ShowTrayImage(int) override {}
  void SetMuteMenuCaption(std::string_view) override {}
  void ShowMeterKeepingForeground(bool) override {}
  void UpdateTrayIcon(int) override {}
  void ProcessPendingMessages() override {}
  void PauseTimer() override {}
  void ResumeTimer() override {}
  void ShowMessage(std::string_view) override {}
  bool VolumeIconExists() override { return true; }
};

class DevicesCheck : public FakeCheck {
 public:
  app::MainWindowState s;
  PerDeviceEndpoint endpoint;
  QuietView view;
  volume::VolumeOps ops{s, &endpoint, nullptr, view};
  size_t systemDefault = 0;

  DevicesCheck(PerDeviceEndpoint::Device speakers, PerDeviceEndpoint::Device headphones) {
    endpoint.devices = {speakers, headphones};
    s.UseEndpointVolume = true;
    s.StartupComplete = true;
    ops.ReadMute();
    ops.ReadVolume();
  }
  int LastVolume() override { return s.LastVolume; }
  bool SetVolume(int v) override {
    ops.SetVolume(v);
    return s.VolumeSetOk;
  }
  bool SetDefaultPlaybackDevice(size_t i) override {
    systemDefault = i;
    return true;
  }
  void FollowDefaultDevice() override {
    endpoint.bound = systemDefault;
    ops.ReadAfterRebind();
  }
};

std::vector<TDefDeviceTrayIconData> SpeakersAndHeadphones() {
  std::vector<TDefDeviceTrayIconData> p(2);
  p[0].DeviceName = "スピーカー";
  p[1].DeviceName = "ヘッドホン";
  return p;
}

TEST(SpokenCheckTest, EachDeviceEndsAtItsOwnVolumeAndMuteWhateverThePreviousDevicesState) {
  struct Case {
    PerDeviceEndpoint::Device speakers, headphones;
  };
  for (const Case& k : {Case{{0.30f, 1}, {0.80f, 0}}, Case{{0.30f, 0}, {0.80f, 1}}, Case{{0.30f, 1}, {0.80f, 1}},
                        Case{{0.30f, 0}, {0.80f, 0}}}) {
    DevicesCheck c(k.speakers, k.headphones);
    c.defaultName = "スピーカー";
    NormalVolumeCheck("40", 1, SpeakersAndHeadphones(), c);
    const auto& d = c.endpoint.devices;
    EXPECT_FLOAT_EQ(d[1].scalar, 0.80f) << "the checked device, speakers muted " << k.speakers.mute;
    EXPECT_EQ(d[1].mute, k.headphones.mute);
    EXPECT_FLOAT_EQ(d[0].scalar, 0.30f) << "the previous device, headphones muted " << k.headphones.mute;
    EXPECT_EQ(d[0].mute, k.speakers.mute);
    // Back on the previous device, the program's numbers are that device's.
    EXPECT_EQ(c.endpoint.bound, 0u);
    EXPECT_EQ(c.s.LastVolume, 30);
    EXPECT_EQ(c.s.IsMuted, k.speakers.mute != 0);
  }
}

}  // namespace
}  // namespace volmaru::settings
