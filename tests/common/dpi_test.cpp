#include "common/dpi.h"

#include <gtest/gtest.h>

namespace volmaru {
namespace {

TEST(DpiTest, DesignUnitsAreUnchangedAt96) {
  for (const int v : {0, 1, 3, 67, 502, 584, -5}) EXPECT_EQ(ScaleToDpi(v, 96), v);
  EXPECT_EQ(Dpi{}(136), 136);
}

TEST(DpiTest, HalvesRoundAwayFromZero) {
  // 120 dpi is 1.25 times: 2 -> 2.5 -> 3, 6 -> 7.5 -> 8, 5 -> 6.25 -> 6.
  EXPECT_EQ(ScaleToDpi(2, 120), 3);
  EXPECT_EQ(ScaleToDpi(6, 120), 8);
  EXPECT_EQ(ScaleToDpi(5, 120), 6);
  EXPECT_EQ(ScaleToDpi(502, 120), 628);  // 627.5
  EXPECT_EQ(ScaleToDpi(-2, 120), -3);
  // 144 dpi is 1.5 times: 3 -> 4.5 -> 5, 67 -> 100.5 -> 101.
  EXPECT_EQ(ScaleToDpi(3, 144), 5);
  EXPECT_EQ(ScaleToDpi(67, 144), 101);
  EXPECT_EQ(ScaleToDpi(584, 144), 876);
  EXPECT_EQ(ScaleToDpi(-3, 144), -5);
  EXPECT_EQ(ScaleToDpi(16, 192), 32);
  EXPECT_EQ(ScaleToDpi(13, 168), 23);  // 22.75
}

TEST(DpiTest, ASizeOfOneNeverBecomesZero) {
  EXPECT_EQ(ScaleToDpi(1, 48), 1);
  EXPECT_EQ(ScaleToDpi(1, 72), 1);
  EXPECT_EQ(ScaleToDpi(-1, 48), -1);
  EXPECT_EQ(ScaleToDpi(1, 144), 2);  // 1.5
  EXPECT_EQ(ScaleToDpi(1, 120), 1);  // 1.25
  EXPECT_EQ(ScaleToDpi(0, 144), 0);
}

TEST(DpiTest, PixelsGoBackToDesignUnitsWithTheSameRounding) {
  EXPECT_EQ(DesignUnitsAt(150, 144), 100);
  EXPECT_EQ(DesignUnitsAt(451, 144), 301);  // 300.67
  EXPECT_EQ(DesignUnitsAt(628, 120), 502);  // 502.4
  EXPECT_EQ(DesignUnitsAt(5, 120), 4);
  EXPECT_EQ(DesignUnitsAt(-5, 144), -3);  // -3.33
  EXPECT_EQ(DesignUnitsAt(1, 192), 1) << "a non-zero value stays non-zero";
  EXPECT_EQ(DesignUnitsAt(-1, 192), -1);
  EXPECT_EQ(DesignUnitsAt(0, 144), 0);
  EXPECT_EQ(DesignUnitsAt(777, 96), 777);
  // Every design value comes back from its pixels.
  for (const int dpi : {96, 120, 144, 168, 192, 240})
    for (int v = -700; v <= 700; ++v) ASSERT_EQ(DesignUnitsAt(ScaleToDpi(v, dpi), dpi), v) << v << " at " << dpi;
}

TEST(DpiTest, LargeDesignValuesDoNotOverflow) {
  EXPECT_EQ(ScaleToDpi(20000000, 480), 100000000);
  EXPECT_EQ(ScaleToDpi(5, 0), 5) << "an unknown DPI is the design's";
}

}  // namespace
}  // namespace volmaru
