#include "volume/volume_ops.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace volmaru::volume {
namespace {

class FakeEndpoint : public EndpointPort {
 public:
  float scalar = 0.5f;
  int32_t mute = 0;
  bool failGet = false, failSet = false, failMute = false;
  int setCalls = 0;
  bool GetMasterVolumeLevelScalar(float& s) override {
    if (failGet) return false;
    s = scalar;
    return true;
  }
  bool SetMasterVolumeLevelScalar(float s) override {
    ++setCalls;
    if (failSet) return false;
    scalar = s;
    return true;
  }
  bool GetMute(int32_t& m) override {
    if (failGet) return false;
    m = mute;
    return true;
  }
  bool SetMute(int32_t m) override {
    if (failMute) return false;
    mute = m;
    return true;
  }
};

class FakeMixer : public MixerMasterPort {
 public:
  bool master = true, volumeCtl = true, muteCtl = true;
  int volume = 40;
  bool mute = false;
  int touches = 0, muteReads = 0;
  bool throwOnSet = false;  // a mixer error (EMixerError) inside the call
  bool HasMasterItem() override { return master; }
  bool HasVolumeControl() override { return volumeCtl; }
  bool HasMuteControl() override { return muteCtl; }
  int GetMasterVolume() override { return volume; }
  void SetMasterVolume(int v) override {
    if (throwOnSet) throw std::runtime_error("mixerSetControlDetails failed");
    volume = v < 0 ? 0 : v > 100 ? 100 : v;
  }
  bool GetMasterMute() override {
    ++muteReads;
    return mute;
  }
  void SetMasterMute(bool m) override {
    if (throwOnSet) throw std::runtime_error("mixerSetControlDetails failed");
    mute = m;
  }
  bool throwOnTouch = false;
  void TouchMasterItem() override {
    ++touches;
    if (throwOnTouch) throw std::runtime_error("mixerGetControlDetails failed");
  }
};

class RecordingView : public VolumeView {
 public:
  std::vector<std::string> log;
  std::string trayText = "ボルマル";
  int image = 0;
  std::string muteCaption = "ミュート(&M)";
  bool timer = true;
  bool iconFile = true;
  uint32_t now = 5000;

  uint32_t Now() override { return now; }
  void SetTrayText(const std::string& t) override {
    trayText = t;
    log.push_back("text");
  }
  void ShowTrayImage(int i) override {
    image = i;
    log.push_back("image " + std::to_string(i));
  }
  void SetMuteMenuCaption(std::string_view c) override {
    muteCaption = c;
    log.push_back("caption");
  }
  void ShowMeterKeepingForeground(bool refreshOnly) override {
    log.push_back(refreshOnly ? "meter refresh" : "meter draw");
  }
  void UpdateTrayIcon(int v) override {
    image = 0;  // the rendered number goes into slot 0 and is shown
    log.push_back("icon " + std::to_string(v));
  }
  void ProcessPendingMessages() override { log.push_back("pump"); }
  void PauseTimer() override {
    timer = false;
    log.push_back("timer off");
  }
  void ResumeTimer() override {
    timer = true;
    log.push_back("timer on");
  }
  void ShowMessage(std::string_view t) override { log.push_back("message " + std::string(t)); }
  bool VolumeIconExists() override { return iconFile; }
};

struct Harness {
  app::MainWindowState s;
  FakeEndpoint endpoint;
  FakeMixer mixer;
  RecordingView view;
  VolumeOps ops{s, &endpoint, &mixer, view};
  explicit Harness(bool useEndpoint) {
    s.UseEndpointVolume = useEndpoint;
    s.StartupComplete = true;
  }
};

TEST(VolumeOpsTest, ScalarsRoundHalvesToEven) {
  EXPECT_EQ(ScalarToPercent(0.125f), 12);
  EXPECT_EQ(ScalarToPercent(0.375f), 38);
  EXPECT_EQ(ScalarToPercent(1.0f), 100);
  EXPECT_EQ(ScalarToPercent(0.0f), 0);
  for (int n = 0; n <= 100; ++n) {
    EXPECT_EQ(ScalarToPercent(static_cast<float>(n) / 100.0f), n) << "a set value shows as itself: " << n;
  }
}

TEST(VolumeOpsTest, ReadVolumeOnAChangeShowsTheMeterTextAndIconInOrder) {
  Harness h(true);
  h.endpoint.scalar = 0.125f;
  h.ops.ReadVolume();
  EXPECT_TRUE(h.s.VolumeReadOk);
  EXPECT_EQ(h.s.LastVolume, 12);
  EXPECT_EQ(h.s.MeterShownAt, 5000u);
  EXPECT_EQ(h.view.log, (std::vector<std::string>{"meter draw", "text", "pump", "icon 12"}));
  EXPECT_EQ(h.view.trayText, "音量:12\rメインキー:[無変換]");
  // Unchanged: nothing is refreshed.
  h.view.log.clear();
  h.ops.ReadVolume();
  EXPECT_TRUE(h.view.log.empty());
}

TEST(VolumeOpsTest, ReadVolumeBeforeStartUpCompleteLeavesTheMeterAlone) {
  Harness h(true);
  h.s.StartupComplete = false;
  h.ops.ReadVolume();
  EXPECT_EQ(h.view.log, (std::vector<std::string>{"text", "pump", "icon 50"}));
  h.s.IconUpdating = true;
  h.endpoint.scalar = 0.3f;
  h.view.log.clear();
  h.ops.ReadVolume();
  EXPECT_EQ(h.view.log, (std::vector<std::string>{"text", "pump"})) << "no icon while one is being drawn";
}

TEST(VolumeOpsTest, NoPollWhileMutedAndTheChangeAppearsAfterUnmuting) {
  Harness h(true);
  h.ops.ReadVolume();
  h.endpoint.mute = 1;
  h.ops.ReadMute();
  h.endpoint.scalar = 0.8f;  // another program changes the volume
  h.ops.ReadVolume();
  EXPECT_EQ(h.s.LastVolume, 50);
  h.endpoint.mute = 0;
  h.ops.ReadMute();
  h.ops.ReadVolume();
  EXPECT_EQ(h.s.LastVolume, 80);
}

TEST(VolumeOpsTest, ReadMuteSwitchesTextImageCaptionAndMeterOnlyOnAChange) {
  Harness h(true);
  h.s.DefaultDeviceName = "Speakers";
  h.endpoint.mute = 1;
  h.ops.ReadMute();
  EXPECT_TRUE(h.s.IsMuted);
  EXPECT_EQ(h.view.log, (std::vector<std::string>{"text", "image 1", "caption", "meter refresh"}));
  EXPECT_EQ(h.view.trayText, "ミュート\rメインキー:[無変換]\r\n既定の再生デバイス:\r\n Speakers");
  EXPECT_EQ(h.view.muteCaption, "ミュート解除(&M)");
  h.view.log.clear();
  h.ops.ReadMute();
  EXPECT_TRUE(h.view.log.empty());
  h.endpoint.mute = 0;
  h.ops.ReadMute();
  EXPECT_EQ(h.view.log, (std::vector<std::string>{"text", "image 0", "caption", "meter refresh"}));
  EXPECT_EQ(h.view.muteCaption, "ミュート(&M)");
  EXPECT_FALSE(h.s.IsMuted);
  h.view.log.clear();
  h.ops.ReadMute();
  EXPECT_TRUE(h.view.log.empty()) << "no change, no refresh";
}

TEST(VolumeOpsTest, ReadMuteOnTheMixerTakesTheDeviceState) {
  Harness h(false);
  h.mixer.mute = true;
  h.ops.ReadMute();
  EXPECT_EQ(h.s.MixerMute, 1);
  EXPECT_TRUE(h.ops.Muted());
  EXPECT_TRUE(h.s.IsMuted);
  h.mixer.mute = false;
  h.ops.ReadMute();
  EXPECT_EQ(h.s.MixerMute, 0);
  EXPECT_FALSE(h.s.IsMuted);
}

TEST(VolumeOpsTest, UnmutingBeforeAnyNumberWasDrawnKeepsTheMuteImage) {
  Harness h(true);
  h.view.iconFile = false;
  h.endpoint.mute = 1;
  h.ops.ReadMute();
  h.endpoint.mute = 0;
  h.ops.ReadMute();
  EXPECT_EQ(h.view.image, 1);
  h.ops.ToggleMute();
  h.ops.ToggleMute();
  EXPECT_EQ(h.view.image, 1);
}

TEST(VolumeOpsTest, SetVolumeStoresAFloatScalarAndRefreshes) {
  Harness h(true);
  h.ops.SetVolume(29);
  EXPECT_TRUE(h.s.VolumeSetOk);
  EXPECT_EQ(h.s.EndpointScalar, 0.29f);
  EXPECT_EQ(h.ops.CurrentVolume(), 29);
  EXPECT_EQ(h.s.LastVolume, 29);
  EXPECT_EQ(h.view.log, (std::vector<std::string>{"timer off", "text", "icon 29", "timer on"}));
}

TEST(VolumeOpsTest, SetVolumeWhileMutedKeepsTheMuteTextAndShowsTheNumber) {
  Harness h(true);
  h.endpoint.mute = 1;
  h.ops.ReadMute();
  h.view.log.clear();
  h.ops.SetVolume(70);
  EXPECT_EQ(h.endpoint.scalar, 0.7f);
  EXPECT_EQ(h.s.LastVolume, 70);
  EXPECT_EQ(h.view.trayText, "ミュート\rメインキー:[無変換]");
  EXPECT_EQ(h.view.log, (std::vector<std::string>{"timer off", "text", "image 1", "icon 70", "timer on"}));
  EXPECT_EQ(h.view.image, 0) << "the icon ends showing the number";
}

TEST(VolumeOpsTest, AFailedSetChangesNothing) {
  Harness h(true);
  h.ops.ReadVolume();
  h.view.log.clear();
  h.endpoint.failSet = true;
  h.ops.SetVolume(90);
  EXPECT_FALSE(h.s.VolumeSetOk);
  EXPECT_EQ(h.s.LastVolume, 50);
  EXPECT_EQ(h.s.EndpointScalar, 0.5f);
  EXPECT_EQ(h.view.log, (std::vector<std::string>{"timer off", "timer on"}));
}

TEST(VolumeOpsTest, NoEndpointMeansEveryCallFails) {
  Harness h(true);
  h.ops.set_endpoint(nullptr);
  h.ops.ReadVolume();
  h.ops.ReadMute();
  h.ops.SetVolume(10);
  EXPECT_FALSE(h.s.VolumeReadOk || h.s.MuteReadOk || h.s.VolumeSetOk);
}

TEST(VolumeOpsTest, ToggleOnTheEndpointInvertsTheCacheNotAFreshRead) {
  Harness h(true);
  h.ops.ToggleMute();
  EXPECT_EQ(h.endpoint.mute, 1);
  h.endpoint.mute = 0;  // changed behind our back within the same tick
  h.ops.ToggleMute();
  EXPECT_EQ(h.s.EndpointMute, 0);
  EXPECT_EQ(h.endpoint.mute, 0) << "the second toggle wrote the inverse of the cached 1";
  EXPECT_FALSE(h.s.IsMuted);
}

TEST(VolumeOpsTest, ToggleOnTheMixerReadsTheDeviceEachTime) {
  Harness h(false);
  h.ops.ToggleMute();
  EXPECT_TRUE(h.mixer.mute);
  h.mixer.mute = false;  // changed behind our back
  h.ops.ToggleMute();
  EXPECT_TRUE(h.mixer.mute) << "the device state was read, so this toggle mutes again";
  EXPECT_EQ(h.s.MixerMute, 1);
  EXPECT_TRUE(h.s.IsMuted);
}

TEST(VolumeOpsTest, AFailedToggleShowsTheMessageWithItsStepNumber) {
  Harness h(true);
  h.endpoint.failMute = true;
  h.ops.ToggleMute();
  EXPECT_FALSE(h.s.MuteToggleOk);
  EXPECT_EQ(h.view.log,
            (std::vector<std::string>{"timer off", "timer on", "message ミュートを変更できませんでした。(2)"}));
}

TEST(VolumeOpsTest, MixerPathReadsThroughTheChangeHandlerAndSkipsWhileNotifying) {
  Harness h(false);
  h.ops.ReadVolume();
  EXPECT_EQ(h.s.MixerVolume, 40);
  EXPECT_EQ(h.mixer.touches, 1);
  EXPECT_FALSE(h.s.MixerNotifying);
  h.s.MixerNotifying = true;
  h.ops.SetVolume(80);
  h.ops.ToggleMute();
  EXPECT_EQ(h.mixer.volume, 40);
  EXPECT_FALSE(h.mixer.mute);
  EXPECT_FALSE(h.s.VolumeSetOk || h.s.MuteToggleOk);
  h.s.MixerNotifying = false;
  h.mixer.volumeCtl = false;
  h.s.VolumeReadOk = true;
  h.ops.ReadVolume();
  EXPECT_FALSE(h.s.VolumeReadOk) << "no volume control: the read ends";
}

}  // namespace
}  // namespace volmaru::volume

namespace volmaru::volume {
namespace {

// A mixer error in the middle of a set or a toggle must not leave the 100 ms
// loop stopped: polling, hook re-installation and the meter's hiding hang
// on it.
TEST(VolumeOpsTest, AMixerErrorInsideSetOrToggleStillRestartsTheTimer) {
  Harness h(false);
  h.mixer.throwOnSet = true;
  EXPECT_THROW(h.ops.SetVolume(70), std::runtime_error);
  EXPECT_TRUE(h.view.timer);
  EXPECT_FALSE(h.s.VolumeSetOk);
  EXPECT_EQ(h.s.LastVolume, 0) << "nothing is taken over from a set that failed";
  h.view.timer = false;
  EXPECT_THROW(h.ops.ToggleMute(), std::runtime_error);
  EXPECT_TRUE(h.view.timer);
  EXPECT_FALSE(h.s.MuteToggleOk);
}

// The notifying flag keeps sets out while the change handler runs; an error
// inside the handler must not leave it up, or every later set is refused.
TEST(VolumeOpsTest, AMixerErrorInTheChangeHandlerDoesNotBlockLaterSets) {
  Harness h(false);
  h.mixer.throwOnTouch = true;
  EXPECT_THROW(h.ops.ReadVolume(), std::runtime_error);
  EXPECT_FALSE(h.s.MixerNotifying);
  h.mixer.throwOnTouch = false;
  h.ops.SetVolume(70);
  EXPECT_TRUE(h.s.VolumeSetOk);
  EXPECT_EQ(h.mixer.volume, 70);
}

TEST(VolumeOpsTest, WithoutAMixerComponentTheMixerPathReadsNothing) {
  Harness h(false);
  h.ops.set_mixer(nullptr);
  h.s.MuteReadOk = h.s.VolumeReadOk = true;
  h.ops.ReadMute();
  h.ops.ReadVolume();
  EXPECT_FALSE(h.s.MuteReadOk);
  EXPECT_FALSE(h.s.VolumeReadOk);
}

TEST(VolumeOpsTest, MuteToggleEndsWithTheTimerRunning) {
  for (bool endpoint : {true, false}) {
    Harness h(endpoint);
    h.ops.ToggleMute();
    ASSERT_TRUE(h.s.MuteToggleOk);
    EXPECT_TRUE(h.view.timer) << (endpoint ? "endpoint" : "mixer");
    ASSERT_FALSE(h.view.log.empty());
    EXPECT_EQ(h.view.log.back(), "timer on") << (endpoint ? "endpoint" : "mixer");
  }
}

// The mixer path caches what it set: a second quick step starts from the
// first one's result, not from a stale read.
TEST(VolumeOpsTest, TwoQuickStepsOnTheMixerBuildOnEachOther) {
  Harness h(false);
  h.mixer.volume = 50;
  h.ops.ReadVolume();
  ASSERT_EQ(h.ops.CurrentVolume(), 50);
  h.ops.SetVolume(h.ops.CurrentVolume() + 3);
  h.ops.SetVolume(h.ops.CurrentVolume() + 3);
  EXPECT_EQ(h.ops.CurrentVolume(), 56);
  EXPECT_EQ(h.s.MixerVolume, 56);
  EXPECT_EQ(h.mixer.volume, 56);
}

}  // namespace
}  // namespace volmaru::volume
