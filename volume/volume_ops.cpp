#include "volume/volume_ops.h"

#include <cmath>

#include "common/timer_pause.h"
#include "tray/popup_menu.h"
#include "tray/tooltip_text.h"

namespace volmaru::volume {

int ScalarToPercent(float scalar) {
  // The default rounding mode sends halves to the even neighbour.
  return static_cast<int>(std::nearbyint(static_cast<double>(scalar) * 100.0));
}

int VolumeOps::CurrentVolume() const {
  return s_.UseEndpointVolume ? ScalarToPercent(s_.EndpointScalar) : s_.MixerVolume;
}

void VolumeOps::VolumeText(int volume) {
  view_.SetTrayText(tray::VolumeTooltip(volume, s_.Keyboard.MainKey.name, s_.DefaultDeviceName));
}

void VolumeOps::MuteText() { view_.SetTrayText(tray::MuteTooltip(s_.Keyboard.MainKey.name, s_.DefaultDeviceName)); }

void VolumeOps::ReadVolume() {
  if (Muted()) return;  // the volume is not polled while muted
  s_.VolumeReadOk = false;
  int v = 0;
  if (s_.UseEndpointVolume) {
    float scalar = 0;
    if (!endpoint_ || !endpoint_->GetMasterVolumeLevelScalar(scalar)) return;
    s_.EndpointScalar = scalar;
    v = ScalarToPercent(scalar);
  } else {
    if (!mixer_ || !mixer_->HasMasterItem() || !mixer_->HasVolumeControl()) return;
    Mixer1ControlChange();
    s_.MixerVolume = mixer_->GetMasterVolume();
    v = mixer_->GetMasterVolume();
  }
  s_.VolumeReadOk = true;
  if (v == s_.LastVolume) return;
  s_.LastVolume = v;
  if (s_.StartupComplete) {
    s_.MeterShownAt = view_.Now();
    view_.ShowMeterKeepingForeground(false);
  }
  VolumeText(s_.LastVolume);
  view_.ProcessPendingMessages();
  if (!s_.IconUpdating) view_.UpdateTrayIcon(v);
}

void VolumeOps::ReadAfterRebind() {
  ReadMute();
  if (!Muted()) {
    ReadVolume();
    return;
  }
  s_.VolumeReadOk = false;
  int v = 0;
  if (s_.UseEndpointVolume) {
    float scalar = 0;
    if (!endpoint_ || !endpoint_->GetMasterVolumeLevelScalar(scalar)) return;
    s_.EndpointScalar = scalar;
    v = ScalarToPercent(scalar);
  } else {
    if (!mixer_ || !mixer_->HasMasterItem() || !mixer_->HasVolumeControl()) return;
    Mixer1ControlChange();
    s_.MixerVolume = mixer_->GetMasterVolume();
    v = s_.MixerVolume;
  }
  s_.VolumeReadOk = true;
  if (v == s_.LastVolume) return;
  s_.LastVolume = v;
  // Slot 0 takes this device's number for the moment the mute ends; the
  // tray keeps showing the mute picture meanwhile.
  if (!s_.IconUpdating) {
    view_.UpdateTrayIcon(v);
    view_.ShowTrayImage(1);
  }
}

void VolumeOps::ReadMute() {
  s_.MuteReadOk = false;
  if (s_.UseEndpointVolume) {
    int32_t mute = 0;
    if (!endpoint_ || !endpoint_->GetMute(mute)) return;
    s_.EndpointMute = mute;
  } else {
    if (!mixer_ || !mixer_->HasMasterItem() || !mixer_->HasMuteControl()) return;
    Mixer1ControlChange();
    s_.MixerMute = mixer_->GetMasterMute() ? 1 : 0;
  }
  s_.MuteReadOk = true;
  if (Muted()) {
    if (!s_.IsMuted) {
      MuteText();
      view_.ShowTrayImage(1);
      view_.SetMuteMenuCaption(tray::kCaptionUnmute);
      if (s_.StartupComplete) {
        s_.MeterShownAt = view_.Now();
        view_.ShowMeterKeepingForeground(true);
      }
    }
    s_.IsMuted = true;
  } else {
    if (s_.IsMuted) {
      VolumeText(s_.LastVolume);
      // Before the first number was drawn, slot 0 holds no number yet.
      if (view_.VolumeIconExists() && !s_.IconUpdating) view_.ShowTrayImage(0);
      view_.SetMuteMenuCaption(tray::kCaptionMute);
      if (s_.StartupComplete) {
        s_.MeterShownAt = view_.Now();
        view_.ShowMeterKeepingForeground(true);
      }
    }
    s_.IsMuted = false;
  }
}

void VolumeOps::SetVolume(int n) {
  const TimerPause<VolumeView> hold(view_);
  s_.VolumeSetOk = false;
  if (s_.UseEndpointVolume) {
    const float scalar = static_cast<float>(n) / 100.0f;
    if (!endpoint_ || !endpoint_->SetMasterVolumeLevelScalar(scalar)) return;
    s_.EndpointScalar = scalar;
  } else {
    if (s_.MixerNotifying || !mixer_) return;
    mixer_->SetMasterVolume(n);
    s_.MixerVolume = n;
  }
  s_.VolumeSetOk = true;
  s_.LastVolume = n;
  if (Muted()) {
    MuteText();
    view_.ShowTrayImage(1);
  } else {
    VolumeText(n);
  }
  if (!s_.IconUpdating) view_.UpdateTrayIcon(s_.LastVolume);
}

void VolumeOps::ToggleMute() {
  s_.MuteToggleOk = false;
  {
    const TimerPause<VolumeView> hold(view_);
    if (s_.UseEndpointVolume) {
      // The cached state is inverted, not a fresh read.
      const int32_t next = s_.EndpointMute == 0 ? 1 : 0;
      if (!endpoint_ || !endpoint_->SetMute(next)) {
        // The timer runs again before the message box opens.
      } else {
        s_.EndpointMute = next;
        s_.MuteToggleOk = true;
      }
    } else {
      if (s_.MixerNotifying || !mixer_) return;
      mixer_->SetMasterMute(!mixer_->GetMasterMute());
      s_.MixerMute = mixer_->GetMasterMute() ? 1 : 0;
      s_.MuteToggleOk = true;
    }
    if (s_.MuteToggleOk) {
      if (Muted()) {
        s_.IsMuted = true;
        MuteText();
        view_.ShowTrayImage(1);
        view_.SetMuteMenuCaption(tray::kCaptionUnmute);
      } else {
        s_.IsMuted = false;
        if (view_.VolumeIconExists() && !s_.IconUpdating) view_.ShowTrayImage(0);
        VolumeText(s_.LastVolume);
        view_.SetMuteMenuCaption(tray::kCaptionMute);
      }
      view_.ProcessPendingMessages();
    }
  }
  if (!s_.MuteToggleOk && s_.UseEndpointVolume) view_.ShowMessage(kMuteToggleFailed);
}

void VolumeOps::Mixer1ControlChange() {
  s_.MixerNotifying = true;
  try {
    if (mixer_) mixer_->TouchMasterItem();
  } catch (...) {
    s_.MixerNotifying = false;
    throw;
  }
  s_.MixerNotifying = false;
}

}  // namespace volmaru::volume
