#include "volume/mixers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "common/text.h"

namespace volmaru::volume {

namespace {

struct LineTypeEntry {
  uint32_t componentType;
  TMixerLineType type;
};
constexpr LineTypeEntry kLineTypes[] = {
    {0x1000, ltUndefined},   {0x1001, ltDigital},     {0x1002, ltLine},      {0x1003, ltMicrophone},
    {0x1004, ltSynthesizer}, {0x1005, ltCompactDisk}, {0x1006, ltTelephone}, {0x1007, ltPcSpeaker},
    {0x1008, ltWaveOut},     {0x1009, ltAuxiliary},   {0x100A, ltAnalog},    {0x0000, dtUndefined},
    {0x0001, dtDigital},     {0x0002, dtLine},        {0x0003, dtMonitor},   {0x0004, dtSpeakers},
    {0x0005, dtHeadphones},  {0x0006, dtTelephone},   {0x0007, dtWaveIn},    {0x0008, dtVoiceIn},
};

struct ControlTypeEntry {
  uint32_t controlType;
  TMixerControlType type;
};
constexpr ControlTypeEntry kControlTypes[] = {
    {0x00000000, ctCustom},       {0x50030002, ctBass},           {0x50030004, ctEqualizer},
    {0x50030000, ctFader},        {0x50030003, ctTreble},         {0x50030001, ctVolume},
    {0x71010001, ctMixer},        {0x71010000, ctMultipleSelect}, {0x70010001, ctMux},
    {0x70010000, ctSingleSelect}, {0x10010000, ctBooleanMeter},   {0x10020001, ctPeakMeter},
    {0x10020000, ctSignedMeter},  {0x10030000, ctUnsignedMeter},  {0x30040000, ctDecibels},
    {0x30050000, ctPercent},      {0x30020000, ctSigned},         {0x30030000, ctUnsigned},
    {0x40020001, ctPan},          {0x40020002, ctQsoundPan},      {0x40020000, ctSlider},
    {0x20010000, ctBoolean},      {0x21010000, ctButton},         {0x20010004, ctLoudness},
    {0x20010003, ctMono},         {0x20010002, ctMute},           {0x20010001, ctOnOff},
    {0x20010005, ctStereoEnh},    {0x60030000, ctMicroTime},      {0x61030000, ctMilliTime},
};

constexpr uint32_t kLevelMax = 65535;
// Below this sum of both levels the levels are too coarse to tell a balance.
constexpr uint64_t kQuietLevelSum = 3000;

// round(numerator / denominator), halves to even, for non-negative integers.
uint64_t DivideHalfEven(uint64_t numerator, uint64_t denominator) {
  uint64_t q = numerator / denominator;
  const uint64_t r2 = (numerator % denominator) * 2;
  if (r2 > denominator || (r2 == denominator && (q & 1) != 0)) ++q;
  return q;
}

std::string WithControlName(std::string message, const TMixerCtrl* control) {
  if (control) message += "(" + control->NameUtf8() + ")";
  return message;
}

[[noreturn]] void RaiseInvalidParam(const TMixerCtrl& control) {
  throw EMixerError(WithControlName(MixerErrorText(kMmsyserrInvalParam), &control), kMmsyserrInvalParam, &control);
}

// Appends to a slot array that grows by `step` slots whenever it is full.
template <typename T>
void AppendGrowing(std::vector<T>& slots, T value, std::size_t step) {
  if (slots.size() == slots.capacity()) slots.reserve(slots.capacity() + step);
  slots.push_back(std::move(value));
}

}  // namespace

TMixerLineType LineTypeOf(uint32_t componentType) {
  for (const auto& e : kLineTypes) {
    if (e.componentType == componentType) return e.type;
  }
  return ltUnknown;
}

TMixerControlType ControlTypeOf(uint32_t controlType) {
  for (const auto& e : kControlTypes) {
    if (e.controlType == controlType) return e.type;
  }
  return ctUnknown;
}

TMixerValueKinds ValueKindsOf(TMixerControlType t) {
  TMixerValueKinds kinds;
  switch (t) {
    case ctCustom:
    case ctUnknown:
      return kinds;
    case ctMixer:
    case ctMultipleSelect:
    case ctMux:
    case ctSingleSelect:
    case ctBooleanMeter:
    case ctBoolean:
    case ctButton:
    case ctLoudness:
    case ctMono:
    case ctMute:
    case ctOnOff:
    case ctStereoEnh:
      kinds += vkBoolean;
      break;
    case ctPeakMeter:
    case ctSignedMeter:
    case ctDecibels:
    case ctSigned:
    case ctPan:
    case ctQsoundPan:
    case ctSlider:
      kinds += vkSigned;
      break;
    default:
      kinds += vkUnsigned;
      break;
  }
  if (t == ctEqualizer || (t >= ctMixer && t <= ctSingleSelect)) kinds += vkListText;
  return kinds;
}

TMixerControlFlags ControlFlagsOf(uint32_t fdwControl) {
  TMixerControlFlags flags;
  if (fdwControl & 0x80000000u) flags += cfDisabled;
  if (fdwControl & 0x2u) flags += cfMultiple;
  if (fdwControl & 0x1u) flags += cfUniform;
  return flags;
}

std::string FixedText(const char* data, std::size_t size) {
  const std::size_t length = std::find(data, data + size, '\0') - data;
  // Walk the characters: only a byte that starts a character can be a lead
  // byte (a trail byte may carry the same value).
  std::size_t i = 0;
  while (i < length) {
    if (IsCp932LeadByte(static_cast<unsigned char>(data[i]))) {
      if (i + 1 == length) return std::string(data, i);
      i += 2;
    } else {
      ++i;
    }
  }
  return std::string(data, length);
}

int64_t RoundHalfEven(double x) {
  const double lower = std::floor(x);
  const double diff = x - lower;
  auto result = static_cast<int64_t>(lower);
  if (diff > 0.5 || (diff == 0.5 && (result & 1) != 0)) ++result;
  return result;
}

std::string MixerErrorText(MixerResult code) {
  switch (code) {
    case kMmsyserrBadDeviceId:
      return "デバイスIDは不正です";
    case kMmsyserrInvalHandle:
      return "無効なハンドルです";
    case kMmsyserrNoDriver:
      return "デバイスドライバがありません";
    case kMmsyserrNoMem:
      return "メモリを割り当てられないかメモリをロックできません";
    case kMmsyserrInvalFlag:
      return "無効なフラグです";
    case kMmsyserrInvalParam:
      return "無効なパラメータです";
    case kMixerrInvalLine:
      return "無効なラインです";
    case kMixerrInvalControl:
      return "無効なコントロールです";
    default:
      return "不明なエラー:" + std::to_string(code);
  }
}

bool CheckMixerResult(MixerResult code, bool raise, const TMixerCtrl* control) {
  if (code == kMmsyserrNoError) return true;
  if (raise) throw EMixerError(WithControlName(MixerErrorText(code), control), code, control);
  return false;
}

// ---------------------------------------------------------------- TMixerCtrl

TMixerCtrl::TMixerCtrl(TMixerItem* item, const MixerControl& c, TMixerOptions options)
    : Item(item),
      ControlID(c.dwControlID),
      ControlType(ControlTypeOf(c.dwControlType)),
      Flags(ControlFlagsOf(c.fdwControl)),
      MultipleItems(c.cMultipleItems),
      Name(options.contains(moNoControlName) ? std::string() : FixedText(c.szName)),
      ShortName(options.contains(moNoControlShortName) ? std::string() : FixedText(c.szShortName)) {
  if (!options.contains(moNoControlBounds)) Bounds = c.Bounds;
  if (!options.contains(moNoControlMetrics)) Metrics = c.Metrics;
}

std::string TMixerCtrl::NameUtf8() const { return Cp932ToUtf8(Name); }

// ---------------------------------------------------------------- TMixerItem

TMixerItem::TMixerItem(TMixerDev* device, const MixerLine& line, TMixerOptions options, int32_t destinationIndex,
                       TMixerItem* destination)
    : Device(device),
      Channels(static_cast<uint8_t>(line.cChannels)),
      LineID(line.dwLineID),
      LineType(LineTypeOf(line.dwComponentType)),
      Destination(destination),
      DestinationIndex(destinationIndex),
      Name(options.contains(moNoLineName) ? std::string() : FixedText(line.szName)),
      ShortName(options.contains(moNoLineShortName) ? std::string() : FixedText(line.szShortName)),
      TargetType(line.Target.dwType),
      TargetName(options.contains(moNoTargetName) ? std::string() : FixedText(line.Target.szPname)) {}

std::string TMixerItem::NameUtf8() const { return Cp932ToUtf8(Name); }

TMixerLineType TMixerItem::DestinationType() const { return Destination ? Destination->LineType : LineType; }

TMixerCtrl* TMixerItem::FindControl(TMixerControlTypes types, int32_t offset) const {
  if (FirstControl < 0) return nullptr;
  for (int32_t i = FirstControl + offset; i < Device->ControlCount(); ++i) {
    TMixerCtrl* c = Device->ControlAt(i);
    if (!c || c->Item != this) break;
    if (types.contains(c->ControlType)) return c;
  }
  return nullptr;
}

uint32_t TMixerItem::ValueCount(const TMixerCtrl& control) const {
  uint32_t n = control.Flags.contains(cfUniform) ? 1u : Channels;
  if (control.Flags.contains(cfMultiple)) n *= control.MultipleItems;
  return n;
}

MixerControlDetails TMixerItem::PrepareDetails(const TMixerCtrl& control) const {
  if (control.Item != this) RaiseInvalidParam(control);
  MixerControlDetails d;
  d.cbStruct = kMixerControlDetailsSize;
  d.dwControlID = control.ControlID;
  d.cChannels = control.Flags.contains(cfUniform) ? 1u : Channels;
  d.cMultipleItems = control.Flags.contains(cfMultiple) ? control.MultipleItems : 0u;
  return d;
}

void TMixerItem::Transfer(const TMixerCtrl& control, TMixerValueKind kind, void* buffer, std::size_t entries,
                          std::size_t entrySize, bool set) {
  if (!ValueKindsOf(control.ControlType).contains(kind)) RaiseInvalidParam(control);
  MixerControlDetails d = PrepareDetails(control);
  const uint64_t needed =
      uint64_t{d.cChannels} * (control.Flags.contains(cfMultiple) ? uint64_t{d.cMultipleItems} : uint64_t{1});
  if (entries < needed) RaiseInvalidParam(control);
  MixerPort& port = Device->Mixer->Port();
  MixerResult result;
  if (set) {
    d.cbDetails = 4;
    d.paDetails = buffer;
    result = port.SetControlDetails(Device->Handle(), d, kMixerObjectfHmixer | kMixerSetControlDetailsfValue);
  } else {
    if (entries) std::memset(buffer, 0, entries * entrySize);
    const bool text = kind == vkListText;
    d.cbDetails = text ? kMixerListTextSize : 4;
    d.paDetails = buffer;
    result = port.GetControlDetails(
        Device->Handle(), d,
        kMixerObjectfHmixer | (text ? kMixerGetControlDetailsfListText : kMixerGetControlDetailsfValue));
  }
  CheckMixerResult(result, true, &control);
}

void TMixerItem::GetBooleanValues(const TMixerCtrl& c, std::span<int32_t> b) {
  Transfer(c, vkBoolean, b.data(), b.size(), sizeof(int32_t), false);
}
void TMixerItem::SetBooleanValues(const TMixerCtrl& c, std::span<int32_t> b) {
  Transfer(c, vkBoolean, b.data(), b.size(), sizeof(int32_t), true);
}
void TMixerItem::GetSignedValues(const TMixerCtrl& c, std::span<int32_t> b) {
  Transfer(c, vkSigned, b.data(), b.size(), sizeof(int32_t), false);
}
void TMixerItem::SetSignedValues(const TMixerCtrl& c, std::span<int32_t> b) {
  Transfer(c, vkSigned, b.data(), b.size(), sizeof(int32_t), true);
}
void TMixerItem::GetUnsignedValues(const TMixerCtrl& c, std::span<uint32_t> b) {
  Transfer(c, vkUnsigned, b.data(), b.size(), sizeof(uint32_t), false);
}
void TMixerItem::SetUnsignedValues(const TMixerCtrl& c, std::span<uint32_t> b) {
  Transfer(c, vkUnsigned, b.data(), b.size(), sizeof(uint32_t), true);
}
void TMixerItem::GetListTexts(const TMixerCtrl& c, std::span<MixerListText> b) {
  Transfer(c, vkListText, b.data(), b.size(), sizeof(MixerListText), false);
}
void TMixerItem::SetListTexts(const TMixerCtrl& c, std::span<MixerListText> b) {
  if (!ValueKindsOf(c.ControlType).contains(vkListText)) RaiseInvalidParam(c);
  std::fill(b.begin(), b.end(), MixerListText{});
}

TChannelValues TMixerItem::GetChannelValues() {
  TChannelValues pair;
  const TMixerCtrl* c = VolumeControl();
  if (!c) return pair;
  const uint32_t n = ValueCount(*c);
  if (n == 0) return pair;
  std::vector<uint32_t> values(n);
  GetUnsignedValues(*c, values);
  pair.Left = values[0];
  if (n > 1) pair.Right = values[1];
  return pair;
}

void TMixerItem::SetChannelValues(TChannelValues pair) {
  const TMixerCtrl* c = VolumeControl();
  if (!c) return;
  const uint32_t n = ValueCount(*c);
  if (n == 0) return;
  std::vector<uint32_t> values(n);
  // Channels beyond the first two keep their levels.
  if (n > 2) GetUnsignedValues(*c, values);
  values[0] = std::min(pair.Left, kLevelMax);
  if (n > 1) values[1] = std::min(pair.Right, kLevelMax);
  SetUnsignedValues(*c, values);
}

bool TMixerItem::SingleLevel() const {
  if (Channels < 2) return true;
  // A uniform volume control sets every channel to one level: its balance
  // is always the centre, and a ratio must not lower that one level.
  const TMixerCtrl* c = VolumeControl();
  return c && ValueCount(*c) < 2;
}

float TMixerItem::RatioFor(TChannelValues pair) const {
  if (SingleLevel() || uint64_t{pair.Left} + pair.Right < kQuietLevelSum) return BalanceRatio;
  if (pair.Left == 0) return kAllRight;
  if (pair.Right == 0) return 0.0f;
  return static_cast<float>(static_cast<double>(pair.Right) / static_cast<double>(pair.Left));
}

TChannelValues TMixerItem::ReadValuesUpdatingBalance() {
  const TChannelValues pair = GetChannelValues();
  const float r = RatioFor(pair);
  const double stored = BalanceRatio;
  if (std::fabs(stored - r) > 0.001 * stored) BalanceRatio = r;
  return pair;
}

int32_t TMixerItem::GetVolume() {
  if (!HasVolumeControl()) return -1;
  const TChannelValues pair =
      Device->Mixer->Options.contains(moNoBalanceAutoUpdate) ? GetChannelValues() : ReadValuesUpdatingBalance();
  return static_cast<int32_t>(DivideHalfEven(uint64_t{std::max(pair.Left, pair.Right)} * 100, kLevelMax));
}

TChannelValues TMixerItem::ValuesForVolume(int32_t percent) const {
  const auto full = static_cast<uint32_t>(DivideHalfEven(uint64_t(std::clamp(percent, 0, 100)) * kLevelMax, 100));
  if (SingleLevel()) return {full, 0};
  if (full == 0) return {0, 0};
  const double ratio = BalanceRatio;
  if (ratio > 1.0) return {static_cast<uint32_t>(RoundHalfEven(full / ratio)), full};
  return {full, static_cast<uint32_t>(RoundHalfEven(full * ratio))};
}

void TMixerItem::SetVolume(int32_t percent) {
  const TChannelValues wanted = ValuesForVolume(std::clamp(percent, 0, 100));
  if (GetChannelValues() != wanted) SetChannelValues(wanted);
}

int32_t TMixerItem::GetBalance() {
  const double ratio = BalanceRatio;
  return static_cast<int32_t>(RoundHalfEven(ratio / (ratio + 1.0) * 100.0));
}

void TMixerItem::SetBalance(int32_t percent) {
  const int32_t volume = GetVolume();
  if (percent <= 0) {
    BalanceRatio = 0.0f;
  } else if (percent >= 100) {
    BalanceRatio = kAllRight;
  } else {
    BalanceRatio = static_cast<float>(static_cast<double>(percent) / (100 - percent));
  }
  SetVolume(volume);
}

bool TMixerItem::GetMute() {
  const TMixerCtrl* c = MuteControl();
  if (!c) return false;
  int32_t value = 0;
  GetBooleanValues(*c, std::span<int32_t>(&value, 1));
  return value != 0;
}

void TMixerItem::SetMute(bool on) {
  const TMixerCtrl* c = MuteControl();
  if (!c) return;
  if (GetMute() == on) return;
  int32_t value = on ? 1 : 0;
  SetBooleanValues(*c, std::span<int32_t>(&value, 1));
}

// ---------------------------------------------------------- OwnedMixerHandle

OwnedMixerHandle::OwnedMixerHandle(OwnedMixerHandle&& o) noexcept
    : port_(std::exchange(o.port_, nullptr)), handle_(std::exchange(o.handle_, 0)) {}

OwnedMixerHandle& OwnedMixerHandle::operator=(OwnedMixerHandle&& o) noexcept {
  if (this != &o) {
    reset();
    port_ = std::exchange(o.port_, nullptr);
    handle_ = std::exchange(o.handle_, 0);
  }
  return *this;
}

void OwnedMixerHandle::reset() {
  const MixerHandle h = std::exchange(handle_, 0);
  if (h && port_) port_->Close(h);
}

MixerHandle OwnedMixerHandle::release() { return std::exchange(handle_, 0); }

// ----------------------------------------------------------------- TMixerDev

TMixerDev::TMixerDev(TMixer* mixer, OwnedMixerHandle handle, const MixerCaps& caps, TMixerOptions options)
    : Mixer(mixer), handle_(std::move(handle)) {
  // The product name is taken as it is, without the lead-byte rule.
  if (!options.contains(moNoDeviceName)) {
    Name.assign(caps.szPname.data(), std::find(caps.szPname.begin(), caps.szPname.end(), '\0'));
  }
}

TMixerDev::~TMixerDev() { Clear(); }

std::string TMixerDev::NameUtf8() const { return Cp932ToUtf8(Name); }

TMixerItem* TMixerDev::ItemAt(int32_t index) const {
  return index >= 0 && index < ItemCount() ? items_[index].get() : nullptr;
}

TMixerCtrl* TMixerDev::ControlAt(int32_t index) const {
  return index >= 0 && index < ControlCount() ? controls_[index].get() : nullptr;
}

void TMixerDev::Clear() {
  controls_.clear();
  items_.clear();
  controls_.shrink_to_fit();
  items_.shrink_to_fit();
}

TMixerItem* TMixerDev::FindItemByType(TMixerLineType lineType, int32_t start) const {
  for (int32_t i = std::max(start, 0); i < ItemCount(); ++i) {
    if (items_[i]->LineType == lineType) return items_[i].get();
  }
  return nullptr;
}

TMixerItem* TMixerDev::FindItemByLineID(uint32_t lineID) const {
  for (const auto& item : items_) {
    if (item->LineID == lineID) return item.get();
  }
  return nullptr;
}

TMixerCtrl* TMixerDev::FindControlByID(uint32_t controlID) const {
  for (const auto& c : controls_) {
    if (c->ControlID == controlID) return c.get();
  }
  return nullptr;
}

TMixerItem* TMixerDev::AddItem(const MixerLine& line, TMixerItem* destination, TMixerOptions options,
                               int32_t destinationIndex) {
  auto item = Mixer->CreateItem(*this, line, options, destinationIndex, destination);
  TMixerItem* raw = item.get();
  AppendGrowing(items_, std::move(item), 4);
  return raw;
}

int32_t TMixerDev::AddControl(const MixerControl& control, TMixerOptions options, TMixerItem* item) {
  AppendGrowing(controls_, Mixer->CreateControl(*item, control, options), 8);
  return ControlCount() - 1;
}

int32_t TMixerDev::RemoveItem(TMixerItem* item) {
  const auto it = std::find_if(items_.begin(), items_.end(), [item](const auto& p) { return p.get() == item; });
  if (it == items_.end()) return -1;
  for (const auto& c : controls_) {
    if (c->Item == item) c->Item = nullptr;
  }
  for (const auto& other : items_) {
    if (other->Destination == item) other->Destination = nullptr;
  }
  const auto index = static_cast<int32_t>(it - items_.begin());
  items_.erase(it);
  return index;
}

// -------------------------------------------------------------------- TMixer

TMixer::TMixer(MixerPort& port) : port_(port) {}

TMixer::~TMixer() {
  ClearDevices();
  window_.reset();
}

void TMixer::Loaded() {
  if (AutoScan) Scan();
}

TMixerDev* TMixer::DeviceAt(int32_t index) const {
  return index >= 0 && index < DeviceCount() ? devices_[index].get() : nullptr;
}

TMixerDev* TMixer::FirstDevice() const { return DeviceAt(0); }

int32_t TMixer::DeviceCount() const { return static_cast<int32_t>(devices_.size()); }

TMixerDev* TMixer::AddDevice(MixerHandle handle, const MixerCaps& caps, TMixerOptions options) {
  auto device = CreateDevice(OwnedMixerHandle(port_, handle), caps, options);
  TMixerDev* raw = device.get();
  if (raw) devices_.push_back(std::move(device));
  return raw;
}

std::unique_ptr<TMixerDev> TMixer::CreateDevice(OwnedMixerHandle handle, const MixerCaps& caps, TMixerOptions options) {
  return std::make_unique<TMixerDev>(this, std::move(handle), caps, options);
}

std::unique_ptr<TMixerItem> TMixer::CreateItem(TMixerDev& device, const MixerLine& line, TMixerOptions options,
                                               int32_t destinationIndex, TMixerItem* destination) {
  return std::make_unique<TMixerItem>(&device, line, options, destinationIndex, destination);
}

std::unique_ptr<TMixerCtrl> TMixer::CreateControl(TMixerItem& item, const MixerControl& control,
                                                  TMixerOptions options) {
  return std::make_unique<TMixerCtrl>(&item, control, options);
}

MixerWindow TMixer::CallbackWindow() {
  if (!window_) window_ = port_.CreateCallbackWindow(*this);
  return window_ ? window_->Handle() : 0;
}

void TMixer::ClearDevices() {
  // Devices go in order, each closing its handle.
  for (auto& d : devices_) d.reset();
  devices_.clear();
}

void TMixer::Scan() {
  ClearDevices();
  const MixerWindow window = CallbackWindow();
  const uint32_t openFlags = window ? kCallbackWindow : 0;
  const uint32_t count = port_.GetNumDevs();
  for (uint32_t id = 0; id < count; ++id) {
    MixerCaps caps;
    if (!CheckMixerResult(port_.GetDevCaps(id, caps, kMixerCapsSize), false, nullptr)) continue;
    MixerHandle handle = 0;
    if (!CheckMixerResult(port_.Open(handle, id, window, 0, openFlags), false, nullptr)) continue;
    if (TMixerDev* device = AddDevice(handle, caps, Options)) ScanDevice(*device, caps);
  }
}

void TMixer::ScanDevice(TMixerDev& device, const MixerCaps& caps) {
  const MixerHandle handle = device.Handle();
  const auto destinations = static_cast<int32_t>(caps.cDestinations);
  for (int32_t d = 0; d < destinations; ++d) {
    MixerLine dest;
    dest.cbStruct = kMixerLineSize;
    dest.dwDestination = static_cast<uint32_t>(d);
    if (!CheckMixerResult(port_.GetLineInfo(handle, dest, kMixerObjectfHmixer | kMixerGetLineInfofDestination), false,
                          nullptr)) {
      break;
    }
    if (!Target.LineType.contains(LineTypeOf(dest.dwComponentType))) continue;

    TMixerItem* destination = nullptr;
    int32_t kept = 0;
    // Sources whose control list could not be read stay without controls;
    // their destination must stay with them.
    int32_t unreadable = 0;
    const auto connections = static_cast<int32_t>(dest.cConnections);
    for (int32_t s = -1; s < connections; ++s) {
      MixerLine line;
      line.cbStruct = kMixerLineSize;
      line.dwDestination = static_cast<uint32_t>(d);
      line.dwSource = s < 0 ? 0u : static_cast<uint32_t>(s);
      const uint32_t which = s < 0 ? kMixerGetLineInfofDestination : kMixerGetLineInfofSource;
      if (!CheckMixerResult(port_.GetLineInfo(handle, line, kMixerObjectfHmixer | which), false, nullptr)) continue;
      if (!Target.LineType.contains(LineTypeOf(line.dwComponentType))) continue;
      const auto controlCount = static_cast<int32_t>(line.cControls);
      if (s >= 0 && !EnableInvalidItem && controlCount == 0) continue;

      TMixerItem* item = device.AddItem(line, destination, Options, d);
      if (s < 0) destination = item;

      if (controlCount > 0) {
        std::vector<MixerControl> records(static_cast<std::size_t>(controlCount));
        for (auto& r : records) r.cbStruct = kMixerControlSize;
        MixerLineControls list;
        list.cbStruct = kMixerLineControlsSize;
        list.dwLineID = line.dwLineID;
        list.cControls = static_cast<uint32_t>(controlCount);
        list.cbmxctrl = kMixerControlSize;
        list.pamxctrl = records.data();
        if (!CheckMixerResult(port_.GetLineControls(handle, list, kMixerObjectfHmixer | kMixerGetLineControlsfAll),
                              false, nullptr)) {
          if (!item->IsDestination()) ++unreadable;
          continue;
        }
        for (auto& c : records) {
          if (!Target.ControlType.contains(ControlTypeOf(c.dwControlType))) continue;
          // One value serves every channel of a mute switch.
          if (c.dwControlType == kControlTypeMute) c.fdwControl |= kControlfUniform;
          const int32_t index = device.AddControl(c, Options, item);
          if (item->FirstControl == -1) item->FirstControl = index;
        }
      }

      if (item->IsDestination()) continue;
      if (EnableInvalidItem || item->HasControls()) {
        ++kept;
      } else {
        device.RemoveItem(item);
      }
    }
    if (!EnableInvalidItem && destination && !destination->HasControls() && kept == 0 && unreadable == 0) {
      device.RemoveItem(destination);
    }
  }
}

TMixerDev* TMixer::FindDevice(MixerHandle handle) const {
  for (const auto& d : devices_) {
    if (d->Handle() == handle) return d.get();
  }
  return nullptr;
}

TMixerItem* TMixer::MasterItem() const {
  const TMixerDev* first = FirstDevice();
  return first ? first->FindItemByType(dtSpeakers, 0) : nullptr;
}

int32_t TMixer::GetMasterVolume() {
  TMixerItem* item = MasterItem();
  return item ? item->GetVolume() : -1;
}

void TMixer::SetMasterVolume(int32_t percent) {
  if (TMixerItem* item = MasterItem()) item->SetVolume(percent);
}

bool TMixer::GetMasterMute() {
  TMixerItem* item = MasterItem();
  return item ? item->GetMute() : false;
}

void TMixer::SetMasterMute(bool on) {
  if (TMixerItem* item = MasterItem()) item->SetMute(on);
}

void TMixer::ControlChanged(MixerHandle handle, uint32_t controlID) {
  if (!OnControlChange) return;
  TMixerDev* device = FindDevice(handle);
  if (!device) return;
  TMixerCtrl* control = device->FindControlByID(controlID);
  if (!control || !control->Item) return;
  // A copy: the handler may replace the event while it runs.
  const TMixerControlChangeEvent handler = OnControlChange;
  handler(*this, *device, *control->Item, *control);
}

void TMixer::LineChanged(MixerHandle handle, uint32_t lineID) {
  if (!OnLineChange) return;
  TMixerDev* device = FindDevice(handle);
  if (!device) return;
  TMixerItem* item = device->FindItemByLineID(lineID);
  if (!item) return;
  const TMixerLineChangeEvent handler = OnLineChange;
  handler(*this, *device, *item);
}

}  // namespace volmaru::volume
