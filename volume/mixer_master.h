// The volume operations' view of Mixer1's master line; nothing works
// without the component (it is destroyed at start-up on the endpoint path).
#pragma once

#include <memory>

#include "volume/mixers.h"
#include "volume/volume_ops.h"

namespace volmaru::volume {

class MixerMasterAdapter final : public MixerMasterPort {
 public:
  explicit MixerMasterAdapter(std::unique_ptr<TMixer>& mixer) : m_(mixer) {}
  bool HasMasterItem() override { return m_ && m_->MasterItem(); }
  bool HasVolumeControl() override { return HasMasterItem() && m_->MasterItem()->HasVolumeControl(); }
  bool HasMuteControl() override { return HasMasterItem() && m_->MasterItem()->HasMuteControl(); }
  int GetMasterVolume() override { return m_ ? m_->GetMasterVolume() : 0; }
  void SetMasterVolume(int volume) override {
    if (m_) m_->SetMasterVolume(volume);
  }
  bool GetMasterMute() override { return m_ && m_->GetMasterMute(); }
  void SetMasterMute(bool mute) override {
    if (m_) m_->SetMasterMute(mute);
  }
  void TouchMasterItem() override {
    if (m_) (void)m_->MasterItem();
  }

 private:
  std::unique_ptr<TMixer>& m_;
};

}  // namespace volmaru::volume
