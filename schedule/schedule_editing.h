// The schedule page of the settings window as data: the working copy of the
// 8 x 3 time bands, the day group on display, which groups hold a band, what
// the band fields show, the check of a day's three bands before the day
// selector moves or OK saves, and the normal volume of one device at a time.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/device_profile.h"
#include "settings/volume_schedule.h"

namespace volmaru::schedule {

inline constexpr int kGroups = 8;  // 毎日, 日, 月, 火, 水, 木, 金, 土
inline constexpr int kBands = 3;
inline constexpr std::array<std::string_view, kGroups> kDayCaptions = {"毎日", "日", "月", "火",
                                                                       "水",   "木", "金", "土"};
inline constexpr int kOffsetMin = -100;
inline constexpr int kOffsetMax = 100;

inline constexpr std::string_view kTimeFormatMessage = "時間帯の指定は半角の24時間制で正確に入力してください。";
inline constexpr std::string_view kSameTimeMessage = "時間帯の最初と最後は違う時刻にしてください。";
inline constexpr std::string_view kOrderMessage = "時間帯の最初は最後より前の時刻にしてください。";
inline constexpr std::string_view kNormalVolumeMessage = "「通常の音量」は0～100を半角で入力してください。";

// --- times of day -------------------------------------------------------------

// A time of day from hour and minute (a day fraction).
double TimeOfDay(int hour, int minute);
// Two times within 1 ms of each other are the same time.
bool SameTime(double a, double b);
// `a` is later than `b` by more than 1 ms.
bool Later(double a, double b);
// Hour and minute of a time of day (seconds dropped).
struct HourMinute {
  int hour = 0;
  int minute = 0;
};
HourMinute SplitTime(double dayFraction);

// A field read as a whole number; empty or other text reads as -1.
int FieldNumber(std::string_view text);

// --- the band rows ------------------------------------------------------------

// What one band row shows: its four time fields and its slider.
struct BandFields {
  std::string startHour;
  std::string startMinute;
  std::string endHour;
  std::string endMinute;
  int slider = 0;
  bool operator==(const BandFields&) const = default;
};
using DayFields = std::array<BandFields, kBands>;

// The label beside a slider: "+15", "0", "-20".
std::string SliderLabel(int value);

// Where a refused day puts the user: the schedule page in front and the
// focus on one field of one band (field 0..3: start hour, start minute, end
// hour, end minute), or nothing when both stay where they are.
struct DayRefusal {
  std::string_view message;
  bool showPage = false;
  int band = -1;
  int field = -1;
};

class ScheduleEditor {
 public:
  // Opening with a settings file: the stored bands become the working copy
  // and each group that holds a complete band is marked.
  void Load(const ScheduleTable& stored);
  // Opening without a settings file: every band empty, offsets 0.
  void Reset();

  // The fields of a day group: at opening minutes show two digits; after
  // the selector moved they show no leading zero and an empty band's slider
  // shows 0.
  DayFields Display(int group, bool atOpening) const;

  // Checks the three bands of the displayed group as they stand in the
  // fields and stores them in the working copy; nothing when all pass.
  std::optional<DayRefusal> ValidateScheduleDay(const DayFields& fields);

  // The day selector moved: the displayed group is checked first; when it
  // passes, `group` is displayed and its fields are returned.
  struct SelectResult {
    std::optional<DayRefusal> refusal;  // the selector goes back to the displayed group
    DayFields fields;                   // what the new group shows
  };
  SelectResult SelectDay(int group, const DayFields& displayedFields);

  int displayed() const { return displayed_; }
  const ScheduleTable& bands() const { return bands_; }
  bool DayHasBands(int group) const { return dayHasBands_[static_cast<size_t>(group)]; }
  bool AnyDayHasBands() const;

  // A band, a slider, a time field, the switch or a normal volume was
  // changed since the window was shown.
  bool ScheduleEdited = false;
  // Fields are being filled by code: their change handlers stay quiet.
  bool IsLoading = false;

 private:
  ScheduleTable bands_{};
  std::array<bool, kGroups> dayHasBands_{};
  int displayed_ = 0;
};

// --- the normal volume --------------------------------------------------------

// The field "通常の音量:" belongs to one working profile at a time; a value
// typed and not yet stored is pending.
class NormalVolumeEditor {
 public:
  // The question asked when another device is chosen while a value is
  // pending.
  static std::string PendingQuestion(std::string_view previousName);

  // Shows device `index` (-1 = none); returns the field's text.
  std::string Show(int index, const std::vector<TDefDeviceTrayIconData>& profiles);
  // The user typed in the field.
  void Typed() { pending_ = true; }
  // "OK": the field's text must be 0..100; stored as the device's normal
  // volume. Returns the refusal message, or nothing when stored.
  std::optional<std::string_view> Store(std::string_view text, std::vector<TDefDeviceTrayIconData>& profiles);
  // Another device chosen in the list. A pending value is first offered for
  // saving through `ask`; "No" drops it. A value that cannot be stored is
  // refused with its message and stays marked as pending, and the field
  // moves on to the chosen device all the same.
  struct Choice {
    bool switched = false;
    std::string fieldText;                    // when switched
    std::optional<std::string_view> refusal;  // the message of a value that could not be stored
  };
  Choice Choose(int index, std::string_view fieldText, std::vector<TDefDeviceTrayIconData>& profiles,
                const std::function<bool(std::string_view)>& ask);
  // Drops a pending value (the window's changes were discarded).
  void Drop() { pending_ = false; }

  int device() const { return device_; }
  bool pending() const { return pending_; }

 private:
  int device_ = -1;
  bool pending_ = false;
};

}  // namespace volmaru::schedule
