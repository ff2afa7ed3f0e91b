#include "settings/time_format.h"

#include <gtest/gtest.h>

namespace volmaru::settings {
namespace {

const DateTimeFormat& ja = JapaneseDateTimeFormat();

TEST(TimeFormatTest, JapaneseLocaleTextOfDayZero) {
  EXPECT_EQ(FormatTimeOfDay(7.5 / 24, ja), "1899/12/30 7:30:00");
  EXPECT_EQ(FormatTimeOfDay(0.0, ja), "1899/12/30");
  EXPECT_EQ(FormatTimeOfDay(23.0 / 24 + 59.0 / 1440, ja), "1899/12/30 23:59:00");
  EXPECT_EQ(FormatTimeOfDay(1.0 / 86400, ja), "1899/12/30 0:00:01");
}

TEST(TimeFormatTest, OtherLocalesUseTheirOwnPatterns) {
  const DateTimeFormat us{"M/d/yyyy", "h:mm:ss tt", "AM", "PM"};
  EXPECT_EQ(FormatTimeOfDay(13.25 / 24, us), "12/30/1899 1:15:00 PM");
  EXPECT_NEAR(*ParseTimeOfDay("12/30/1899 1:15:00 PM", us), 13.25 / 24, 1e-9);
  EXPECT_NEAR(*ParseTimeOfDay("12/30/1899 12:05:00 AM", us), 5.0 / 1440, 1e-9);
  const DateTimeFormat de{"dd.MM.yyyy", "HH:mm:ss", "", ""};
  EXPECT_EQ(FormatTimeOfDay(7.5 / 24, de), "30.12.1899 07:30:00");
  EXPECT_NEAR(*ParseTimeOfDay("30.12.1899 07:30:00", de), 7.5 / 24, 1e-9);
}

TEST(TimeFormatTest, ReadsWhatWindowsWritesAndLooserForms) {
  EXPECT_NEAR(*ParseTimeOfDay("1899/12/30 7:30:00", ja), 7.5 / 24, 1e-9);
  EXPECT_EQ(*ParseTimeOfDay("1899/12/30", ja), 0.0);
  EXPECT_NEAR(*ParseTimeOfDay("7:30", ja), 7.5 / 24, 1e-9);
  EXPECT_NEAR(*ParseTimeOfDay("99/12/30 18:00:00", ja), 0.75, 1e-9);
  EXPECT_NEAR(*ParseTimeOfDay("午後 1:00:00", ja), 13.0 / 24, 1e-9);
}

TEST(TimeFormatTest, RejectsWhatIsNotADateAndTime) {
  for (const char* bad : {"", "abc", "1899/13/30", "1899/02/30", "25:00:00", "7:60:00", "1899/12/30 7:30:00 x",
                          "1899/12/30 x", "-1", "12345/1/1"}) {
    EXPECT_EQ(ParseTimeOfDay(bad, ja), std::nullopt) << bad;
  }
}

TEST(TimeFormatTest, EveryMinuteRoundTrips) {
  for (int minute = 0; minute < 24 * 60; ++minute) {
    const double t = minute / 1440.0;
    const auto back = ParseTimeOfDay(FormatTimeOfDay(t, ja), ja);
    ASSERT_TRUE(back.has_value()) << minute;
    EXPECT_NEAR(*back, t, 1.0 / 86400000) << minute;
  }
}

}  // namespace
}  // namespace volmaru::settings
