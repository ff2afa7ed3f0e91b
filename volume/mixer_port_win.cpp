#include "volume/mixer_port_win.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <vector>

#include "volume/mixer_notify_win.h"

namespace volmaru::volume {

namespace {

#if !defined(_WIN64)
static_assert(sizeof(MIXERCAPSA) == kMixerCapsSize);
static_assert(sizeof(MIXERLINEA) == kMixerLineSize);
static_assert(sizeof(MIXERCONTROLA) == kMixerControlSize);
static_assert(sizeof(MIXERLINECONTROLSA) == kMixerLineControlsSize);
static_assert(sizeof(MIXERCONTROLDETAILS) == kMixerControlDetailsSize);
#endif
static_assert(sizeof(MIXERCONTROLDETAILS_LISTTEXTA) == sizeof(MixerListText));
static_assert(sizeof(MIXERCONTROLDETAILS_UNSIGNED) == 4 && sizeof(MIXERCONTROLDETAILS_BOOLEAN) == 4);

template <std::size_t N>
void CopyChars(std::array<char, N>& to, const char (&from)[N]) {
  std::memcpy(to.data(), from, N);
}

HMIXEROBJ Object(MixerHandle handle) { return reinterpret_cast<HMIXEROBJ>(handle); }

// The portable records name the 32-bit platform's sizes; a 64-bit build's
// records are larger (pointer-sized members), and the platform refuses a
// record whose size is not its own.
template <typename Record>
DWORD PlatformSize(uint32_t portableSize, uint32_t size32) {
  return portableSize == size32 ? static_cast<DWORD>(sizeof(Record)) : portableSize;
}

MIXERCONTROLDETAILS ToPlatform(const MixerControlDetails& d) {
  MIXERCONTROLDETAILS p{};
  p.cbStruct = PlatformSize<MIXERCONTROLDETAILS>(d.cbStruct, kMixerControlDetailsSize);
  p.dwControlID = d.dwControlID;
  p.cChannels = d.cChannels;
  p.cMultipleItems = d.cMultipleItems;
  p.cbDetails = d.cbDetails;
  p.paDetails = d.paDetails;
  return p;
}

class WinMixerPort final : public MixerPort {
 public:
  uint32_t GetNumDevs() override { return mixerGetNumDevs(); }

  MixerResult GetDevCaps(uint32_t deviceID, MixerCaps& caps, uint32_t size) override {
    MIXERCAPSA p{};
    const MMRESULT r = mixerGetDevCapsA(deviceID, &p, size < sizeof p ? size : sizeof p);
    caps.wMid = p.wMid;
    caps.wPid = p.wPid;
    caps.vDriverVersion = p.vDriverVersion;
    CopyChars(caps.szPname, p.szPname);
    caps.fdwSupport = p.fdwSupport;
    caps.cDestinations = p.cDestinations;
    return r;
  }

  MixerResult Open(MixerHandle& handle, uint32_t deviceID, MixerWindow callback, std::uintptr_t instance,
                   uint32_t flags) override {
    HMIXER h = nullptr;
    const MMRESULT r = mixerOpen(&h, deviceID, callback, instance, flags);
    handle = r == MMSYSERR_NOERROR ? reinterpret_cast<MixerHandle>(h) : 0;
    return r;
  }

  MixerResult GetLineInfo(MixerHandle handle, MixerLine& line, uint32_t flags) override {
    MIXERLINEA p{};
    p.cbStruct = PlatformSize<MIXERLINEA>(line.cbStruct, kMixerLineSize);
    p.dwDestination = line.dwDestination;
    p.dwSource = line.dwSource;
    p.dwLineID = line.dwLineID;
    p.dwComponentType = line.dwComponentType;
    p.Target.dwType = line.Target.dwType;
    const MMRESULT r = mixerGetLineInfoA(Object(handle), &p, flags);
    line.dwDestination = p.dwDestination;
    line.dwSource = p.dwSource;
    line.dwLineID = p.dwLineID;
    line.fdwLine = p.fdwLine;
    line.dwUser = p.dwUser;
    line.dwComponentType = p.dwComponentType;
    line.cChannels = p.cChannels;
    line.cConnections = p.cConnections;
    line.cControls = p.cControls;
    CopyChars(line.szShortName, p.szShortName);
    CopyChars(line.szName, p.szName);
    line.Target.dwType = p.Target.dwType;
    line.Target.dwDeviceID = p.Target.dwDeviceID;
    line.Target.wMid = p.Target.wMid;
    line.Target.wPid = p.Target.wPid;
    line.Target.vDriverVersion = p.Target.vDriverVersion;
    CopyChars(line.Target.szPname, p.Target.szPname);
    return r;
  }

  MixerResult GetLineControls(MixerHandle handle, MixerLineControls& list, uint32_t flags) override {
    std::vector<MIXERCONTROLA> controls(list.pamxctrl ? list.cControls : 0);
    for (auto& c : controls) c.cbStruct = sizeof c;
    MIXERLINECONTROLSA p{};
    p.cbStruct = PlatformSize<MIXERLINECONTROLSA>(list.cbStruct, kMixerLineControlsSize);
    p.dwLineID = list.dwLineID;
    p.dwControlID = list.dwControlID;
    p.cControls = list.cControls;
    p.cbmxctrl = PlatformSize<MIXERCONTROLA>(list.cbmxctrl, kMixerControlSize);
    p.pamxctrl = controls.empty() ? nullptr : controls.data();
    const MMRESULT r = mixerGetLineControlsA(Object(handle), &p, flags);
    for (std::size_t i = 0; i < controls.size(); ++i) {
      const MIXERCONTROLA& c = controls[i];
      MixerControl& out = list.pamxctrl[i];
      out.dwControlID = c.dwControlID;
      out.dwControlType = c.dwControlType;
      out.fdwControl = c.fdwControl;
      out.cMultipleItems = c.cMultipleItems;
      CopyChars(out.szShortName, c.szShortName);
      CopyChars(out.szName, c.szName);
      std::memcpy(out.Bounds.data(), c.Bounds.dwReserved, sizeof out.Bounds);
      std::memcpy(out.Metrics.data(), c.Metrics.dwReserved, sizeof out.Metrics);
    }
    return r;
  }

  // The values and list-text records have the platform's layout already, so
  // the caller's buffer goes through unchanged.
  MixerResult GetControlDetails(MixerHandle handle, MixerControlDetails& details, uint32_t flags) override {
    MIXERCONTROLDETAILS p = ToPlatform(details);
    return mixerGetControlDetailsA(Object(handle), &p, flags);
  }

  MixerResult SetControlDetails(MixerHandle handle, MixerControlDetails& details, uint32_t flags) override {
    MIXERCONTROLDETAILS p = ToPlatform(details);
    return mixerSetControlDetails(Object(handle), &p, flags);
  }

  MixerResult Close(MixerHandle handle) override { return mixerClose(reinterpret_cast<HMIXER>(handle)); }

  std::unique_ptr<MixerCallbackWindow> CreateCallbackWindow(MixerNotifyTarget& target) override {
    return CreateMixerNotifyWindow(target);
  }
};

}  // namespace

MixerPort& SystemMixerPort() {
  static WinMixerPort port;
  return port;
}

}  // namespace volmaru::volume
