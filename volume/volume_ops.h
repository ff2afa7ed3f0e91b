// Reading, setting and muting the master volume over both back-ends, and
// mirroring every change in the tray (tooltip, picture, icon), the mute item
// of the menu and the meter. The only place where the program touches the
// volume.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/main_window_state.h"

namespace volmaru::volume {

// The endpoint interface of the default playback device; calls fail (false)
// when there is none.
class EndpointPort {
 public:
  virtual ~EndpointPort() = default;
  virtual bool GetMasterVolumeLevelScalar(float& scalar) = 0;
  virtual bool SetMasterVolumeLevelScalar(float scalar) = 0;
  virtual bool GetMute(int32_t& mute) = 0;
  virtual bool SetMute(int32_t mute) = 0;
};

// The master line of the mixer component.
class MixerMasterPort {
 public:
  virtual ~MixerMasterPort() = default;
  virtual bool HasMasterItem() = 0;
  virtual bool HasVolumeControl() = 0;
  virtual bool HasMuteControl() = 0;
  virtual int GetMasterVolume() = 0;  // 0..100
  virtual void SetMasterVolume(int volume) = 0;
  virtual bool GetMasterMute() = 0;
  virtual void SetMasterMute(bool mute) = 0;
  // Asks the component for its master item once (what the change handler
  // does).
  virtual void TouchMasterItem() = 0;
};

// What the operations change besides the state: the tray, the menu, the
// meter, the timer.
class VolumeView {
 public:
  virtual ~VolumeView() = default;
  virtual uint32_t Now() = 0;
  // Sets the balloon text, then the tooltip to the same text.
  virtual void SetTrayText(const std::string& text) = 0;
  virtual void ShowTrayImage(int index) = 0;  // 0 volume, 1 mute
  virtual void SetMuteMenuCaption(std::string_view caption) = 0;
  // Shows the meter without taking the foreground from the active program,
  // then draws it (DrawMeter) or refreshes it (RefreshMeter).
  virtual void ShowMeterKeepingForeground(bool refreshOnly) = 0;
  virtual void UpdateTrayIcon(int volume) = 0;
  virtual void ProcessPendingMessages() = 0;
  // The main timer, held still by counted pauses (common/timer_pause.h).
  virtual void PauseTimer() = 0;
  virtual void ResumeTimer() = 0;
  virtual void ShowMessage(std::string_view text) = 0;
  virtual bool VolumeIconExists() = 0;  // DataFolder + "Volume.ico"
};

inline constexpr std::string_view kMuteToggleFailed = "ミュートを変更できませんでした。(2)";

// Whole percent from an endpoint scalar: halves go to the even neighbour.
int ScalarToPercent(float scalar);

class VolumeOps {
 public:
  // `endpoint` is used when state.UseEndpointVolume, `mixer` otherwise;
  // either may be null (then every call of that back-end fails).
  VolumeOps(app::MainWindowState& state, EndpointPort* endpoint, MixerMasterPort* mixer, VolumeView& view)
      : s_(state), endpoint_(endpoint), mixer_(mixer), view_(view) {}

  void set_endpoint(EndpointPort* endpoint) { endpoint_ = endpoint; }
  void set_mixer(MixerMasterPort* mixer) { mixer_ = mixer; }

  bool Muted() const { return s_.MixerMute == 1 || s_.EndpointMute != 0; }
  int CurrentVolume() const;

  void ReadVolume();
  void ReadMute();
  // After the volume control was bound to another device: that device's
  // own mute state, then its volume, read even while it is muted, so that
  // LastVolume (the volume a caller returns to) is never the previous
  // device's.
  void ReadAfterRebind();
  void SetVolume(int volume);
  void ToggleMute();
  void Mixer1ControlChange();

 private:
  void VolumeText(int volume);
  void MuteText();

  app::MainWindowState& s_;
  EndpointPort* endpoint_;
  MixerMasterPort* mixer_;
  VolumeView& view_;
};

}  // namespace volmaru::volume
