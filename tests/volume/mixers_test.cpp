#include "volume/mixers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "tests/volume/fake_mixer.h"

namespace volmaru::volume {
namespace {

namespace fake = testing;
using fake::FakeControl;
using fake::FakeLine;
using fake::Line;
using fake::Meter;
using fake::Mute;
using fake::Volume;
using Write = fake::FakeMixerPort::Write;
using Writes = std::vector<Write>;

class MixerTest : public ::testing::Test {
 protected:
  TMixer& Scan() {
    mixer = std::make_unique<TMixer>(port);
    mixer->Loaded();
    return *mixer;
  }
  // The master line of one device with one speakers destination.
  TMixerItem& Master(std::vector<FakeControl> controls, uint32_t channels = 2) {
    port.devices = {{"Dev", {Line(fake::kDstSpeakers, std::move(controls))}}};
    port.devices[0].destinations[0].channels = channels;
    Scan();
    return *mixer->MasterItem();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int32_t i = 0; i < mixer->FirstDevice()->ItemCount(); ++i)
      names.push_back(mixer->FirstDevice()->ItemAt(i)->Name);
    return names;
  }
  std::vector<uint32_t>& Values(uint32_t id) { return port.FindControl(0, id)->values; }

  fake::FakeMixerPort port;
  std::unique_ptr<TMixer> mixer;
};

TEST(MixerTextTest, NamesRoundingAndFixedText) {
  EXPECT_EQ(LineTypeNames[dtVoiceIn], "Voice");
  EXPECT_EQ(ControlTypeNames[ctUnknown], "Unknow");
  EXPECT_EQ(ControlTypeOf(0x50030005), ctUnknown);
  EXPECT_EQ(LineTypeOf(0x0009), ltUnknown);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  // A lead byte in the 64th place loses its half character...
  const std::string cut = std::string(63, 'a') + "\x83";
  EXPECT_EQ(FixedText(cut.data(), 64), std::string(63, 'a'));
  // ...a trail byte with a lead byte's value does not ("メ" is 83 81).
  const std::string whole = std::string(62, 'a') + "\x83\x81";
  EXPECT_EQ(FixedText(whole.data(), 64), whole);
  EXPECT_EQ(FixedText("ab\x83\0cd", 6), "ab");
}

TEST_F(MixerTest, NoUsableDeviceLeavesNoMaster) {
  Scan();
  EXPECT_EQ(mixer->DeviceCount(), 0);
  port.devices = {{"A", {Line(fake::kDstSpeakers, {Volume(1, {9, 9}), Mute(2, false)})}}};
  port.devices.push_back(port.devices[0]);
  port.devices[0].capsResult = kMmsyserrNoDriver;
  port.devices[1].openResult = kMmsyserrNoMem;
  Scan();
  EXPECT_EQ(mixer->DeviceCount(), 0);
  EXPECT_EQ(port.openWindows.size(), 0u);  // no caps, no open
  EXPECT_EQ(mixer->MasterItem(), nullptr);
  EXPECT_EQ(mixer->GetMasterVolume(), -1);
  EXPECT_FALSE(mixer->GetMasterMute());
  mixer->SetMasterVolume(50);
  mixer->SetMasterMute(true);
  EXPECT_TRUE(port.writes.empty());
}

TEST_F(MixerTest, DefaultFilterKeepsSpeakersAndWaveInLinesWithVolumeOrMute) {
  port.devices = {
      {"Dev",
       {Line(fake::kDstSpeakers, {Meter(1), Volume(2, {}), Mute(3, false)},
             {Line(fake::kSrcWaveOut, {Volume(4, {})}, {}, "Wave"),
              Line(fake::kSrcMicrophone, {Volume(5, {})}, {}, "Mic"), Line(fake::kSrcLine, {Meter(6)}, {}, "Meter"),
              Line(fake::kSrcCompactDisc, {}, {}, "CD"), Line(fake::kSrcLine, {Mute(7, true)}, {}, "LineIn")},
             "Spk"),
        Line(fake::kDstHeadphones, {Volume(8, {})}, {}, "Phones"),
        Line(fake::kDstWaveIn, {}, {Line(fake::kSrcLine, {Volume(9, {})}, {}, "Rec")}, "In")}}};
  Scan();
  const TMixerDev& d = *mixer->FirstDevice();
  ASSERT_EQ(Names(), (std::vector<std::string>{"Spk", "Wave", "LineIn", "In", "Rec"}));
  EXPECT_EQ(d.ControlCount(), 5);
  EXPECT_EQ(d.ItemCapacity(), 8);  // grown four at a time
  const TMixerItem& spk = *d.ItemAt(0);
  EXPECT_EQ(spk.VolumeControl()->ControlID, 2u);
  EXPECT_TRUE(spk.MuteControl()->Flags.contains(cfUniform));  // every mute is one value
  EXPECT_FALSE(spk.VolumeControl()->Flags.contains(cfUniform));
  EXPECT_EQ(d.ItemAt(1)->Destination, &spk);
  EXPECT_EQ(d.ItemAt(2)->FirstControl, 3);
  EXPECT_EQ(d.ItemAt(2)->VolumeControl(), nullptr);  // the walk ends at the next item's run
  EXPECT_FALSE(d.ItemAt(3)->HasControls());          // kept for its source
  EXPECT_EQ(d.ItemAt(4)->DestinationType(), dtWaveIn);
  EXPECT_EQ(d.ItemAt(4)->DestinationIndex, 2);
  EXPECT_EQ(d.FindItemByType(ltLine, 3), d.ItemAt(4));

  port.devices = {
      {"Dev", {Line(fake::kDstSpeakers, {Meter(1)}, {Line(fake::kSrcWaveOut, {Meter(2)}), Line(fake::kSrcLine, {})})}}};
  Scan();
  EXPECT_EQ(mixer->FirstDevice()->ItemCount(), 0);
  mixer->EnableInvalidItem = true;
  mixer->Scan();
  EXPECT_EQ(mixer->FirstDevice()->ItemCount(), 3);
}

TEST_F(MixerTest, PlatformFailuresInTheScanAreSkippedSilently) {
  FakeLine broken = Line(fake::kDstWaveIn, {Volume(1, {})});
  broken.infoResult = kMmsyserrError;
  FakeLine speakers = Line(fake::kDstSpeakers, {Volume(2, {})}, {Line(fake::kSrcWaveOut, {Volume(3, {})})});
  speakers.sources[0].infoResult = kMmsyserrError;
  port.devices = {{"A", {broken, speakers}}, {"B", {speakers}}};
  Scan();
  ASSERT_EQ(mixer->DeviceCount(), 2);
  EXPECT_EQ(mixer->DeviceAt(0)->ItemCount(), 0);  // a failing destination ends the device
  EXPECT_EQ(mixer->DeviceAt(1)->ItemCount(), 1);
}

// A source whose control list cannot be read stays, without controls; its
// destination must stay with it, or the source would point at a destroyed line.
TEST_F(MixerTest, DestinationStaysWhileASourceWithUnreadableControlsRefersToIt) {
  FakeLine speakers = Line(fake::kDstSpeakers, {Meter(1)}, {Line(fake::kSrcLine, {Volume(2, {})})});
  speakers.sources[0].controlsResult = kMmsyserrNoMem;
  port.devices = {{"Dev", {speakers}}};
  Scan();
  const TMixerDev& d = *mixer->FirstDevice();
  ASSERT_EQ(d.ItemCount(), 2);
  EXPECT_FALSE(d.ItemAt(1)->HasControls());
  EXPECT_EQ(d.ItemAt(1)->DestinationType(), dtSpeakers);
}

TEST_F(MixerTest, OptionsAndNameRules) {
  FakeLine speakers = Line(fake::kDstSpeakers, {Volume(1, {}, Utf8ToCp932("音量"))}, {}, std::string(63, 'n') + "\x83");
  port.devices = {{std::string(31, 'd') + "\x83", {speakers}}};
  Scan();
  const TMixerDev& d = *mixer->FirstDevice();
  EXPECT_EQ(d.Name.size(), 32u);  // the product name keeps its last byte
  EXPECT_EQ(d.ItemAt(0)->Name, std::string(63, 'n'));
  EXPECT_EQ(d.ControlAt(0)->NameUtf8(), "音量");
  EXPECT_EQ(d.ControlAt(0)->Bounds.value()[1], 65535u);
  mixer->Options = {moNoDeviceName, moNoLineName, moNoControlName, moNoControlBounds};
  mixer->Scan();
  const TMixerDev& e = *mixer->FirstDevice();
  EXPECT_EQ(e.Name + e.ItemAt(0)->Name + e.ControlAt(0)->Name, "");
  EXPECT_FALSE(e.ControlAt(0)->Bounds.has_value());
}

TEST_F(MixerTest, ScansOpenWithTheWindowAndEveryHandleIsClosed) {
  port.devices = {{"A", {Line(fake::kDstSpeakers, {Volume(1, {})})}}, {"B", {}}};
  Scan();
  mixer->Scan();
  EXPECT_EQ(port.windowsCreated, 1);
  EXPECT_EQ(port.openWindows, (std::vector<MixerWindow>(4, fake::FakeMixerPort::kWindow)));
  EXPECT_EQ(port.openFlags, (std::vector<uint32_t>(4, kCallbackWindow)));
  EXPECT_EQ(port.closed.size(), 2u);
  mixer.reset();
  EXPECT_TRUE(port.open.empty());
  EXPECT_EQ(port.windowsDestroyed, 1);
  port.haveWindow = false;
  Scan();
  EXPECT_EQ(port.openFlags.back(), 0u);
}

TEST_F(MixerTest, MasterIsTheFirstSpeakersDestinationOfTheFirstDevice) {
  port.devices = {{"A", {Line(fake::kDstWaveIn, {Volume(1, {})}), Line(fake::kDstSpeakers, {Volume(2, {})})}}};
  Scan();
  EXPECT_EQ(mixer->MasterItem(), mixer->FirstDevice()->ItemAt(1));
  port.devices = {{"A", {Line(fake::kDstWaveIn, {Volume(1, {})})}}, {"B", {Line(fake::kDstSpeakers, {Volume(2, {})})}}};
  Scan();
  EXPECT_EQ(mixer->DeviceCount(), 2);
  EXPECT_EQ(mixer->MasterItem(), nullptr);
}

TEST_F(MixerTest, MonoLineUsesOneValueAndKeepsItsRatio) {
  TMixerItem& item = Master({Volume(1, {40000})}, 1);
  EXPECT_EQ(item.GetVolume(), 61);
  item.SetVolume(50);
  EXPECT_EQ(port.writes, (Writes{{1, {32768}}}));
  EXPECT_EQ(item.BalanceRatio, 1.0f);
  item.SetVolume(50);
  EXPECT_EQ(port.writes.size(), 1u) << "the level is there already: no second write";
}

TEST_F(MixerTest, ALineWithoutAVolumeControlReadsMinusOne) {
  TMixerItem& item = Master({Mute(2, false)});
  EXPECT_FALSE(item.HasVolumeControl());
  EXPECT_EQ(item.GetVolume(), -1);
}

TEST_F(MixerTest, StereoVolumeKeepsTheBalance) {
  TMixerItem& item = Master({Volume(1, {65535, 32768})});
  EXPECT_EQ(mixer->GetMasterVolume(), 100);
  EXPECT_EQ(item.BalanceRatio, static_cast<float>(32768.0 / 65535.0));
  mixer->SetMasterVolume(50);
  mixer->SetMasterVolume(50);  // the levels are there already: no second write
  EXPECT_EQ(port.writes, (Writes{{1, {32768, 16384}}}));

  Values(1) = {1000, 1500};  // too quiet to tell a balance
  EXPECT_EQ(item.GetVolume(), 2);
  EXPECT_EQ(item.BalanceRatio, static_cast<float>(32768.0 / 65535.0));

  Values(1) = {0, 40000};  // nothing on the left: all right
  item.GetVolume();
  EXPECT_EQ(item.BalanceRatio, 131071.0f);
  EXPECT_EQ(item.GetBalance(), 100);
  item.SetVolume(100);
  EXPECT_EQ(port.writes.back(), (Write{1, {0, 65535}}));

  mixer->Options = {moNoBalanceAutoUpdate};
  Values(1) = {65535, 65535};
  item.GetVolume();
  EXPECT_EQ(item.BalanceRatio, 131071.0f);
}

// The volume of a stereo line is its louder channel, whichever side it is
// on: 40000 / 65535 = 61.04 %.
TEST_F(MixerTest, StereoVolumeReadsTheLouderChannel) {
  TMixerItem& item = Master({Volume(1, {20000, 40000})});
  EXPECT_EQ(item.GetVolume(), 61);
  EXPECT_EQ(mixer->GetMasterVolume(), 61);
  Values(1) = {40000, 20000};
  EXPECT_EQ(item.GetVolume(), 61);
}

TEST_F(MixerTest, SetVolumeClampsAndRoundsHalvesToEven) {
  TMixerItem& item = Master({Volume(1, {0, 0})});
  for (const int32_t v : {150, 100, -5, 10, 30, 90}) item.SetVolume(v);  // 6553.5, 19660.5, 58981.5
  EXPECT_EQ(port.writes,
            (Writes{{1, {65535, 65535}}, {1, {0, 0}}, {1, {6554, 6554}}, {1, {19660, 19660}}, {1, {58982, 58982}}}));
}

TEST_F(MixerTest, BalanceAndChannelsBeyondTheSecond) {
  TMixerItem& item = Master({Volume(1, {65535, 65535, 30, 70000})}, 4);
  item.SetBalance(25);
  EXPECT_EQ(item.GetBalance(), 25);
  item.SetBalance(0);
  item.SetChannelValues({70000, 5});
  EXPECT_EQ(port.writes,
            (Writes{{1, {65535, 21845, 30, 70000}}, {1, {65535, 0, 30, 70000}}, {1, {65535, 5, 30, 70000}}}));
}

// A uniform volume control has one level for all channels (Wine's master
// line has one): reading it must not turn into "all left", and a balance
// must not lower that one level.
TEST_F(MixerTest, UniformVolumeControlHasNoBalance) {
  FakeControl v = Volume(1, {40000});
  v.flags = 0x1;
  TMixerItem& item = Master({v});
  EXPECT_EQ(item.GetVolume(), 61);
  EXPECT_EQ(item.GetBalance(), 50);
  item.SetBalance(100);
  EXPECT_EQ(item.GetVolume(), 61);
}

TEST_F(MixerTest, MuteReadsAndWritesOneValue) {
  TMixerItem& item = Master({Volume(1, {0, 0}), Mute(2, false)});
  EXPECT_FALSE(mixer->GetMasterMute());
  EXPECT_EQ(port.reads.back().details.cChannels, 1u);
  mixer->SetMasterMute(false);
  mixer->SetMasterMute(true);
  mixer->SetMasterMute(true);
  EXPECT_EQ(port.writes, (Writes{{2, {1}}}));
  EXPECT_TRUE(item.GetMute());
  mixer->SetMasterMute(false);
  EXPECT_EQ(port.writes, (Writes{{2, {1}}, {2, {0}}})) << "unmuting writes 0";
  EXPECT_FALSE(item.GetMute());
  TMixerItem& silent = Master({Volume(1, {0, 0})});
  EXPECT_FALSE(silent.GetMute());
  silent.SetMute(true);
  EXPECT_EQ(port.writes.size(), 2u) << "no mute control, nothing written";
}

template <typename Call>
void ExpectError(Call call, const char* message, uint32_t code, const TMixerCtrl* control) {
  try {
    call();
    ADD_FAILURE() << "no error";
  } catch (const EMixerError& e) {
    EXPECT_STREQ(e.what(), message);
    EXPECT_EQ(e.ErrorCode, code);
    EXPECT_EQ(e.Control, control);
  }
}

TEST_F(MixerTest, ArgumentChecksRaiseInvalidParameterWithTheControlName) {
  port.devices = {{"Dev",
                   {Line(fake::kDstSpeakers, {Volume(1, {7, 8}, Utf8ToCp932("音量"))},
                         {Line(fake::kSrcWaveOut, {Volume(2, {})})})}}};
  Scan();
  TMixerItem& master = *mixer->MasterItem();
  const TMixerCtrl* volume = master.VolumeControl();
  std::vector<int32_t> signedValues(2);
  std::vector<uint32_t> values(2), one(1);
  const char* invalid = "無効なパラメータです(音量)";
  ExpectError([&] { master.GetSignedValues(*volume, signedValues); }, invalid, 11, volume);  // wrong kind
  ExpectError([&] { master.GetUnsignedValues(*volume, one); }, invalid, 11, volume);         // too small
  ExpectError([&] { master.SetUnsignedValues(*volume, one); }, invalid, 11, volume);
  ExpectError([&] { master.SetListTexts(*volume, {}); }, invalid, 11, volume);
  const TMixerCtrl* other = mixer->FirstDevice()->ItemAt(1)->VolumeControl();
  ExpectError([&] { master.GetUnsignedValues(*other, values); }, "無効なパラメータです(Volume)", 11, other);
  EXPECT_TRUE(port.reads.empty());
  EXPECT_TRUE(port.writes.empty());
  master.GetUnsignedValues(*volume, values);
  EXPECT_EQ(values, (std::vector<uint32_t>{7, 8}));

  port.FindControl(0, 1)->getResult = kMixerrInvalControl;
  ExpectError([&] { master.GetVolume(); }, "無効なコントロールです(音量)", 1025, volume);
  port.FindControl(0, 1)->getResult = 1026;
  ExpectError([&] { master.GetVolume(); }, "不明なエラー:1026(音量)", 1026, volume);
}

TEST_F(MixerTest, ListTextsOfAMultipleItemControl) {
  FakeControl mux{1, fake::kMux, {}, "Src", 0x3, 3};  // uniform, multiple, three items
  port.devices = {{"Dev", {Line(fake::kDstWaveIn, {mux})}}};
  mixer = std::make_unique<TMixer>(port);
  mixer->Target.ControlType += ctMux;
  mixer->Loaded();
  TMixerItem& item = *mixer->FirstDevice()->ItemAt(0);
  const TMixerCtrl& c = *item.FindControl({ctMux});
  std::vector<MixerListText> texts(3);
  texts[2].dwParam1 = 9;
  item.GetListTexts(c, texts);
  EXPECT_EQ(texts[2].dwParam1, 0u);  // cleared before the call
  ASSERT_EQ(port.reads.size(), 1u);
  EXPECT_EQ(port.reads[0].flags, 0x80000001u);
  EXPECT_EQ(port.reads[0].details.cbDetails, 72u);
  EXPECT_EQ(port.reads[0].details.cMultipleItems, 3u);
  item.SetListTexts(c, texts);
  EXPECT_TRUE(port.writes.empty());
}

TEST_F(MixerTest, ChangeNotificationsOnlyForKeptLinesAndControls) {
  port.devices = {
      {"Dev", {Line(fake::kDstSpeakers, {Volume(1, {}), Meter(2)}, {Line(fake::kSrcMicrophone, {Volume(3, {})})})}}};
  Scan();
  const MixerHandle h = fake::FakeMixerPort::HandleOf(0);
  mixer->ControlChanged(h, 1);  // nobody listening
  std::vector<uint32_t> controls, lines;
  mixer->OnControlChange = [&](TMixer& sender, TMixerDev& dev, TMixerItem& item, TMixerCtrl& ctrl) {
    EXPECT_EQ(&sender, mixer.get());
    EXPECT_EQ(&dev, mixer->FirstDevice());
    EXPECT_EQ(ctrl.Item, &item);
    controls.push_back(ctrl.ControlID);
  };
  mixer->OnLineChange = [&](TMixer&, TMixerDev&, TMixerItem& item) { lines.push_back(item.LineID); };
  ASSERT_EQ(port.target, mixer.get());
  for (const uint32_t id : {1, 2, 3}) port.target->ControlChanged(h, id);  // 2 and 3 were filtered out
  port.target->ControlChanged(h + 1, 1);                                   // no such device
  const FakeLine& speakers = port.devices[0].destinations[0];
  port.target->LineChanged(h, speakers.lineID);
  port.target->LineChanged(h, speakers.sources[0].lineID);
  EXPECT_EQ(controls, (std::vector<uint32_t>{1}));
  EXPECT_EQ(lines, (std::vector<uint32_t>{speakers.lineID}));

  // A removed item leaves its controls without an item: no event for them.
  TMixerDev& d = *mixer->FirstDevice();
  EXPECT_EQ(d.RemoveItem(d.ItemAt(0)), 0);
  EXPECT_EQ(d.RemoveItem(d.ItemAt(0)), -1);
  port.target->ControlChanged(h, 1);
  EXPECT_EQ(controls.size(), 1u);
}

}  // namespace
}  // namespace volmaru::volume
