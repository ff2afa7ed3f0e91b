#include "settings/window/spoken_check.h"

#include <optional>

#include "common/timer_pause.h"
#include "settings/window/settei_rules.h"
#include "tray/tooltip_text.h"

namespace volmaru::settings {
namespace {

// Read as the normal-volume group's own store reads it, so a value the
// check refuses is never one the settings would take, nor the other way.
std::optional<int> NormalVolumeOf(std::string_view text) {
  const std::optional<int> v = ParseFieldInteger(text);
  if (!v || *v < 0 || *v > 100) return std::nullopt;
  return v;
}

std::optional<size_t> IndexNamed(const std::vector<TDefDeviceTrayIconData>& profiles, const std::string& name) {
  for (size_t i = 0; i < profiles.size(); ++i) {
    if (profiles[i].DeviceName == name) return i;
  }
  return std::nullopt;
}

}  // namespace

std::string CheckPhrase(int volume) { return "おんりょ'う/<NUMK VAL=" + std::to_string(volume) + ">です。"; }

std::string PlainCheckSentence(int volume) { return "音量" + std::to_string(volume) + "です。"; }

void SpeakVolumeCheck(int volume, SpokenCheckPort& port) {
  const TimerPause<SpokenCheckPort> hold(port);
  const int back = port.LastVolume();
  if (!port.SetVolume(volume)) return;  // nothing to speak, nothing to set back
  if (port.Speak(volume) != 0) port.ShowMessage(kSpeechFailedText);
  port.SetVolume(back);
}

void BandVolumeCheck(const std::vector<TDefDeviceTrayIconData>& workingProfiles, int bandOffset,
                     SpokenCheckPort& port) {
  const std::optional<size_t> i = IndexNamed(workingProfiles, port.DefaultDeviceName());
  if (!i) return;
  int volume = workingProfiles[*i].NormalVolume + bandOffset;
  if (volume < 0) volume = 0;
  if (volume > 100) volume = 100;
  SpeakVolumeCheck(volume, port);
}

void NormalVolumeCheck(std::string_view fieldText, size_t selected,
                       const std::vector<TDefDeviceTrayIconData>& workingProfiles, SpokenCheckPort& port) {
  port.EnableNormalVolumeCheckButton(false);
  struct Reenable {
    SpokenCheckPort& p;
    ~Reenable() { p.EnableNormalVolumeCheckButton(true); }
  } reenable{port};

  const std::optional<int> volume = NormalVolumeOf(fieldText);
  if (!volume) {
    port.ShowMessage(kNormalVolumeRangeText);
    return;
  }
  if (selected >= workingProfiles.size()) return;
  const std::optional<size_t> previous = IndexNamed(workingProfiles, port.DefaultDeviceName());
  bool switched = false;
  if (!previous || *previous != selected) {
    if (!port.SetDefaultPlaybackDevice(selected)) {
      port.ShowMessage(kCheckSwitchFailedText);
      return;
    }
    port.SetDefaultDeviceName(workingProfiles[selected].DeviceName);
    port.FollowDefaultDevice();
    port.UpdateTrayIcon(*volume);
    switched = true;
  }
  SpeakVolumeCheck(*volume, port);
  port.WaitLettingMessagesRun(kAfterCheckWaitMs);
  if (switched && previous) {
    // Back to the device that was the default; when that fails the chosen
    // one stays, and nothing is said.
    if (port.SetDefaultPlaybackDevice(*previous)) {
      port.SetDefaultDeviceName(workingProfiles[*previous].DeviceName);
      port.FollowDefaultDevice();
      port.UpdateTrayIcon(port.LastVolume());
      port.SetBalloonAndTip(tray::DeviceSwitchTooltip(port.LastVolume(), port.MainKeyName(), port.DefaultDeviceName()));
    }
  }
}

}  // namespace volmaru::settings
