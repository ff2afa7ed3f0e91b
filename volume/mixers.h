// Mixers: the mixer component of the older back-end. A TMixer enumerates
// every winmm mixer device, each device's destination lines, their source
// lines and the controls of every line, keeps what passes its filter
// (TMixerTarget) and offers on each kept line ("item") a balance-preserving
// volume in percent, a balance, a mute switch and typed access to any
// control's values. The mixer's change notifications become two events.
//
// Texts of lines and controls (Name, ShortName, TargetName) hold the
// platform's code page 932 bytes as the mixer reported them; the *Utf8()
// accessors give them for display, and error messages are UTF-8.
//
// Ownership: TMixer owns its devices, a device owns its open handle, its
// items and its controls; items and controls refer back with plain pointers
// that live as long as their device.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "volume/mixer_port.h"

namespace volmaru::volume {

class TMixer;
class TMixerDev;
class TMixerItem;
class TMixerCtrl;

// A set of enumeration values, one bit per ordinal, held in `Bits`.
template <typename E, typename Bits>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> values) {
    for (const E v : values) bits_ = static_cast<Bits>(bits_ | Bit(v));
  }
  static constexpr TSet FromBits(Bits bits) {
    TSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr Bits bits() const { return bits_; }
  constexpr bool empty() const { return bits_ == 0; }
  constexpr bool contains(E v) const { return (bits_ & Bit(v)) != 0; }
  constexpr TSet& operator+=(E v) {
    bits_ = static_cast<Bits>(bits_ | Bit(v));
    return *this;
  }
  constexpr TSet& operator-=(E v) {
    bits_ = static_cast<Bits>(bits_ & ~Bit(v));
    return *this;
  }
  constexpr bool operator==(const TSet&) const = default;

 private:
  static constexpr Bits Bit(E v) { return static_cast<Bits>(Bits{1} << static_cast<unsigned>(v)); }
  Bits bits_ = 0;
};

// Line types: the sources (lt...) and the destinations (dt...).
enum TMixerLineType : uint8_t {
  ltUndefined,
  ltDigital,
  ltLine,
  ltMicrophone,
  ltSynthesizer,
  ltCompactDisk,
  ltTelephone,
  ltPcSpeaker,
  ltWaveOut,
  ltAuxiliary,
  ltAnalog,
  ltUnknown,
  dtUndefined,
  dtDigital,
  dtLine,
  dtMonitor,
  dtSpeakers,
  dtHeadphones,
  dtTelephone,
  dtWaveIn,
  dtVoiceIn,
};
using TMixerLineTypes = TSet<TMixerLineType, uint32_t>;

enum TMixerControlType : uint8_t {
  ctCustom,
  ctBass,
  ctEqualizer,
  ctFader,
  ctTreble,
  ctVolume,
  ctMixer,
  ctMultipleSelect,
  ctMux,
  ctSingleSelect,
  ctBooleanMeter,
  ctPeakMeter,
  ctSignedMeter,
  ctUnsignedMeter,
  ctDecibels,
  ctPercent,
  ctSigned,
  ctUnsigned,
  ctPan,
  ctQsoundPan,
  ctSlider,
  ctBoolean,
  ctButton,
  ctLoudness,
  ctMono,
  ctMute,
  ctOnOff,
  ctStereoEnh,
  ctMicroTime,
  ctMilliTime,
  ctUnknown,
};
using TMixerControlTypes = TSet<TMixerControlType, uint32_t>;

// Each option suppresses something while items and controls are built.
enum TMixerOption : uint8_t {
  moNoDeviceName,
  moNoLineName,
  moNoLineShortName,
  moNoControlName,
  moNoControlShortName,
  moNoTargetName,
  moNoControlBounds,
  moNoControlMetrics,
  moNoBalanceAutoUpdate,
};
using TMixerOptions = TSet<TMixerOption, uint16_t>;

enum TMixerControlFlag : uint8_t { cfDisabled, cfMultiple, cfUniform };
using TMixerControlFlags = TSet<TMixerControlFlag, uint8_t>;

// The kinds of values a control's details transfer carries (bits 1, 2, 4, 8).
enum TMixerValueKind : uint8_t { vkSigned, vkUnsigned, vkBoolean, vkListText };
using TMixerValueKinds = TSet<TMixerValueKind, uint8_t>;

inline constexpr std::array<std::string_view, 21> LineTypeNames = {
    "Undefined", "Digital", "Line",      "Microphone", "Synthesizer", "CompactDisk", "Telephone",
    "PcSpeaker", "WaveOut", "Auxiliary", "Analog",     "Unknown",     "Undefined",   "Digital",
    "Line",      "Monitor", "Speakers",  "Headphones", "Telephone",   "WaveIn",      "Voice",
};
inline constexpr std::array<std::string_view, 31> ControlTypeNames = {
    "Custom", "Bass",         "Equalizer",    "Fader",     "Treble",      "Volume",        "Mixer",    "MultipleSelect",
    "Mux",    "SingleSelect", "BooleanMeter", "PeakMeter", "SignedMeter", "UnsignedMeter", "Decibels", "Percent",
    "Signed", "Unsigned",     "Pan",          "QsoundPan", "Slider",      "Boolean",       "Button",   "Loudness",
    "Mono",   "Mute",         "OnOff",        "StereoEnh", "MicroTime",   "MilliTime",     "Unknow",
};

TMixerLineType LineTypeOf(uint32_t componentType);
TMixerControlType ControlTypeOf(uint32_t controlType);
TMixerValueKinds ValueKindsOf(TMixerControlType controlType);
TMixerControlFlags ControlFlagsOf(uint32_t fdwControl);

// Platform control types the component itself relies on.
inline constexpr uint32_t kControlTypeVolume = 0x50030001;
inline constexpr uint32_t kControlTypeMute = 0x20010002;
inline constexpr uint32_t kControlfUniform = 0x1;

// Text from a fixed character array: at most `size` bytes, up to the first
// NUL, without a lead byte of code page 932 left alone at the end (a name cut
// at the array's end must not end in half a character).
std::string FixedText(const char* data, std::size_t size);
template <std::size_t N>
std::string FixedText(const std::array<char, N>& a) {
  return FixedText(a.data(), N);
}

// Nearest integer, halves to the even neighbour.
int64_t RoundHalfEven(double x);

// The component's exception: a UTF-8 message, the platform result code and
// the control concerned (or none).
class EMixerError : public std::runtime_error {
 public:
  EMixerError(const std::string& message, uint32_t errorCode, const TMixerCtrl* control)
      : std::runtime_error(message), ErrorCode(errorCode), Control(control) {}
  std::string Message() const { return what(); }
  uint32_t ErrorCode;
  const TMixerCtrl* Control;
};

// The message of a result code, without the control's name.
std::string MixerErrorText(MixerResult code);
// True for MMSYSERR_NOERROR; otherwise false, or EMixerError when `raise`.
bool CheckMixerResult(MixerResult code, bool raise, const TMixerCtrl* control);

// What the scan keeps.
class TMixerTarget {
 public:
  static constexpr TMixerLineTypes kDefaultLineType = {ltLine,    ltSynthesizer, ltCompactDisk,
                                                       ltWaveOut, dtSpeakers,    dtWaveIn};
  static constexpr TMixerControlTypes kDefaultControlType = {ctVolume, ctMute};
  TMixerLineTypes LineType = kDefaultLineType;
  TMixerControlTypes ControlType = kDefaultControlType;
};

class TMixerCtrl {
 public:
  TMixerCtrl(TMixerItem* item, const MixerControl& control, TMixerOptions options);
  virtual ~TMixerCtrl() = default;
  TMixerCtrl(const TMixerCtrl&) = delete;
  TMixerCtrl& operator=(const TMixerCtrl&) = delete;

  std::string NameUtf8() const;

  TMixerItem* Item;  // none once its item was removed
  uint32_t ControlID;
  TMixerControlType ControlType;
  TMixerControlFlags Flags;
  uint32_t MultipleItems;
  std::string Name;       // code page 932
  std::string ShortName;  // code page 932
  std::optional<MixerControlBlock> Bounds;
  std::optional<MixerControlBlock> Metrics;
};

// The first two channel levels of a volume control, 0 ... 65535.
struct TChannelValues {
  uint32_t Left = 0;
  uint32_t Right = 0;
  bool operator==(const TChannelValues&) const = default;
};

// One mixer line.
class TMixerItem {
 public:
  // Right/left ratio that stands for "all right" (left level 0).
  static constexpr float kAllRight = 131071.0f;

  TMixerItem(TMixerDev* device, const MixerLine& line, TMixerOptions options, int32_t destinationIndex,
             TMixerItem* destination);
  virtual ~TMixerItem() = default;
  TMixerItem(const TMixerItem&) = delete;
  TMixerItem& operator=(const TMixerItem&) = delete;

  std::string NameUtf8() const;

  virtual TMixerLineType DestinationType() const;
  bool IsDestination() const { return Destination == nullptr; }
  bool HasControls() const { return FirstControl >= 0; }
  // The first control of this item's run, from FirstControl + offset, whose
  // type is in `types`.
  TMixerCtrl* FindControl(TMixerControlTypes types, int32_t offset = 0) const;
  TMixerCtrl* VolumeControl() const { return FindControl({ctVolume}); }
  TMixerCtrl* MuteControl() const { return FindControl({ctMute}); }
  bool HasVolumeControl() const { return VolumeControl() != nullptr; }
  bool HasMuteControl() const { return MuteControl() != nullptr; }

  virtual TChannelValues GetChannelValues();
  virtual void SetChannelValues(TChannelValues pair);
  // Percent 0 ... 100 of the louder channel; -1 without a volume control.
  virtual int32_t GetVolume();
  // Sets the louder channel to `percent` (clamped to 0 ... 100) and the other
  // one by the balance ratio; writes nothing when the levels already match.
  virtual void SetVolume(int32_t percent);
  virtual bool GetMute();
  virtual void SetMute(bool on);
  // 0 all left, 50 centre, 100 all right.
  virtual int32_t GetBalance();
  virtual void SetBalance(int32_t percent);
  // Values in one details transfer of `control`.
  virtual uint32_t ValueCount(const TMixerCtrl& control) const;

  // Typed transfers: the buffer must hold at least ValueCount entries and
  // the control must belong to this item and carry values of the kind; else
  // EMixerError with code 11. A failing platform call raises too.
  virtual void GetBooleanValues(const TMixerCtrl& control, std::span<int32_t> buffer);
  virtual void SetBooleanValues(const TMixerCtrl& control, std::span<int32_t> buffer);
  virtual void GetSignedValues(const TMixerCtrl& control, std::span<int32_t> buffer);
  virtual void SetSignedValues(const TMixerCtrl& control, std::span<int32_t> buffer);
  virtual void GetUnsignedValues(const TMixerCtrl& control, std::span<uint32_t> buffer);
  virtual void SetUnsignedValues(const TMixerCtrl& control, std::span<uint32_t> buffer);
  virtual void GetListTexts(const TMixerCtrl& control, std::span<MixerListText> buffer);
  // List texts are never written to the platform: this checks the kind and
  // clears the buffer.
  virtual void SetListTexts(const TMixerCtrl& control, std::span<MixerListText> buffer);

  // The right/left ratio that `pair` stands for, or the stored one where the
  // levels cannot tell (one level only, or too quiet).
  float RatioFor(TChannelValues pair) const;
  // The levels for `percent` under the stored balance ratio.
  TChannelValues ValuesForVolume(int32_t percent) const;

  TMixerDev* Device;
  int32_t FirstControl = -1;
  uint8_t Channels;
  uint32_t LineID;
  TMixerLineType LineType;
  TMixerItem* Destination;  // none for a destination line
  int32_t DestinationIndex;
  std::string Name;       // code page 932
  std::string ShortName;  // code page 932
  uint32_t TargetType;
  std::string TargetName;  // code page 932
  float BalanceRatio = 1.0f;

 private:
  // True when the volume has one level only, so that no balance exists.
  bool SingleLevel() const;
  TChannelValues ReadValuesUpdatingBalance();
  MixerControlDetails PrepareDetails(const TMixerCtrl& control) const;
  void Transfer(const TMixerCtrl& control, TMixerValueKind kind, void* buffer, std::size_t entries,
                std::size_t entrySize, bool set);
};

// An open mixer handle, closed through its port when the owner goes.
class OwnedMixerHandle {
 public:
  OwnedMixerHandle() = default;
  OwnedMixerHandle(MixerPort& port, MixerHandle handle) : port_(&port), handle_(handle) {}
  ~OwnedMixerHandle() { reset(); }
  OwnedMixerHandle(OwnedMixerHandle&& o) noexcept;
  OwnedMixerHandle& operator=(OwnedMixerHandle&& o) noexcept;
  OwnedMixerHandle(const OwnedMixerHandle&) = delete;
  OwnedMixerHandle& operator=(const OwnedMixerHandle&) = delete;
  MixerHandle get() const { return handle_; }
  void reset();
  [[nodiscard]] MixerHandle release();

 private:
  MixerPort* port_ = nullptr;
  MixerHandle handle_ = 0;
};

// One mixer device.
class TMixerDev {
 public:
  TMixerDev(TMixer* mixer, OwnedMixerHandle handle, const MixerCaps& caps, TMixerOptions options);
  // Destroys items and controls, then closes the handle.
  virtual ~TMixerDev();
  TMixerDev(const TMixerDev&) = delete;
  TMixerDev& operator=(const TMixerDev&) = delete;

  MixerHandle Handle() const { return handle_.get(); }
  std::string NameUtf8() const;
  int32_t ItemCount() const { return static_cast<int32_t>(items_.size()); }
  int32_t ControlCount() const { return static_cast<int32_t>(controls_.size()); }
  // Slots allocated; they grow by 4 items and 8 controls at a time.
  int32_t ItemCapacity() const { return static_cast<int32_t>(items_.capacity()); }
  int32_t ControlCapacity() const { return static_cast<int32_t>(controls_.capacity()); }

  // None when `index` is out of range.
  virtual TMixerItem* ItemAt(int32_t index) const;
  TMixerCtrl* ControlAt(int32_t index) const;
  virtual void Clear();

  TMixerItem* FindItemByType(TMixerLineType lineType, int32_t start = 0) const;
  TMixerItem* FindItemByLineID(uint32_t lineID) const;
  TMixerCtrl* FindControlByID(uint32_t controlID) const;
  TMixerItem* AddItem(const MixerLine& line, TMixerItem* destination, TMixerOptions options, int32_t destinationIndex);
  // Index of the new control.
  int32_t AddControl(const MixerControl& control, TMixerOptions options, TMixerItem* item);
  // Removes and destroys `item`; its controls stay in the list without an
  // item and its source lines lose their destination, so no pointer is left
  // dangling. The former index, or -1 when the item is not here.
  int32_t RemoveItem(TMixerItem* item);

  TMixer* Mixer;
  std::string Name;  // code page 932

 private:
  OwnedMixerHandle handle_;  // declared first: closed after everything else
  std::vector<std::unique_ptr<TMixerItem>> items_;
  std::vector<std::unique_ptr<TMixerCtrl>> controls_;
};

using TMixerControlChangeEvent =
    std::function<void(TMixer& sender, TMixerDev& dev, TMixerItem& item, TMixerCtrl& ctrl)>;
using TMixerLineChangeEvent = std::function<void(TMixer& sender, TMixerDev& dev, TMixerItem& item)>;

class TMixer : public MixerNotifyTarget {
 public:
  // `port` reaches the platform and must outlive the component.
  explicit TMixer(MixerPort& port);
  virtual ~TMixer();
  TMixer(const TMixer&) = delete;
  TMixer& operator=(const TMixer&) = delete;

  // The owner's "properties are loaded" step: scans when AutoScan is set.
  virtual void Loaded();

  bool AutoScan = true;
  bool EnableInvalidItem = false;
  TMixerTarget Target;
  TMixerOptions Options;
  TMixerControlChangeEvent OnControlChange;
  TMixerLineChangeEvent OnLineChange;

  // No bounds check beyond returning none: callers keep `index` in range.
  virtual TMixerDev* DeviceAt(int32_t index) const;
  virtual TMixerDev* FirstDevice() const;
  virtual int32_t DeviceCount() const;

  virtual TMixerDev* AddDevice(MixerHandle handle, const MixerCaps& caps, TMixerOptions options);
  void ControlChanged(MixerHandle handle, uint32_t controlID) override;
  void LineChanged(MixerHandle handle, uint32_t lineID) override;
  // The hidden notification window, created on first use; 0 when there is
  // none.
  virtual MixerWindow CallbackWindow();
  virtual std::unique_ptr<TMixerItem> CreateItem(TMixerDev& device, const MixerLine& line, TMixerOptions options,
                                                 int32_t destinationIndex, TMixerItem* destination);
  virtual std::unique_ptr<TMixerDev> CreateDevice(OwnedMixerHandle handle, const MixerCaps& caps,
                                                  TMixerOptions options);
  virtual std::unique_ptr<TMixerCtrl> CreateControl(TMixerItem& item, const MixerControl& control,
                                                    TMixerOptions options);
  // Rebuilds the device list; platform failures are skipped silently.
  virtual void Scan();

  void ClearDevices();
  TMixerDev* FindDevice(MixerHandle handle) const;
  // The first "Speakers" destination of the first device.
  TMixerItem* MasterItem() const;
  int32_t GetMasterVolume();  // -1 without a master item
  void SetMasterVolume(int32_t percent);
  bool GetMasterMute();
  void SetMasterMute(bool on);

  MixerPort& Port() const { return port_; }

 private:
  void ScanDevice(TMixerDev& device, const MixerCaps& caps);

  MixerPort& port_;
  std::unique_ptr<MixerCallbackWindow> window_;
  std::vector<std::unique_ptr<TMixerDev>> devices_;
};

}  // namespace volmaru::volume
