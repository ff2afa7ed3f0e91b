// The endpoint back-end against Wine's Core Audio over PulseAudio: the
// interface is found, the volume reads as 1.0, and a set that the system
// refuses (Wine answers E_NOTIMPL) changes nothing of ours.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_window_state.h"
#include "common/handle_win.h"
#include "volume/endpoint_win.h"
#include "volume/volume_ops.h"

namespace volmaru::volume {
namespace {

class LogView : public VolumeView {
 public:
  std::vector<std::string> log;
  uint32_t Now() override { return 1; }
  void SetTrayText(const std::string& t) override { log.push_back("text " + t); }
  void ShowTrayImage(int i) override { log.push_back("image " + std::to_string(i)); }
  void SetMuteMenuCaption(std::string_view) override { log.push_back("caption"); }
  void ShowMeterKeepingForeground(bool) override { log.push_back("meter"); }
  void UpdateTrayIcon(int v) override { log.push_back("icon " + std::to_string(v)); }
  void ProcessPendingMessages() override {}
  void PauseTimer() override { log.push_back("timer off"); }
  void ResumeTimer() override { log.push_back("timer on"); }
  void ShowMessage(std::string_view t) override { log.push_back("message " + std::string(t)); }
  bool VolumeIconExists() override { return true; }
};

class EndpointTest : public ::testing::Test {
 protected:
  ComApartment com;
};

TEST_F(EndpointTest, ReadsTheDefaultEndpointAndSurvivesARefusedSet) {
  ComPtr<IAudioEndpointVolume> held = AcquireEndpointVolume();
  ASSERT_TRUE(held) << "no playback endpoint: is the sound server running?";
  EndpointVolumePort port(held);
  app::MainWindowState s;
  s.UseEndpointVolume = true;
  s.StartupComplete = true;
  LogView view;
  VolumeOps ops(s, &port, nullptr, view);

  ops.ReadVolume();
  EXPECT_TRUE(s.VolumeReadOk);
  EXPECT_EQ(s.LastVolume, ops.CurrentVolume());
  EXPECT_GE(s.LastVolume, 0);
  EXPECT_LE(s.LastVolume, 100);
  const int before = s.LastVolume;
  const float scalarBefore = s.EndpointScalar;

  view.log.clear();
  ops.SetVolume(before == 40 ? 41 : 40);
  float now = -1;
  ASSERT_TRUE(port.GetMasterVolumeLevelScalar(now));
  if (now == scalarBefore) {
    // The system refused the set: nothing of ours may claim otherwise.
    EXPECT_FALSE(s.VolumeSetOk);
    EXPECT_EQ(s.LastVolume, before);
    EXPECT_EQ(s.EndpointScalar, scalarBefore);
    EXPECT_EQ(view.log, (std::vector<std::string>{"timer off", "timer on"}));
  } else {
    EXPECT_TRUE(s.VolumeSetOk);  // a system that does set the endpoint
  }
}

TEST_F(EndpointTest, MuteRoundTripsThroughTheHeldInterface) {
  ComPtr<IAudioEndpointVolume> held = AcquireEndpointVolume();
  ASSERT_TRUE(held);
  EndpointVolumePort port(held);
  app::MainWindowState s;
  s.UseEndpointVolume = true;
  LogView view;
  VolumeOps ops(s, &port, nullptr, view);
  ops.ReadMute();
  ASSERT_TRUE(s.MuteReadOk);
  const int32_t start = s.EndpointMute;
  ops.ToggleMute();
  EXPECT_TRUE(s.MuteToggleOk);
  int32_t device = -1;
  ASSERT_TRUE(port.GetMute(device));
  EXPECT_EQ(device, start == 0 ? 1 : 0);
  ops.ToggleMute();
  ASSERT_TRUE(port.GetMute(device));
  EXPECT_EQ(device, start);
}

TEST_F(EndpointTest, WithoutAnInterfaceEveryCallFails) {
  ComPtr<IAudioEndpointVolume> none;
  EndpointVolumePort port(none);
  float f = 0;
  int32_t m = 0;
  EXPECT_FALSE(port.GetMasterVolumeLevelScalar(f));
  EXPECT_FALSE(port.SetMasterVolumeLevelScalar(0.5f));
  EXPECT_FALSE(port.GetMute(m));
  EXPECT_FALSE(port.SetMute(1));
}

}  // namespace
}  // namespace volmaru::volume
