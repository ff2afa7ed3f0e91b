// A mixer platform in memory for the mixer component's tests: devices with
// destinations, sources, controls and their values, calls that fail, and a
// record of what the component opened, read, wrote and closed.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "volume/mixer_port.h"

namespace volmaru::volume::testing {

inline constexpr uint32_t kDstSpeakers = 0x4, kDstHeadphones = 0x5, kDstWaveIn = 0x7;
inline constexpr uint32_t kSrcLine = 0x1002, kSrcMicrophone = 0x1003, kSrcCompactDisc = 0x1005, kSrcWaveOut = 0x1008;
inline constexpr uint32_t kVolume = 0x50030001, kMute = 0x20010002, kPeakMeter = 0x10020001, kMux = 0x70010001;

struct FakeControl {
  uint32_t id = 0;
  uint32_t type = kVolume;
  std::vector<uint32_t> values;
  std::string name;  // code page 932
  uint32_t flags = 0;
  uint32_t multiple = 0;
  MixerResult getResult = 0;
};

struct FakeLine {
  uint32_t type = kDstSpeakers;
  std::vector<FakeControl> controls;
  std::vector<FakeLine> sources;  // of a destination
  std::string name;               // code page 932
  uint32_t channels = 2;
  MixerResult infoResult = 0;
  MixerResult controlsResult = 0;
  uint32_t lineID = 0;  // given when the device is opened
};

struct FakeDevice {
  std::string name;
  std::vector<FakeLine> destinations;
  MixerResult capsResult = 0;
  MixerResult openResult = 0;
};

inline FakeControl Volume(uint32_t id, std::vector<uint32_t> values, std::string name = "Volume") {
  return {id, kVolume, std::move(values), std::move(name)};
}
inline FakeControl Mute(uint32_t id, bool on) { return {id, kMute, {on, on}, "Mute"}; }
inline FakeControl Meter(uint32_t id) { return {id, kPeakMeter, {0, 0}, "Meter"}; }
inline FakeLine Line(uint32_t type, std::vector<FakeControl> controls, std::vector<FakeLine> sources = {},
                     std::string name = "") {
  return {type, std::move(controls), std::move(sources), std::move(name)};
}

class FakeMixerPort : public MixerPort {
 public:
  static constexpr MixerWindow kWindow = 0xBEEF;
  static MixerHandle HandleOf(std::size_t device) { return 0x1000 + device * 0x10; }

  std::vector<FakeDevice> devices;
  bool haveWindow = true;

  std::vector<uint32_t> openFlags;
  std::vector<MixerWindow> openWindows;
  std::vector<MixerHandle> closed;
  std::set<MixerHandle> open;
  struct Read {
    MixerControlDetails details;
    uint32_t flags;
  };
  std::vector<Read> reads;
  struct Write {
    uint32_t controlID;
    std::vector<uint32_t> values;
    bool operator==(const Write&) const = default;
  };
  std::vector<Write> writes;
  int windowsCreated = 0, windowsDestroyed = 0;
  MixerNotifyTarget* target = nullptr;

  FakeControl* FindControl(std::size_t device, uint32_t id) {
    for (FakeLine* l : Lines(devices[device])) {
      for (auto& c : l->controls) {
        if (c.id == id) return &c;
      }
    }
    return nullptr;
  }

  uint32_t GetNumDevs() override { return static_cast<uint32_t>(devices.size()); }
  MixerResult GetDevCaps(uint32_t id, MixerCaps& caps, uint32_t size) override {
    if (size != kMixerCapsSize) return kMmsyserrInvalParam;
    const FakeDevice& d = devices.at(id);
    std::memcpy(caps.szPname.data(), d.name.data(), std::min<std::size_t>(d.name.size(), 32));
    caps.cDestinations = static_cast<uint32_t>(d.destinations.size());
    return d.capsResult;
  }
  MixerResult Open(MixerHandle& handle, uint32_t id, MixerWindow window, std::uintptr_t, uint32_t flags) override {
    if (devices.at(id).openResult) return devices[id].openResult;
    handle = HandleOf(id);
    open.insert(handle);
    openFlags.push_back(flags);
    openWindows.push_back(window);
    uint32_t n = 0;
    for (FakeLine* l : Lines(devices[id])) l->lineID = 0xFFFF0000 ^ n++;
    return 0;
  }
  MixerResult GetLineInfo(MixerHandle handle, MixerLine& line, uint32_t flags) override {
    FakeDevice* d = DeviceOf(handle);
    if (!d || line.cbStruct != kMixerLineSize) return kMmsyserrInvalParam;
    if (line.dwDestination >= d->destinations.size()) return kMixerrInvalLine;
    FakeLine& dest = d->destinations[line.dwDestination];
    const bool source = flags == (kMixerObjectfHmixer | kMixerGetLineInfofSource);
    if (!source && flags != kMixerObjectfHmixer) return kMmsyserrInvalFlag;
    if (source && line.dwSource >= dest.sources.size()) return kMixerrInvalLine;
    const FakeLine& l = source ? dest.sources[line.dwSource] : dest;
    line.dwLineID = l.lineID;
    line.dwComponentType = l.type;
    line.cChannels = l.channels;
    line.cConnections = source ? 0 : static_cast<uint32_t>(dest.sources.size());
    line.cControls = static_cast<uint32_t>(l.controls.size());
    std::memcpy(line.szName.data(), l.name.data(), std::min<std::size_t>(l.name.size(), 64));
    return l.infoResult;
  }
  MixerResult GetLineControls(MixerHandle handle, MixerLineControls& list, uint32_t flags) override {
    FakeDevice* d = DeviceOf(handle);
    if (!d || flags != kMixerObjectfHmixer || list.cbmxctrl != kMixerControlSize) return kMmsyserrInvalParam;
    for (FakeLine* l : Lines(*d)) {
      if (l->lineID != list.dwLineID) continue;
      if (l->controlsResult) return l->controlsResult;
      if (list.cControls != l->controls.size()) return kMmsyserrInvalParam;
      for (std::size_t i = 0; i < l->controls.size(); ++i) {
        const FakeControl& c = l->controls[i];
        MixerControl& out = list.pamxctrl[i];
        out.dwControlID = c.id;
        out.dwControlType = c.type;
        out.fdwControl = c.flags;
        out.cMultipleItems = c.multiple;
        out.Bounds = {0, 65535};
        std::memcpy(out.szName.data(), c.name.data(), std::min<std::size_t>(c.name.size(), 64));
      }
      return 0;
    }
    return kMixerrInvalLine;
  }
  MixerResult GetControlDetails(MixerHandle handle, MixerControlDetails& details, uint32_t flags) override {
    reads.push_back({details, flags});
    FakeControl* c = Lookup(handle, details);
    if (!c) return kMixerrInvalControl;
    if (details.cbDetails == 4) {
      std::copy_n(c->values.begin(), std::min(Count(details), c->values.size()),
                  static_cast<uint32_t*>(details.paDetails));
    }
    return c->getResult;
  }
  MixerResult SetControlDetails(MixerHandle handle, MixerControlDetails& details, uint32_t flags) override {
    FakeControl* c = Lookup(handle, details);
    if (!c || flags != kMixerObjectfHmixer) return kMixerrInvalControl;
    const auto* in = static_cast<const uint32_t*>(details.paDetails);
    c->values.assign(in, in + Count(details));
    writes.push_back({c->id, c->values});
    return 0;
  }
  MixerResult Close(MixerHandle handle) override {
    closed.push_back(handle);
    return open.erase(handle) ? kMmsyserrNoError : kMmsyserrInvalHandle;
  }

  struct Window : MixerCallbackWindow {
    explicit Window(FakeMixerPort& p) : port(p) {}
    ~Window() override { ++port.windowsDestroyed; }
    MixerWindow Handle() const override { return kWindow; }
    FakeMixerPort& port;
  };
  std::unique_ptr<MixerCallbackWindow> CreateCallbackWindow(MixerNotifyTarget& t) override {
    if (!haveWindow) return nullptr;
    ++windowsCreated;
    target = &t;
    return std::make_unique<Window>(*this);
  }

 private:
  static std::size_t Count(const MixerControlDetails& d) {
    return std::size_t{d.cChannels} * std::max<uint32_t>(d.cMultipleItems, 1);
  }
  static std::vector<FakeLine*> Lines(FakeDevice& d) {
    std::vector<FakeLine*> lines;
    for (auto& dest : d.destinations) {
      lines.push_back(&dest);
      for (auto& s : dest.sources) lines.push_back(&s);
    }
    return lines;
  }
  FakeDevice* DeviceOf(MixerHandle handle) { return open.count(handle) ? &devices[(handle - 0x1000) / 0x10] : nullptr; }
  FakeControl* Lookup(MixerHandle handle, const MixerControlDetails& d) {
    if (!DeviceOf(handle) || d.cbStruct != kMixerControlDetailsSize) return nullptr;
    return FindControl((handle - 0x1000) / 0x10, d.dwControlID);
  }
};

}  // namespace volmaru::volume::testing
