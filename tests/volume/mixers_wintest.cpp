// The mixer component against the real winmm mixer: Wine's first device has
// a speakers destination with a volume and a mute control, named in code
// page 932. Wine never sends change notifications, so the tests post them to
// the component's hidden window themselves.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "common/handle_win.h"
#include "common/text.h"
#include "volume/mixer_port_win.h"
#include "volume/mixers.h"

namespace volmaru::volume {
namespace {

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

class WinMixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Wine's mixer devices follow its audio endpoints: none without a sound
    // server.
    if (mixerGetNumDevs() == 0) GTEST_SKIP() << "no mixer device";
    mixer.Loaded();
    master = mixer.MasterItem();
    ASSERT_NE(master, nullptr);
  }
  TMixer mixer{SystemMixerPort()};
  TMixerItem* master = nullptr;
};

TEST_F(WinMixerTest, MasterIsTheSpeakersLineWithJapaneseNames) {
  ASSERT_TRUE(master->HasVolumeControl());
  ASSERT_TRUE(master->HasMuteControl());
  EXPECT_EQ(master->LineType, dtSpeakers);
  EXPECT_EQ(master->Device, mixer.FirstDevice());
  EXPECT_TRUE(master->MuteControl()->Flags.contains(cfUniform));
  if (GetACP() != 932) GTEST_SKIP() << "names are checked in the Japanese locale";
  EXPECT_EQ(master->Name, Utf8ToCp932("マスター音量"));  // kept as the platform gave it
  EXPECT_EQ(master->NameUtf8(), "マスター音量");
  EXPECT_EQ(master->VolumeControl()->NameUtf8(), "音量");
  EXPECT_EQ(master->MuteControl()->NameUtf8(), "ミュート");
}

TEST_F(WinMixerTest, VolumeAndMuteRoundTrip) {
  const int32_t oldVolume = mixer.GetMasterVolume();
  const bool oldMute = mixer.GetMasterMute();
  for (const int32_t v : {37, 0, 100, 50}) {
    mixer.SetMasterVolume(v);
    EXPECT_EQ(mixer.GetMasterVolume(), v);
  }
  mixer.SetMasterVolume(150);
  EXPECT_EQ(mixer.GetMasterVolume(), 100);
  // Wine's master volume is one uniform level for both channels: a balance
  // must leave it alone.
  master->SetBalance(100);
  EXPECT_EQ(mixer.GetMasterVolume(), 100);
  EXPECT_EQ(master->GetBalance(), 100);
  mixer.SetMasterMute(!oldMute);
  EXPECT_EQ(mixer.GetMasterMute(), !oldMute);
  mixer.SetMasterMute(oldMute);
  EXPECT_EQ(mixer.GetMasterMute(), oldMute);
  mixer.SetMasterVolume(oldVolume);
}

TEST_F(WinMixerTest, ControlChangeMessagesReachTheEvent) {
  const HWND wnd = reinterpret_cast<HWND>(mixer.CallbackWindow());
  ASSERT_TRUE(IsWindow(wnd));
  const auto handle = static_cast<WPARAM>(mixer.FirstDevice()->Handle());
  const uint32_t volumeID = master->VolumeControl()->ControlID;
  std::vector<uint32_t> seen;
  mixer.OnControlChange = [&](TMixer&, TMixerDev&, TMixerItem& item, TMixerCtrl& ctrl) {
    EXPECT_EQ(&item, master);
    seen.push_back(ctrl.ControlID);
    if (seen.size() == 1) throw std::runtime_error("dropped by the window");
  };
  std::vector<uint32_t> lines;
  mixer.OnLineChange = [&](TMixer&, TMixerDev&, TMixerItem& item) { lines.push_back(item.LineID); };

  ASSERT_TRUE(PostMessageW(wnd, MM_MIXM_CONTROL_CHANGE, handle, volumeID));
  ASSERT_TRUE(PostMessageW(wnd, MM_MIXM_CONTROL_CHANGE, handle, 0x7FFF1234));    // unknown control
  ASSERT_TRUE(PostMessageW(wnd, MM_MIXM_CONTROL_CHANGE, handle + 1, volumeID));  // unknown handle
  ASSERT_TRUE(PostMessageW(wnd, MM_MIXM_CONTROL_CHANGE, handle, volumeID));
  ASSERT_TRUE(PostMessageW(wnd, MM_MIXM_LINE_CHANGE, handle, master->LineID));
  PumpMessages();
  EXPECT_EQ(seen, (std::vector<uint32_t>{volumeID, volumeID}));
  EXPECT_EQ(lines, (std::vector<uint32_t>{master->LineID}));
}

// Counts what the component opens and closes on the real platform (Wine
// accepts any call on a closed mixer handle, so a leak shows nowhere else).
class CountingPort final : public MixerPort {
 public:
  std::vector<MixerHandle> opened, closed;
  MixerPort& real = SystemMixerPort();
  uint32_t GetNumDevs() override { return real.GetNumDevs(); }
  MixerResult GetDevCaps(uint32_t id, MixerCaps& caps, uint32_t size) override {
    return real.GetDevCaps(id, caps, size);
  }
  MixerResult Open(MixerHandle& h, uint32_t id, MixerWindow cb, std::uintptr_t inst, uint32_t flags) override {
    const MixerResult r = real.Open(h, id, cb, inst, flags);
    EXPECT_EQ(flags, cb ? kCallbackWindow : 0u);
    if (r == 0) opened.push_back(h);
    return r;
  }
  MixerResult GetLineInfo(MixerHandle h, MixerLine& l, uint32_t f) override { return real.GetLineInfo(h, l, f); }
  MixerResult GetLineControls(MixerHandle h, MixerLineControls& c, uint32_t f) override {
    return real.GetLineControls(h, c, f);
  }
  MixerResult GetControlDetails(MixerHandle h, MixerControlDetails& d, uint32_t f) override {
    return real.GetControlDetails(h, d, f);
  }
  MixerResult SetControlDetails(MixerHandle h, MixerControlDetails& d, uint32_t f) override {
    return real.SetControlDetails(h, d, f);
  }
  MixerResult Close(MixerHandle h) override {
    const MixerResult r = real.Close(h);
    if (r == 0) closed.push_back(h);
    return r;
  }
  std::unique_ptr<MixerCallbackWindow> CreateCallbackWindow(MixerNotifyTarget& t) override {
    return real.CreateCallbackWindow(t);
  }
};

TEST(WinMixerLifetimeTest, DestroyingTheComponentClosesHandlesAndWindow) {
  const long windowsBefore = LiveHandleCount(HandleKind::kWindow).load();
  CountingPort port;
  HWND wnd = nullptr;
  {
    TMixer mixer{port};
    mixer.Loaded();
    mixer.Scan();  // a second scan reuses the window and closes the first handles
    EXPECT_EQ(LiveHandleCount(HandleKind::kWindow).load(), windowsBefore + 1);
    wnd = reinterpret_cast<HWND>(mixer.CallbackWindow());
    EXPECT_TRUE(IsWindow(wnd));
    if (!mixer.FirstDevice()) GTEST_SKIP() << "no mixer device";
    EXPECT_EQ(port.opened.size(), 2u * mixer.DeviceCount());
    EXPECT_EQ(port.closed.size(), 1u * mixer.DeviceCount());
  }
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(LiveHandleCount(HandleKind::kWindow).load(), windowsBefore);
  EXPECT_EQ(port.closed.size(), port.opened.size());
}

}  // namespace
}  // namespace volmaru::volume
