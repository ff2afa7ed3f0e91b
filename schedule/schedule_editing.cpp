#include "schedule/schedule_editing.h"

#include <cmath>

#include "common/text.h"

namespace volmaru::schedule {
namespace {

constexpr int64_t kMsPerDay = 86400000;

std::string TwoDigits(int v) { return v < 10 ? "0" + std::to_string(v) : std::to_string(v); }

bool AllEmpty(const BandFields& f) {
  auto blank = [](const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; };
  return blank(f.startHour) && blank(f.startMinute) && blank(f.endHour) && blank(f.endMinute);
}

}  // namespace

double TimeOfDay(int hour, int minute) { return (hour * 3600 + minute * 60) / 86400.0; }

bool SameTime(double a, double b) { return std::fabs(a - b) * static_cast<double>(kMsPerDay) <= 1.0; }

bool Later(double a, double b) { return (a - b) * static_cast<double>(kMsPerDay) > 1.0; }

HourMinute SplitTime(double dayFraction) {
  const int64_t minutes = MillisecondsOfDay(dayFraction) / 60000;
  return {static_cast<int>(minutes / 60), static_cast<int>(minutes % 60)};
}

int FieldNumber(std::string_view text) { return ParseFieldInteger(text).value_or(-1); }

std::string SliderLabel(int value) { return value > 0 ? "+" + std::to_string(value) : std::to_string(value); }

void ScheduleEditor::Load(const ScheduleTable& stored) {
  bands_ = stored;
  for (int g = 0; g < kGroups; ++g) {
    bool any = false;
    for (const VolumeSchedule& band : bands_[static_cast<size_t>(g)]) any = any || band.IsComplete();
    dayHasBands_[static_cast<size_t>(g)] = any;
  }
  displayed_ = 0;
}

void ScheduleEditor::Reset() {
  bands_ = ScheduleTable{};
  for (auto& group : bands_) {
    for (VolumeSchedule& band : group) band = VolumeSchedule{-1.0, -1.0, 0};
  }
  dayHasBands_.fill(false);
  displayed_ = 0;
}

bool ScheduleEditor::AnyDayHasBands() const {
  for (bool has : dayHasBands_) {
    if (has) return true;
  }
  return false;
}

DayFields ScheduleEditor::Display(int group, bool atOpening) const {
  DayFields fields;
  for (int b = 0; b < kBands; ++b) {
    const VolumeSchedule& band = bands_[static_cast<size_t>(group)][static_cast<size_t>(b)];
    BandFields& f = fields[static_cast<size_t>(b)];
    const bool inRange = band.Offset >= kOffsetMin && band.Offset <= kOffsetMax;
    f.slider = inRange ? band.Offset : 0;
    if (!band.IsComplete()) {
      if (!atOpening) f.slider = 0;
      continue;
    }
    const HourMinute start = SplitTime(band.Start);
    const HourMinute end = SplitTime(band.End);
    f.startHour = std::to_string(start.hour);
    f.endHour = std::to_string(end.hour);
    f.startMinute = atOpening ? TwoDigits(start.minute) : std::to_string(start.minute);
    f.endMinute = atOpening ? TwoDigits(end.minute) : std::to_string(end.minute);
  }
  return fields;
}

std::optional<DayRefusal> ScheduleEditor::ValidateScheduleDay(const DayFields& fields) {
  const auto g = static_cast<size_t>(displayed_);
  dayHasBands_[g] = false;
  for (int b = 0; b < kBands; ++b) {
    const BandFields& f = fields[static_cast<size_t>(b)];
    VolumeSchedule& band = bands_[g][static_cast<size_t>(b)];
    if (AllEmpty(f)) {
      band = VolumeSchedule{-1.0, -1.0, -100};
      continue;
    }
    const std::array<const std::string*, 4> texts = {&f.startHour, &f.startMinute, &f.endHour, &f.endMinute};
    std::array<int, 4> n{};
    for (size_t k = 0; k < texts.size(); ++k) n[k] = FieldNumber(*texts[k]);
    auto valid = [](int hour, int minute) { return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59; };
    if (!valid(n[0], n[1]) || !valid(n[2], n[3])) {
      dayHasBands_[g] = false;
      DayRefusal r{kTimeFormatMessage, false, b, -1};
      for (size_t k = 0; k < texts.size(); ++k) {
        if (!ParseFieldInteger(*texts[k])) {
          r.showPage = true;
          r.field = static_cast<int>(k);
          break;
        }
      }
      if (!r.showPage) r.band = -1;
      return r;
    }
    band.Start = TimeOfDay(n[0], n[1]);
    band.End = TimeOfDay(n[2], n[3]);
    if (SameTime(band.Start, band.End)) {
      dayHasBands_[g] = false;
      return DayRefusal{kSameTimeMessage, true, b, 0};
    }
    if (displayed_ != 0 && Later(band.Start, band.End)) {
      dayHasBands_[g] = false;
      return DayRefusal{kOrderMessage, true, b, 0};
    }
    band.Offset = f.slider;
    dayHasBands_[g] = true;
    ScheduleEdited = true;
  }
  return std::nullopt;
}

ScheduleEditor::SelectResult ScheduleEditor::SelectDay(int group, const DayFields& displayedFields) {
  SelectResult result;
  result.refusal = ValidateScheduleDay(displayedFields);
  if (result.refusal) {
    result.fields = displayedFields;
    return result;
  }
  displayed_ = group;
  result.fields = Display(group, false);
  return result;
}

std::string NormalVolumeEditor::PendingQuestion(std::string_view previousName) {
  return "\"\"" + std::string(previousName) + "\"の通常の音量が変更されていますが、保存しますか？";
}

std::string NormalVolumeEditor::Show(int index, const std::vector<TDefDeviceTrayIconData>& profiles) {
  pending_ = false;
  if (index < 0 || index >= static_cast<int>(profiles.size())) {
    device_ = -1;
    return {};
  }
  device_ = index;
  return std::to_string(profiles[static_cast<size_t>(index)].NormalVolume);
}

std::optional<std::string_view> NormalVolumeEditor::Store(std::string_view text,
                                                          std::vector<TDefDeviceTrayIconData>& profiles) {
  const std::optional<int> v = ParseFieldInteger(text);
  if (!v || *v < 0 || *v > 100) return kNormalVolumeMessage;
  if (device_ >= 0 && device_ < static_cast<int>(profiles.size())) {
    profiles[static_cast<size_t>(device_)].NormalVolume = *v;
  }
  pending_ = false;
  return std::nullopt;
}

NormalVolumeEditor::Choice NormalVolumeEditor::Choose(int index, std::string_view fieldText,
                                                      std::vector<TDefDeviceTrayIconData>& profiles,
                                                      const std::function<bool(std::string_view)>& ask) {
  Choice choice;
  if (index == device_) return choice;  // the same device: the field stays as it is
  if (pending_ && device_ >= 0 && device_ < static_cast<int>(profiles.size())) {
    if (ask(PendingQuestion(profiles[static_cast<size_t>(device_)].DeviceName))) {
      choice.refusal = Store(fieldText, profiles);
    }
  }
  const bool stillPending = choice.refusal.has_value();
  choice.switched = true;
  choice.fieldText = Show(index, profiles);
  pending_ = stillPending;
  return choice;
}

}  // namespace volmaru::schedule
