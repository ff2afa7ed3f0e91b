// The winmm mixer functions the mixer component needs, behind an interface so
// that the component builds and is tested without Windows. The records mirror
// the platform's ANSI structures field by field (same names, same fixed
// character arrays holding code page 932 bytes); the Windows implementation
// copies them to and from the real ones.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace volmaru::volume {

using MixerResult = uint32_t;        // MMRESULT
using MixerHandle = std::uintptr_t;  // HMIXER; 0 = none
using MixerWindow = std::uintptr_t;  // HWND; 0 = none

// Result codes.
inline constexpr MixerResult kMmsyserrNoError = 0;
inline constexpr MixerResult kMmsyserrError = 1;
inline constexpr MixerResult kMmsyserrBadDeviceId = 2;
inline constexpr MixerResult kMmsyserrInvalHandle = 5;
inline constexpr MixerResult kMmsyserrNoDriver = 6;
inline constexpr MixerResult kMmsyserrNoMem = 7;
inline constexpr MixerResult kMmsyserrInvalFlag = 10;
inline constexpr MixerResult kMmsyserrInvalParam = 11;
inline constexpr MixerResult kMixerrInvalLine = 1024;
inline constexpr MixerResult kMixerrInvalControl = 1025;
inline constexpr MixerResult kMixerrInvalValue = 1026;

// Flags of the calls.
inline constexpr uint32_t kCallbackWindow = 0x00010000;
inline constexpr uint32_t kMixerObjectfHmixer = 0x80000000;
inline constexpr uint32_t kMixerGetLineInfofDestination = 0x0;
inline constexpr uint32_t kMixerGetLineInfofSource = 0x1;
inline constexpr uint32_t kMixerGetLineControlsfAll = 0x0;
inline constexpr uint32_t kMixerGetControlDetailsfValue = 0x0;
inline constexpr uint32_t kMixerGetControlDetailsfListText = 0x1;
inline constexpr uint32_t kMixerSetControlDetailsfValue = 0x0;

// Window messages of the change notifications (wParam = mixer handle,
// lParam = line or control ID).
inline constexpr unsigned kMmMixmLineChange = 0x3D0;
inline constexpr unsigned kMmMixmControlChange = 0x3D1;

// The sizes the 32-bit platform gives its records; they go into cbStruct.
inline constexpr uint32_t kMixerCapsSize = 48;
inline constexpr uint32_t kMixerLineSize = 168;
inline constexpr uint32_t kMixerControlSize = 148;
inline constexpr uint32_t kMixerLineControlsSize = 24;
inline constexpr uint32_t kMixerControlDetailsSize = 24;
inline constexpr uint32_t kMixerListTextSize = 72;

// MIXERCAPSA
struct MixerCaps {
  uint16_t wMid = 0;
  uint16_t wPid = 0;
  uint32_t vDriverVersion = 0;
  std::array<char, 32> szPname{};
  uint32_t fdwSupport = 0;
  uint32_t cDestinations = 0;
};

// MIXERLINEA, with its Target block.
struct MixerLine {
  uint32_t cbStruct = 0;
  uint32_t dwDestination = 0;
  uint32_t dwSource = 0;
  uint32_t dwLineID = 0;
  uint32_t fdwLine = 0;
  std::uintptr_t dwUser = 0;
  uint32_t dwComponentType = 0;
  uint32_t cChannels = 0;
  uint32_t cConnections = 0;
  uint32_t cControls = 0;
  std::array<char, 16> szShortName{};
  std::array<char, 64> szName{};
  struct {
    uint32_t dwType = 0;
    uint32_t dwDeviceID = 0;
    uint16_t wMid = 0;
    uint16_t wPid = 0;
    uint32_t vDriverVersion = 0;
    std::array<char, 32> szPname{};
  } Target;
};

// The 24-byte Bounds and Metrics blocks of MIXERCONTROLA, as raw words (their
// meaning depends on the control type).
using MixerControlBlock = std::array<uint32_t, 6>;

// MIXERCONTROLA
struct MixerControl {
  uint32_t cbStruct = 0;
  uint32_t dwControlID = 0;
  uint32_t dwControlType = 0;
  uint32_t fdwControl = 0;
  uint32_t cMultipleItems = 0;
  std::array<char, 16> szShortName{};
  std::array<char, 64> szName{};
  MixerControlBlock Bounds{};
  MixerControlBlock Metrics{};
};

// MIXERLINECONTROLSA; pamxctrl points at cControls records.
struct MixerLineControls {
  uint32_t cbStruct = 0;
  uint32_t dwLineID = 0;
  uint32_t dwControlID = 0;  // also dwControlType
  uint32_t cControls = 0;
  uint32_t cbmxctrl = 0;
  MixerControl* pamxctrl = nullptr;
};

// MIXERCONTROLDETAILS; paDetails points at the caller's values (32-bit each)
// or list texts.
struct MixerControlDetails {
  uint32_t cbStruct = 0;
  uint32_t dwControlID = 0;
  uint32_t cChannels = 0;
  uint32_t cMultipleItems = 0;
  uint32_t cbDetails = 0;
  void* paDetails = nullptr;
};

// MIXERCONTROLDETAILS_LISTTEXTA: the same 72 bytes as the platform's record,
// so a buffer of them goes to the platform unchanged.
struct MixerListText {
  uint32_t dwParam1 = 0;
  uint32_t dwParam2 = 0;
  std::array<char, 64> szName{};
};
static_assert(sizeof(MixerListText) == kMixerListTextSize);

// Receives the change notifications of the handles a mixer opened.
class MixerNotifyTarget {
 public:
  virtual void LineChanged(MixerHandle handle, uint32_t lineID) = 0;
  virtual void ControlChanged(MixerHandle handle, uint32_t controlID) = 0;

 protected:
  ~MixerNotifyTarget() = default;
};

// A window that turns the platform's notification messages into calls of a
// MixerNotifyTarget; destroyed with its owner.
class MixerCallbackWindow {
 public:
  virtual ~MixerCallbackWindow() = default;
  virtual MixerWindow Handle() const = 0;
};

class MixerPort {
 public:
  virtual ~MixerPort() = default;
  virtual uint32_t GetNumDevs() = 0;
  virtual MixerResult GetDevCaps(uint32_t deviceID, MixerCaps& caps, uint32_t size) = 0;
  virtual MixerResult Open(MixerHandle& handle, uint32_t deviceID, MixerWindow callback, std::uintptr_t instance,
                           uint32_t flags) = 0;
  virtual MixerResult GetLineInfo(MixerHandle handle, MixerLine& line, uint32_t flags) = 0;
  virtual MixerResult GetLineControls(MixerHandle handle, MixerLineControls& controls, uint32_t flags) = 0;
  virtual MixerResult GetControlDetails(MixerHandle handle, MixerControlDetails& details, uint32_t flags) = 0;
  virtual MixerResult SetControlDetails(MixerHandle handle, MixerControlDetails& details, uint32_t flags) = 0;
  virtual MixerResult Close(MixerHandle handle) = 0;
  // A window for mixerOpen's CALLBACK_WINDOW that routes the notifications
  // to `target`, or null where the platform has none (then the devices are
  // opened without a callback).
  virtual std::unique_ptr<MixerCallbackWindow> CreateCallbackWindow(MixerNotifyTarget& target) {
    (void)target;
    return nullptr;
  }
};

}  // namespace volmaru::volume
