// For the test build of the program only: an endpoint volume that keeps its
// level and mute in memory. Wine's endpoint volume reads 1.0 and refuses to
// be set, so without it nothing that sets the volume on the endpoint path
// (the schedules, the spoken check) could be seen working under Wine.
#pragma once

#include "volume/volume_ops.h"

namespace volmaru::testing {

class MemoryEndpoint final : public volume::EndpointPort {
 public:
  explicit MemoryEndpoint(float level) : level_(level) {}
  bool GetMasterVolumeLevelScalar(float& scalar) override {
    scalar = level_;
    return true;
  }
  bool SetMasterVolumeLevelScalar(float scalar) override {
    level_ = scalar;
    return true;
  }
  bool GetMute(int32_t& mute) override {
    mute = mute_;
    return true;
  }
  bool SetMute(int32_t mute) override {
    mute_ = mute;
    return true;
  }

 private:
  float level_;
  int32_t mute_ = 0;
};

}  // namespace volmaru::testing
