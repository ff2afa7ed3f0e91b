#include "settings/settings_store.h"

#include <algorithm>
#include <limits>

#include "common/text.h"

namespace volmaru::settings {
namespace {

struct LegacyMainKey {
  int code;
  const char* name;
};
// "MainKey" of older files was an index into the choice of main keys.
constexpr LegacyMainKey kLegacyMainKeys[] = {
    {29, "無変換"},           {28, "変換"}, {17, "Ctrl"}, {18, "Alt"}, {91, "Left Windows"}, {92, "Right Windows"},
    {93, "アプリケーション"},
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<int32_t> ParseProfileInteger(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(1);  // "0x1F" reads like "$1F"
    return ParseProfileInteger("$" + std::string(text.substr(1)));
  }
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  if (text.front() == '$') {
    text.remove_prefix(1);
    if (text.empty() || text.size() > 8) {
      // More than 8 digits is only valid with leading zeros.
      while (text.size() > 8 && text.front() == '0') text.remove_prefix(1);
      if (text.empty() || text.size() > 8) return std::nullopt;
    }
    uint32_t v = 0;
    for (char c : text) {
      const int d = HexDigit(c);
      if (d < 0) return std::nullopt;
      v = (v << 4) | static_cast<uint32_t>(d);
    }
    // Hexadecimal covers the full 32 bits, so $FFFFFFFF is -1.
    const auto bits = static_cast<int32_t>(v);
    return negative ? static_cast<int32_t>(0u - v) : bits;
  }
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
    if (v > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1) return std::nullopt;
  }
  if (negative) v = -v;
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(v);
}

int32_t SettingsStore::ReadInt(const Setting& s) const {
  const std::optional<std::string> text = file_.Read(s.section, s.key);
  if (!text) return s.intDefault;
  return ParseProfileInteger(*text).value_or(s.intDefault);
}

bool SettingsStore::ReadBool(const Setting& s) const { return ReadInt(s) != 0; }

uint32_t SettingsStore::ReadColour(const Setting& s) const { return static_cast<uint32_t>(ReadInt(s)); }

std::string SettingsStore::ReadString(const Setting& s) const {
  return file_.Read(s.section, s.key).value_or(s.textDefault);
}

double SettingsStore::ReadTime(const Setting& s) const {
  const std::optional<std::string> text = file_.Read(s.section, s.key);
  if (!text) return s.timeDefault;
  return ParseTimeOfDay(*text, format_).value_or(s.timeDefault);
}

void SettingsStore::WriteInt(const Setting& s, int32_t value) { file_.Write(s.section, s.key, std::to_string(value)); }

void SettingsStore::WriteBool(const Setting& s, bool value) { file_.Write(s.section, s.key, value ? "1" : "0"); }

void SettingsStore::WriteColour(const Setting& s, uint32_t value) { WriteInt(s, static_cast<int32_t>(value)); }

void SettingsStore::WriteString(const Setting& s, std::string_view value) { file_.Write(s.section, s.key, value); }

void SettingsStore::WriteTime(const Setting& s, double dayFraction) {
  file_.Write(s.section, s.key, FormatTimeOfDay(dayFraction, format_));
}

void SettingsStore::Delete(const Setting& s) { file_.DeleteKey(s.section, s.key); }

void SettingsStore::RunMigrations() {
  ProfileFile::Transaction tx(file_);
  // 1. The main key used to be stored as an index into a fixed list.
  if (file_.HasKey(keys::LegacyMainKey.section, keys::LegacyMainKey.key)) {
    const int32_t index = ReadInt(keys::LegacyMainKey);
    if (index >= 0 && index <= 6) {
      WriteInt(keys::MainKeyCode, kLegacyMainKeys[index].code);
      WriteString(keys::MainKeyName, kLegacyMainKeys[index].name);
    }
    Delete(keys::LegacyMainKey);
  }
  // 2. One switch for keys and mouse became two.
  const Setting& both = keys::LegacyNoChangeByKeyAndMouse;
  if (file_.HasSection(both.section)) {
    const bool value = ReadBool(both);
    WriteBool(keys::NoChangeByKey, value);
    WriteBool(keys::NoChangeByMouse, value);
    file_.EraseSection(both.section);
  }
  // 3. Schedules of the older layout cannot be carried over: dropped whole.
  if (file_.HasKey(keys::LegacyScheduleNormalVolume.section, keys::LegacyScheduleNormalVolume.key)) {
    file_.EraseSection(keys::ScheduleSection(0));
    for (int group = 1; group < kScheduleGroups; ++group) {
      if (file_.HasSection(keys::ScheduleSection(group))) file_.EraseSection(keys::ScheduleSection(group));
    }
  }
  tx.Commit();
}

KeyboardSettings SettingsStore::ReadKeyboard(const Setting& mainKeyOnly) const {
  KeyboardSettings k;
  k.MainKeyOnly = ReadBool(mainKeyOnly);
  k.VolumeStep = ReadInt(keys::VolumeChangeValue);
  k.MainKey = {ReadInt(keys::MainKeyCode), ReadString(keys::MainKeyName)};
  k.VolumeUpKey = {ReadInt(keys::VolumeUpKeyCode), ReadString(keys::VolumeUpKeyName)};
  k.VolumeDownKey = {ReadInt(keys::VolumeDownKeyCode), ReadString(keys::VolumeDownKeyName)};
  k.MuteKey = {ReadInt(keys::MuteKeyCode), ReadString(keys::MuteKeyName)};
  return k;
}

std::vector<int> SettingsStore::PresentDeviceSections(int count) const {
  // The count comes from the file and may be anything (negative, 2^31 - 1):
  // only sections that are there are read, so reading costs what the file
  // holds. Names match as the profile functions match them: "DeviceIconData"
  // in any case, then the index in decimal without leading zeros.
  constexpr std::string_view kPrefix = "DeviceIconData";
  std::vector<int> present;
  for (const std::string& name : file_.Sections()) {
    if (name.size() <= kPrefix.size() || !EqualsIgnoreAsciiCase(name.substr(0, kPrefix.size()), kPrefix)) continue;
    const std::string_view digits = std::string_view(name).substr(kPrefix.size());
    if (digits.size() > 1 && digits.front() == '0') continue;
    int64_t index = 0;
    bool ok = true;
    for (const char c : digits) {
      ok = ok && c >= '0' && c <= '9' && index < count;
      if (!ok) break;
      index = index * 10 + (c - '0');
    }
    if (ok && index < count) present.push_back(static_cast<int>(index));
  }
  std::sort(present.begin(), present.end());
  present.erase(std::unique(present.begin(), present.end()), present.end());
  return present;
}

std::vector<TDefDeviceTrayIconData> SettingsStore::ReadDeviceProfiles(const IconColours& icon) const {
  // A device colour of -1 is an unset one: it takes the colour a device
  // without a section gets, never 0xFFFFFFFF as a colour to draw with.
  const auto colour = [this](const Setting& s) {
    const uint32_t c = ReadColour(s);
    return c == 0xFFFFFFFFu ? static_cast<uint32_t>(s.intDefault) : c;
  };
  std::vector<TDefDeviceTrayIconData> profiles;
  const int count = ReadInt(keys::IconDeviceIconDataCount);
  if (count <= 0) return profiles;
  for (const int i : PresentDeviceSections(count)) {
    TDefDeviceTrayIconData p;
    p.DeviceName = ReadString(keys::DeviceName(i));
    p.TextColor = colour(keys::DeviceTextColor(i, icon.Text));
    p.BackColor = colour(keys::DeviceBackColor(i, icon.Back));
    p.IsScheduleChange = ReadBool(keys::DeviceIsScheduleChange(i));
    p.ScheduleChangeTime = ReadTime(keys::DeviceScheduleChangeTime(i));
    p.IsShowOnMenu = ReadBool(keys::DeviceIsShowOnMenu(i));
    p.VolumeBarColor = colour(keys::DeviceVolumeBarColor(i));
    p.NormalVolume = ReadInt(keys::DeviceNormalVolume(i));
    profiles.push_back(std::move(p));
  }
  return profiles;
}

ScheduleTable SettingsStore::ReadSchedule() const {
  ScheduleTable table{};
  for (int g = 0; g < kScheduleGroups; ++g) {
    for (int b = 0; b < kScheduleBands; ++b) {
      VolumeSchedule& band = table[static_cast<size_t>(g)][static_cast<size_t>(b)];
      band.Start = ReadTime(keys::ScheduleStartTime(g, b));
      band.End = ReadTime(keys::ScheduleEndTime(g, b));
      band.Offset = ReadInt(keys::ScheduleVolume(g, b));
    }
  }
  return table;
}

MainWindowSettings SettingsStore::LoadMainWindow() const {
  const ProfileFile::ReadScope scope(file_);
  MainWindowSettings m;
  m.Keyboard = ReadKeyboard(keys::MainKeyOnly);
  m.Icon = {ReadColour(keys::IconColor), ReadColour(keys::IconBackColor)};
  m.DeviceProfiles = ReadDeviceProfiles(m.Icon);
  m.WheelReverse = ReadBool(keys::WheelHokoChange);
  m.VolumeChangeWaitTime = ReadInt(keys::VolumeChangeWaitTime);
  m.TrayIconWaitTime = ReadInt(keys::TrayIconWaitTime);
  m.NoChangeByKey = ReadBool(keys::NoChangeByKey);
  m.NoChangeByMouse = ReadBool(keys::NoChangeByMouse);
  m.NoShowBalloonHint = ReadBool(keys::NoShowBalloonHint);
  m.ScheduleUse = ReadBool(keys::ScheduleUse);
  m.Schedule = ReadSchedule();
  return m;
}

MeterSettings SettingsStore::LoadMeter() const {
  const ProfileFile::ReadScope scope(file_);
  MeterSettings m;
  m.Position = ReadInt(keys::VolumeBarPosition);
  m.AllwaysShow = ReadBool(keys::VolumeBarAllwaysShow);
  m.ShowTime = ReadInt(keys::VolumeBarShowTime);
  m.IsNoShowPanelSetVolume = ReadBool(keys::VolumeBarIsNoShowPanelSetVolume);
  m.Color = ReadColour(keys::VolumeBarColor);
  for (int place = 0; place < kMeterPlaces; ++place) {
    m.Places[static_cast<size_t>(place)] = {ReadInt(keys::FormPosX(place)), ReadInt(keys::FormPosY(place))};
  }
  const int count = std::min(ReadInt(keys::SavedVolumeCount), kMaxSavedVolumes);
  for (int i = 0; i < count; ++i) m.SavedVolumes.push_back(ReadInt(keys::SavedVolume(i)));
  return m;
}

PageSettings SettingsStore::LoadPages() const {
  const ProfileFile::ReadScope scope(file_);
  PageSettings p;
  p.Position = ReadInt(keys::VolumeBarPosition);
  p.ColorByIconColor = ReadInt(keys::VolumeBarColorByIconColor);
  p.ChangeColorByDevice = ReadBool(keys::VolumeBarChangeColorByDevice);
  p.AllwaysShow = ReadBool(keys::VolumeBarAllwaysShow);
  p.ShowTime = ReadInt(keys::VolumeBarShowTime);
  p.IsShowByPointIcon = ReadBool(keys::VolumeBarIsShowByPointIcon);
  p.IsNoShowPanelSetVolume = ReadBool(keys::VolumeBarIsNoShowPanelSetVolume);
  p.MeterColor = ReadColour(keys::VolumeBarColor);
  p.Keyboard = ReadKeyboard(keys::MainKeyOnlyAsPagesRead);
  p.Icon = {ReadColour(keys::IconColor), ReadColour(keys::IconBackColor)};
  p.UseDefAudioDeviceIcon = ReadBool(keys::IconUseDefAudioDeviceIcon);
  p.ChangeIconColorByDevice = ReadBool(keys::IconChangeIconColorByDevice);
  for (int k = 0; k < kVisibleMenuEntries; ++k) {
    p.VisibleMenuItems[static_cast<size_t>(k)] = ReadBool(keys::VisibleMenuItem(k));
  }
  p.WheelReverse = ReadBool(keys::WheelHokoChange);
  p.VolumeChangeWaitTime = ReadInt(keys::VolumeChangeWaitTime);
  p.TrayIconWaitTime = ReadInt(keys::TrayIconWaitTime);
  p.NoChangeByKey = ReadBool(keys::NoChangeByKey);
  p.NoChangeByMouse = ReadBool(keys::NoChangeByMouse);
  p.ScheduleUse = ReadBool(keys::ScheduleUse);
  p.Schedule = ReadSchedule();
  return p;
}

void SettingsStore::WriteSchedule(const ScheduleTable& schedule) {
  ProfileFile::Transaction tx(file_);
  for (int g = 0; g < kScheduleGroups; ++g) {
    for (int b = 0; b < kScheduleBands; ++b) {
      const VolumeSchedule& band = schedule[static_cast<size_t>(g)][static_cast<size_t>(b)];
      const Setting start = keys::ScheduleStartTime(g, b);
      const Setting end = keys::ScheduleEndTime(g, b);
      const Setting offset = keys::ScheduleVolume(g, b);
      if (band.IsComplete()) {
        WriteTime(start, band.Start);
        WriteTime(end, band.End);
        WriteInt(offset, band.Offset);
      } else {
        for (const Setting* s : {&start, &end, &offset}) {
          if (file_.HasKey(s->section, s->key)) Delete(*s);
        }
      }
    }
  }
  tx.Commit();
}

void SettingsStore::SaveSettingsWindow(const PageSettings& p, const std::vector<TDefDeviceTrayIconData>& profiles) {
  ProfileFile::Transaction tx(file_);
  WriteInt(keys::VolumeBarPosition, p.Position);
  WriteInt(keys::VolumeBarColorByIconColor, p.ColorByIconColor);
  WriteBool(keys::VolumeBarChangeColorByDevice, p.ChangeColorByDevice);
  WriteBool(keys::VolumeBarAllwaysShow, p.AllwaysShow);
  WriteInt(keys::VolumeBarShowTime, p.ShowTime);
  WriteBool(keys::VolumeBarIsShowByPointIcon, p.IsShowByPointIcon);
  WriteBool(keys::VolumeBarIsNoShowPanelSetVolume, p.IsNoShowPanelSetVolume);

  const KeyboardSettings& k = p.Keyboard;
  WriteBool(keys::MainKeyOnly, k.MainKeyOnly);
  WriteInt(keys::VolumeChangeValue, k.VolumeStep);
  WriteInt(keys::MainKeyCode, k.MainKey.code);
  WriteString(keys::MainKeyName, k.MainKey.name);
  WriteInt(keys::VolumeUpKeyCode, k.VolumeUpKey.code);
  WriteString(keys::VolumeUpKeyName, k.VolumeUpKey.name);
  WriteInt(keys::VolumeDownKeyCode, k.VolumeDownKey.code);
  WriteString(keys::VolumeDownKeyName, k.VolumeDownKey.name);
  WriteInt(keys::MuteKeyCode, k.MuteKey.code);
  WriteString(keys::MuteKeyName, k.MuteKey.name);

  WriteColour(keys::IconColor, p.Icon.Text);
  WriteColour(keys::IconBackColor, p.Icon.Back);
  WriteBool(keys::IconUseDefAudioDeviceIcon, p.UseDefAudioDeviceIcon);
  WriteBool(keys::IconChangeIconColorByDevice, p.ChangeIconColorByDevice);

  for (int e = 0; e < kVisibleMenuEntries; ++e) {
    WriteBool(keys::VisibleMenuItem(e), p.VisibleMenuItems[static_cast<size_t>(e)]);
  }

  WriteInt(keys::IconDeviceIconDataCount, static_cast<int32_t>(profiles.size()));
  for (size_t i = 0; i < profiles.size(); ++i) {
    const int n = static_cast<int>(i);
    const TDefDeviceTrayIconData& d = profiles[i];
    WriteString(keys::DeviceName(n), d.DeviceName);
    WriteColour(keys::DeviceTextColor(n, 0), d.TextColor);
    WriteColour(keys::DeviceBackColor(n, 0), d.BackColor);
    WriteBool(keys::DeviceIsScheduleChange(n), d.IsScheduleChange);
    WriteTime(keys::DeviceScheduleChangeTime(n), d.ScheduleChangeTime);
    WriteBool(keys::DeviceIsShowOnMenu(n), d.IsShowOnMenu);
    WriteColour(keys::DeviceVolumeBarColor(n), d.VolumeBarColor);
    WriteInt(keys::DeviceNormalVolume(n), d.NormalVolume);
  }

  WriteBool(keys::WheelHokoChange, p.WheelReverse);
  WriteInt(keys::VolumeChangeWaitTime, p.VolumeChangeWaitTime);
  WriteInt(keys::TrayIconWaitTime, p.TrayIconWaitTime);
  WriteBool(keys::NoChangeByKey, p.NoChangeByKey);
  WriteBool(keys::NoChangeByMouse, p.NoChangeByMouse);

  WriteBool(keys::ScheduleUse, p.ScheduleUse);
  // Switched off, the bands stay in the file for when it is switched on.
  if (p.ScheduleUse) WriteSchedule(p.Schedule);

  WriteColour(keys::VolumeBarColor, p.MeterColor);
  tx.Commit();
}

void SettingsStore::WriteToggle(Toggle which, bool checked) {
  ProfileFile::Transaction tx(file_);
  switch (which) {
    case Toggle::kNoChangeByKey:
      WriteBool(keys::NoChangeByKey, checked);
      break;
    case Toggle::kNoChangeByMouse:
      WriteBool(keys::NoChangeByMouse, checked);
      break;
    case Toggle::kNoShowBalloonHint:
      WriteBool(keys::NoShowBalloonHint, checked);
      break;
  }
  tx.Commit();
}

void SettingsStore::WriteMeterPosition(int place, MeterPosition pos) {
  ProfileFile::Transaction tx(file_);
  WriteInt(keys::FormPosX(place), pos.X);
  WriteInt(keys::FormPosY(place), pos.Y);
  tx.Commit();
}

void SettingsStore::AddSavedVolume(int index, int volume) {
  ProfileFile::Transaction tx(file_);
  WriteInt(keys::SavedVolume(index), volume);
  WriteInt(keys::SavedVolumeCount, index + 1);
  tx.Commit();
}

void SettingsStore::RewriteSavedVolumes(const std::vector<int>& volumes) {
  ProfileFile::Transaction tx(file_);
  file_.EraseSection(keys::SavedVolumeCount.section);
  for (size_t i = 0; i < volumes.size(); ++i) WriteInt(keys::SavedVolume(static_cast<int>(i)), volumes[i]);
  WriteInt(keys::SavedVolumeCount, static_cast<int32_t>(volumes.size()));
  tx.Commit();
}

void SettingsStore::WriteVersionWindowSize(int width, int height) {
  ProfileFile::Transaction tx(file_);
  WriteInt(keys::VersionFormWidth(0), width);
  WriteInt(keys::VersionFormHeight(0), height);
  tx.Commit();
}

std::pair<int, int> SettingsStore::ReadVersionWindowSize(int designWidth, int designHeight) const {
  const ProfileFile::ReadScope scope(file_);
  if (!file_.Exists()) return {designWidth, designHeight};
  return {ReadInt(keys::VersionFormWidth(designWidth)), ReadInt(keys::VersionFormHeight(designHeight))};
}

}  // namespace volmaru::settings
