#include "schedule/schedule_editing.h"

#include <gtest/gtest.h>

namespace volmaru::schedule {
namespace {

BandFields Band(std::string sh, std::string sm, std::string eh, std::string em, int slider = 0) {
  return {std::move(sh), std::move(sm), std::move(eh), std::move(em), slider};
}

DayFields Day(BandFields a, BandFields b = {}, BandFields c = {}) { return {a, b, c}; }

VolumeSchedule Stored(int sh, int sm, int eh, int em, int offset) {
  return {TimeOfDay(sh, sm), TimeOfDay(eh, em), offset};
}

class ScheduleEditorTest : public ::testing::Test {
 protected:
  ScheduleEditor editor;
  void SetUp() override { editor.Reset(); }
  // Shows `group` (moving the selector there from an empty group 0).
  void Go(int group) {
    const auto r = editor.SelectDay(group, editor.Display(editor.displayed(), false));
    ASSERT_FALSE(r.refusal);
  }
};

TEST(ScheduleTimesTest, TimesWithinOneMillisecondAreTheSame) {
  const double ms = 1.0 / 86400000.0;
  EXPECT_TRUE(SameTime(0.5, 0.5 + 0.9 * ms));
  EXPECT_FALSE(SameTime(0.5, 0.5 + 2 * ms));
  EXPECT_TRUE(Later(0.5 + 2 * ms, 0.5));
  EXPECT_FALSE(Later(0.5 + 0.9 * ms, 0.5));
  EXPECT_FALSE(Later(0.4, 0.5));
  EXPECT_EQ(SplitTime(TimeOfDay(7, 30)).hour, 7);
  EXPECT_EQ(SplitTime(TimeOfDay(7, 30)).minute, 30);
  EXPECT_EQ(SplitTime(TimeOfDay(23, 59)).hour, 23);
  EXPECT_EQ(SplitTime(TimeOfDay(23, 59) + 59.9 / 86400).minute, 59) << "seconds are dropped, not rounded up";
  EXPECT_EQ(FieldNumber(""), -1);
  EXPECT_EQ(FieldNumber("ab"), -1);
  EXPECT_EQ(FieldNumber("08"), 8);
}

TEST(ScheduleTimesTest, SliderLabels) {
  EXPECT_EQ(SliderLabel(15), "+15");
  EXPECT_EQ(SliderLabel(0), "0");
  EXPECT_EQ(SliderLabel(-20), "-20");
  EXPECT_EQ(SliderLabel(100), "+100");
}

TEST_F(ScheduleEditorTest, AWeekdayBandAcrossMidnightIsRefused) {
  Go(2);  // Monday
  const auto r = editor.ValidateScheduleDay(Day(Band("23", "00", "1", "00", -10)));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->message, kOrderMessage);
  EXPECT_TRUE(r->showPage);
  EXPECT_EQ(r->band, 0);
  EXPECT_EQ(r->field, 0) << "the start hour gets the focus";
  EXPECT_FALSE(editor.DayHasBands(2));
}

TEST_F(ScheduleEditorTest, TheSameBandEveryDayIsAccepted) {
  const auto r = editor.ValidateScheduleDay(Day(Band("23", "00", "1", "00", -10)));
  EXPECT_FALSE(r);
  const VolumeSchedule& band = editor.bands()[0][0];
  EXPECT_DOUBLE_EQ(band.Start, 23.0 / 24);
  EXPECT_DOUBLE_EQ(band.End, 1.0 / 24);
  EXPECT_EQ(band.Offset, -10);
  EXPECT_TRUE(editor.DayHasBands(0));
  EXPECT_TRUE(editor.ScheduleEdited);
}

TEST_F(ScheduleEditorTest, StartEqualToEndIsRefusedInEveryGroup) {
  for (int g = 0; g < kGroups; ++g) {
    editor.Reset();
    Go(g);
    const auto r = editor.ValidateScheduleDay(Day({}, Band("10", "00", "10", "0")));
    ASSERT_TRUE(r) << g;
    EXPECT_EQ(r->message, kSameTimeMessage);
    EXPECT_TRUE(r->showPage);
    EXPECT_EQ(r->band, 1);
    EXPECT_EQ(r->field, 0);
    EXPECT_FALSE(editor.DayHasBands(g));
  }
}

TEST_F(ScheduleEditorTest, HourTwentyFourIsRefusedWithoutMovingTheFocus) {
  const auto r = editor.ValidateScheduleDay(Day(Band("24", "00", "10", "00")));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->message, kTimeFormatMessage);
  EXPECT_FALSE(r->showPage) << "all four fields hold numbers";
  EXPECT_EQ(r->band, -1);
  EXPECT_EQ(r->field, -1) << "no field to focus";
  const auto m = editor.ValidateScheduleDay(Day(Band("9", "60", "10", "00")));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->message, kTimeFormatMessage);
  EXPECT_FALSE(editor.ValidateScheduleDay(Day(Band("23", "59", "0", "0"))));
}

TEST_F(ScheduleEditorTest, ThreeOfFourFieldsPutTheFocusOnTheEmptyOne) {
  for (int empty = 0; empty < 4; ++empty) {
    BandFields f = Band("8", "00", "9", "30");
    std::string* fields[] = {&f.startHour, &f.startMinute, &f.endHour, &f.endMinute};
    fields[empty]->clear();
    const auto r = editor.ValidateScheduleDay(Day({}, {}, f));
    ASSERT_TRUE(r) << empty;
    EXPECT_EQ(r->message, kTimeFormatMessage);
    EXPECT_TRUE(r->showPage);
    EXPECT_EQ(r->band, 2);
    EXPECT_EQ(r->field, empty);
  }
  // With an out-of-range field before it, the empty field still gets it.
  const auto r = editor.ValidateScheduleDay(Day(Band("30", "00", "", "00")));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->field, 2);
}

TEST_F(ScheduleEditorTest, AFailedBandLeavesTheDayWithoutBands) {
  const auto r = editor.ValidateScheduleDay(Day(Band("8", "00", "9", "00"), Band("x", "", "", "")));
  ASSERT_TRUE(r);
  EXPECT_FALSE(editor.DayHasBands(0));
  EXPECT_FALSE(editor.AnyDayHasBands());
}

TEST_F(ScheduleEditorTest, ClearingAllFourFieldsEmptiesTheBand) {
  ScheduleTable stored{};
  stored[3][1] = Stored(8, 0, 9, 0, 20);
  editor.Load(stored);
  EXPECT_TRUE(editor.DayHasBands(3));
  Go(3);
  EXPECT_FALSE(editor.ValidateScheduleDay(Day({}, Band("", "", "", "", 20))));
  EXPECT_EQ(editor.bands()[3][1], (VolumeSchedule{-1, -1, -100})) << "no times, and the offset of an empty band";
  EXPECT_FALSE(editor.DayHasBands(3)) << "the group no longer counts";
  EXPECT_FALSE(editor.AnyDayHasBands());
  const DayFields f = editor.Display(3, false);
  EXPECT_EQ(f[1], BandFields{}) << "an emptied band shows empty fields and its slider at 0";
}

TEST_F(ScheduleEditorTest, AnOffsetOfMinusSeventySurvivesLeavingAndComingBack) {
  ScheduleTable stored{};
  stored[0][0] = Stored(22, 0, 6, 0, -70);
  editor.Load(stored);
  const DayFields shown = editor.Display(0, true);
  EXPECT_EQ(shown[0], Band("22", "00", "6", "00", -70));
  auto away = editor.SelectDay(5, shown);
  ASSERT_FALSE(away.refusal);
  EXPECT_EQ(editor.displayed(), 5);
  auto back = editor.SelectDay(0, away.fields);
  ASSERT_FALSE(back.refusal);
  EXPECT_EQ(back.fields[0], Band("22", "0", "6", "0", -70)) << "minutes without a leading zero after a move";
  EXPECT_EQ(editor.bands()[0][0].Offset, -70);
}

TEST_F(ScheduleEditorTest, MinutesShowTwoDigitsAtOpening) {
  ScheduleTable stored{};
  stored[1][2] = Stored(7, 5, 10, 0, 15);
  editor.Load(stored);
  EXPECT_EQ(editor.Display(1, true)[2], Band("7", "05", "10", "00", 15));
  stored[1][0] = Stored(10, 10, 11, 9, 0);
  editor.Load(stored);
  EXPECT_EQ(editor.Display(1, true)[0], Band("10", "10", "11", "09", 0));
  EXPECT_EQ(editor.Display(1, false)[2], Band("7", "5", "10", "0", 15));
}

TEST_F(ScheduleEditorTest, SlidersShowOnlyOffsetsInRange) {
  ScheduleTable stored{};
  stored[0][0] = Stored(1, 0, 2, 0, 150);
  stored[0][1] = Stored(3, 0, 4, 0, -101);
  stored[0][2] = {-1, -1, 40};  // no times, an offset
  editor.Load(stored);
  const DayFields opening = editor.Display(0, true);
  EXPECT_EQ(opening[0].slider, 0);
  EXPECT_EQ(opening[1].slider, 0);
  EXPECT_EQ(opening[2].slider, 40) << "at opening an empty band shows its offset";
  EXPECT_EQ(opening[2].startHour, "");
  EXPECT_EQ(editor.Display(0, false)[2].slider, 0) << "after a move an empty band shows 0";
  EXPECT_EQ(editor.Display(0, false)[1].slider, 0);
}

TEST_F(ScheduleEditorTest, ARefusedDayKeepsTheSelector) {
  const auto r = editor.SelectDay(4, Day(Band("10", "00", "10", "00")));
  ASSERT_TRUE(r.refusal);
  EXPECT_EQ(editor.displayed(), 0);
  EXPECT_EQ(r.fields[0].startHour, "10") << "the fields stay as typed";
}

TEST_F(ScheduleEditorTest, EmptyBandsPassWithoutMarkingTheDay) {
  EXPECT_FALSE(editor.ValidateScheduleDay({}));
  EXPECT_FALSE(editor.DayHasBands(0));
  EXPECT_FALSE(editor.ScheduleEdited) << "nothing was edited";
  EXPECT_EQ(editor.bands()[0][0].Offset, -100);
  EXPECT_FALSE(editor.ValidateScheduleDay(Day(Band(" ", "", "", "")))) << "spaces count as empty";
}

TEST_F(ScheduleEditorTest, LoadingMarksTheGroupsWithACompleteBand) {
  ScheduleTable stored{};
  stored[7][2] = Stored(6, 0, 7, 0, 0);
  stored[0][1] = Stored(22, 0, 6, 0, -30);
  stored[4][0] = {TimeOfDay(6, 0), -1, 10};  // end missing: empty
  editor.Load(stored);
  for (int g = 0; g < kGroups; ++g) EXPECT_EQ(editor.DayHasBands(g), g == 7 || g == 0) << g;
  EXPECT_TRUE(editor.AnyDayHasBands());
  editor.Reset();
  EXPECT_FALSE(editor.AnyDayHasBands());
  EXPECT_EQ(editor.bands()[7][2], (VolumeSchedule{-1, -1, 0}));
}

// --- normal volume ------------------------------------------------------------------

std::vector<TDefDeviceTrayIconData> Devices() {
  TDefDeviceTrayIconData a;
  a.DeviceName = "Speakers";
  a.NormalVolume = 40;
  TDefDeviceTrayIconData b;
  b.DeviceName = "HDMI";
  b.NormalVolume = 70;
  return {a, b};
}

TEST(NormalVolumeTest, TheQuestionNamesThePreviousDevice) {
  EXPECT_EQ(NormalVolumeEditor::PendingQuestion("Speakers"),
            "\"\"Speakers\"の通常の音量が変更されていますが、保存しますか？");
}

TEST(NormalVolumeTest, StoresZeroToHundredOnly) {
  auto profiles = Devices();
  NormalVolumeEditor e;
  EXPECT_EQ(e.Show(1, profiles), "70");
  e.Typed();
  for (const char* refused : {"101", "-1", "", "abc"}) {
    EXPECT_EQ(e.Store(refused, profiles), kNormalVolumeMessage) << refused;
    EXPECT_TRUE(e.pending());
  }
  EXPECT_FALSE(e.Store(" 0 ", profiles));
  EXPECT_EQ(profiles[1].NormalVolume, 0);
  EXPECT_FALSE(e.pending());
  EXPECT_FALSE(e.Store("100", profiles));
  EXPECT_EQ(profiles[1].NormalVolume, 100);
  EXPECT_EQ(profiles[0].NormalVolume, 40);
}

TEST(NormalVolumeTest, ChoosingAnotherDeviceOffersThePendingValue) {
  auto profiles = Devices();
  NormalVolumeEditor e;
  e.Show(0, profiles);
  e.Typed();
  std::vector<std::string> asked;
  auto yes = [&](std::string_view q) {
    asked.emplace_back(q);
    return true;
  };
  auto c = e.Choose(1, "55", profiles, yes);
  EXPECT_TRUE(c.switched);
  EXPECT_EQ(c.fieldText, "70");
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_EQ(profiles[0].NormalVolume, 55) << "Yes stores it for the previous device";
  EXPECT_EQ(e.device(), 1);
  EXPECT_FALSE(e.pending());

  e.Typed();
  c = e.Choose(0, "10", profiles, [](std::string_view) { return false; });
  EXPECT_TRUE(c.switched);
  EXPECT_EQ(profiles[1].NormalVolume, 70) << "No drops it";
  EXPECT_EQ(c.fieldText, "55");

  c = e.Choose(1, "55", profiles, [&](std::string_view) {
    ADD_FAILURE() << "nothing pending, nothing asked";
    return true;
  });
  EXPECT_TRUE(c.switched);
}

TEST(NormalVolumeTest, ARefusedPendingValueStillMovesToTheChosenDevice) {
  auto profiles = Devices();
  NormalVolumeEditor e;
  e.Show(0, profiles);
  e.Typed();
  const auto c = e.Choose(1, "150", profiles, [](std::string_view) { return true; });
  EXPECT_TRUE(c.switched);
  ASSERT_TRUE(c.refusal);
  EXPECT_EQ(*c.refusal, "「通常の音量」は0～100を半角で入力してください。");
  EXPECT_EQ(e.device(), 1);
  EXPECT_EQ(c.fieldText, std::to_string(profiles[1].NormalVolume));
  EXPECT_TRUE(e.pending()) << "still marked: nothing was stored";
  EXPECT_EQ(profiles[0].NormalVolume, 40) << "the refused text is stored nowhere";
}

TEST(NormalVolumeTest, NoDeviceShowsAnEmptyField) {
  auto profiles = Devices();
  NormalVolumeEditor e;
  EXPECT_EQ(e.Show(-1, profiles), "");
  EXPECT_EQ(e.Show(2, profiles), "");
  EXPECT_EQ(e.device(), -1);
  e.Typed();
  EXPECT_FALSE(e.Store("50", profiles)) << "valid, but there is no device to store it in";
  EXPECT_FALSE(e.pending());
}

}  // namespace
}  // namespace volmaru::schedule
