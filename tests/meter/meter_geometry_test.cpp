#include "meter/meter_geometry.h"

#include <gtest/gtest.h>

namespace volmaru::meter {
namespace {

TEST(MeterGeometryTest, HorizontalMeterOnFullHd) {
  const Placement p = PlaceMeter(1920, 1080, kBottom, {});
  EXPECT_EQ(p.window, (Rect{480, 1080 - (43 + 67 + 23) - 100, 960, 43 + 67 + 23}));
  EXPECT_EQ(p.bar, (Rect{3, 87, 954, 43}));
  EXPECT_FALSE(p.savedReset);
}

TEST(MeterGeometryTest, DotsAtFiftyPercent) {
  const std::vector<Dot> dots = MeterDots(954, 43, 50, false);
  std::vector<int> full, marks;
  for (const Dot& d : dots) (d.full ? full : marks).push_back(d.left);
  ASSERT_EQ(full.size(), 10u);
  for (size_t i = 0; i < full.size(); ++i) EXPECT_EQ(full[i], 5 + static_cast<int>(i) * 48);
  EXPECT_EQ(full.back(), 437);
  ASSERT_FALSE(marks.empty());
  EXPECT_EQ(marks.front(), 485);
  for (size_t i = 0; i + 1 < marks.size(); ++i) EXPECT_EQ(marks[i + 1] - marks[i], 26);
  EXPECT_LT(marks.back(), 954);
  EXPECT_GE(marks.back() + 26, 954);
  EXPECT_EQ(dots[0], (Dot{5, 0, 48, 43, true}));
  EXPECT_EQ(dots[10], (Dot{485, 9, 506, 34, false}));  // 21 wide, R(43/5)=9 .. R(172/5)=34
}

TEST(MeterGeometryTest, ZeroAndHundred) {
  for (const Dot& d : MeterDots(954, 43, 0, false)) EXPECT_FALSE(d.full);
  const auto all = MeterDots(954, 43, 100, false);
  for (const Dot& d : all) EXPECT_TRUE(d.full);
  EXPECT_EQ(all.size(), 20u);  // 5, 53, ... 917
}

TEST(MeterGeometryTest, VerticalMetersFillFromTheBottom) {
  const Placement right = PlaceMeter(1920, 1080, kRight, {});
  EXPECT_EQ(right.window, (Rect{1920 - 142 - 80, (1080 - 607) / 2, 142, 540 + 67}));
  EXPECT_EQ(right.bar, (Rect{142 - 58 - 3, 3, 58, 607 - 67 - 6}));
  EXPECT_EQ(right.boxTop, 607 - 67);
  const Placement left = PlaceMeter(1920, 1080, kLeft, {});
  EXPECT_EQ(left.window.left, 80);
  EXPECT_EQ(left.bar.left, 3);
  EXPECT_EQ(VerticalNumberLabelLeft(kLeft, left.bar, 30), 61);
  EXPECT_EQ(VerticalNumberLabelLeft(kRight, right.bar, 30), 81 - 30 - 3);
  const auto dots = MeterDots(58, 534, 50, true);
  EXPECT_EQ(dots[0], (Dot{0, 534 - 58, 58, 534, true}));
  EXPECT_TRUE(dots[4].full);                                // y = 534 - 4 * 63 = 282 > 267
  EXPECT_FALSE(dots[5].full);                               // 219 is past the middle
  EXPECT_EQ(dots[5], (Dot{14, 219 - 29, 44, 219, false}));  // R(14.5) = 14, R(43.5) = 44
}

TEST(MeterGeometryTest, PlacesAndSavedPositions) {
  EXPECT_EQ(PlaceMeter(1920, 1080, kCentre, {}).window.top, 540);
  EXPECT_EQ(PlaceMeter(1920, 1080, kTop, {}).window.top, 100);
  // A 0 in either coordinate means no saved place.
  EXPECT_EQ(PlaceMeter(1920, 1080, kBottom, {0, 300}).window.top, 1080 - 133 - 100);
  EXPECT_EQ(PlaceMeter(1920, 1080, kBottom, {700, 0}).window.left, 480);
  const Placement saved = PlaceMeter(1920, 1080, kBottom, {100, 300});
  EXPECT_EQ(saved.window.left, 100);
  EXPECT_EQ(saved.window.top, 300);
  EXPECT_FALSE(saved.savedReset);
}

TEST(MeterGeometryTest, OffScreenSavedPlaceIsResetAndReported) {
  const Placement p = PlaceMeter(1920, 1080, kBottom, {1000, 2000});  // 1000 > 1920 - 960
  EXPECT_TRUE(p.savedReset);
  EXPECT_EQ(p.window.left, 480);
  EXPECT_EQ(p.window.top, 1080 - 133 - 100);
  EXPECT_EQ(p.saved, (settings::MeterPosition{0, 0}));
  const Placement q = PlaceMeter(1920, 1080, kRight, {-5, 100});
  EXPECT_TRUE(q.savedReset);
  EXPECT_EQ(q.window.left, 1920 - 142 - 80);
  EXPECT_EQ(q.window.top, 100);
  EXPECT_EQ(q.saved, (settings::MeterPosition{0, 100}));
  // The last place that still shows the whole window is kept; one pixel
  // further down is off the screen.
  EXPECT_FALSE(PlaceMeter(1920, 1080, kBottom, {100, 1080 - 133}).savedReset);
  const Placement below = PlaceMeter(1920, 1080, kBottom, {100, 1080 - 133 + 1});
  EXPECT_TRUE(below.savedReset);
  EXPECT_EQ(below.window.top, 1080 - 133 - 100);
}

Rect bar0() { return Rect{3, 87, 954, 43}; }

// The empty marks run to the end of the bar and never past it, also when
// their step lands exactly on its end.
TEST(MeterGeometryTest, MarksEndInsideTheBar) {
  const auto marks = MeterDots(105, 10, 0, false);  // 5, 15, ... 95; 105 is the end
  ASSERT_EQ(marks.size(), 10u);
  EXPECT_EQ(marks.back().left, 95);
  EXPECT_LE(marks.back().right, 105);
  // Upright: the marks go up in steps of half the width plus 5.
  const auto up = MeterDots(58, 534, 0, true);
  ASSERT_GE(up.size(), 2u);
  EXPECT_EQ(up[0].bottom - up[1].bottom, 29 + 5);
  EXPECT_GT(up.back().bottom, 0);
  EXPECT_LE(up.back().bottom, 34);
}

TEST(MeterGeometryTest, ClicksHoverAndDrag) {
  EXPECT_EQ(VolumeAt(477, 10, 954, 43, false), 50);
  EXPECT_EQ(VolumeAt(0, 534, 58, 534, true), 0);
  EXPECT_EQ(VolumeAt(0, 0, 58, 534, true), 100);
  EXPECT_TRUE(InsideBar(954, 43, 954, 43));
  EXPECT_TRUE(InsideBar(0, 0, 954, 43)) << "the first column is the bar's";
  EXPECT_FALSE(InsideBar(-1, 5, 954, 43));
  EXPECT_EQ(VolumeAt(10, 10, 0, 0, false), 0) << "a bar of no width";
  EXPECT_EQ(HoverLabelTop(5, bar0(), 16), 87 + 5);
  EXPECT_EQ(HoverLabelTop(40, bar0(), 16), 87 + 43 - 16) << "kept inside the bar at the bottom";
  const Rect bar{3, 87, 954, 43};
  EXPECT_EQ(HoverLabelLeft(10, bar, 139, 960, 50), 139);
  EXPECT_EQ(HoverLabelLeft(940, bar, 139, 960, 50), 910);
  EXPECT_EQ(HoverLabelLeft(400, bar, 139, 960, 50), 403);
  EXPECT_EQ(AfterDrag(17, -40, 960, 133, 1920, 1080, false), (settings::MeterPosition{480, 0}));
  EXPECT_EQ(AfterDrag(5000, 5, 142, 607, 1920, 1080, true), (settings::MeterPosition{1778, 236}));
  const Rect w{10, 10, 100, 50};
  EXPECT_FALSE(PointerOutside(110, 60, w)) << "edges count as inside";
  EXPECT_TRUE(PointerOutside(111, 60, w));
}

TEST(MeterGeometryTest, BarColourRules) {
  std::vector<TDefDeviceTrayIconData> profiles(2);
  profiles[0].DeviceName = "HDMI";
  profiles[0].VolumeBarColor = 0x111111;
  profiles[0].TextColor = 0x222222;
  profiles[0].BackColor = 0x333333;
  profiles[1].DeviceName = "Speakers";
  profiles[1].VolumeBarColor = 0x444444;
  BarColourInputs in;
  in.pickerColour = 0x0000AA;
  in.profiles = &profiles;
  in.defaultDeviceName = "Speakers";
  EXPECT_EQ(ChooseBarColour(in), 0x0000AAu) << "per-device box off";
  in.changeColorByDevice = true;
  EXPECT_EQ(ChooseBarColour(in), 0x444444u);
  in.defaultDeviceName = "speakers";  // names compare with case
  EXPECT_EQ(ChooseBarColour(in), 0x0000AAu);
  in.colorByIconColor = 1;
  EXPECT_EQ(ChooseBarColour(in), 0xFFFFFFu) << "icon colour by device off: global number colour";
  in.colorByIconColor = 2;
  EXPECT_EQ(ChooseBarColour(in), 0xFF0000u) << "背景色と同色: the global background colour";
  in.colorByIconColor = 1;
  in.changeIconColorByDevice = true;
  in.previous = 0x123456;
  EXPECT_EQ(ChooseBarColour(in), 0x123456u) << "no matching profile keeps the last colour";
  in.defaultDeviceName = "HDMI";
  EXPECT_EQ(ChooseBarColour(in), 0x222222u);
  in.colorByIconColor = 2;
  EXPECT_EQ(ChooseBarColour(in), 0x333333u);
}

// At 144 dpi on a screen one and a half times Full HD every design size is
// one and a half times (rounded), and the parts that follow the screen
// follow it: the meter looks as it does at 96 dpi, only finer.
TEST(MeterGeometryScaledTest, HorizontalMeterAt144) {
  const Dpi dpi{144};
  const Placement p = PlaceMeter(2880, 1620, kBottom, {}, dpi);
  // 1620 / 25 = 64 rows of bar, the box 101 (100.5), 35 (34.5) between.
  EXPECT_EQ(p.window, (Rect{720, 1620 - 200 - 150, 1440, 64 + 101 + 35}));
  EXPECT_EQ(p.bar, (Rect{5, 101 + 30, 1430, 64}));
  EXPECT_EQ(p.boxLeft, 5);
  EXPECT_EQ(p.boxTop, 5);
  // Within rounding of one and a half times the 96-dpi meter.
  const Placement at96 = PlaceMeter(1920, 1080, kBottom, {});
  EXPECT_NEAR(p.window.height, at96.window.height * 1.5, 1.5);
  EXPECT_NEAR(p.bar.top, at96.bar.top * 1.5, 1.5);
}

TEST(MeterGeometryScaledTest, VerticalMeterAt144) {
  const Dpi dpi{144};
  const Placement right = PlaceMeter(2880, 1620, kRight, {}, dpi);
  EXPECT_EQ(right.window, (Rect{2880 - 213 - 120, (1620 - 911) / 2, 213, 810 + 101}));
  EXPECT_EQ(right.bar, (Rect{213 - 87 - 5, 5, 87, 911 - 101 - 10}));
  EXPECT_EQ(right.boxTop, 911 - 101);
  const Placement left = PlaceMeter(2880, 1620, kLeft, {}, dpi);
  EXPECT_EQ(left.window.left, 120);
  EXPECT_EQ(left.bar.left, 5);
  EXPECT_EQ(VerticalNumberLabelLeft(kRight, right.bar, 45, dpi), 121 - 45 - 5);
  EXPECT_EQ(VerticalNumberLabelLeft(kLeft, left.bar, 45, dpi), 5 + 87);
  EXPECT_EQ(PlaceMeter(2880, 1620, kTop, {}, dpi).window.top, 150);
  EXPECT_EQ(PlaceMeter(2880, 1620, kCentre, {}, dpi).window.top, 810);
}

TEST(MeterGeometryScaledTest, DotsKeepTheirGapAtTheDpi) {
  const std::vector<Dot> dots = MeterDots(1430, 64, 50, false, Dpi{144});
  std::vector<int> full, marks;
  for (const Dot& d : dots) (d.full ? full : marks).push_back(d.left);
  // An 8-pixel gap (7.5): full dots at 8, 80, ... up to the middle (715).
  ASSERT_EQ(full.size(), 10u);
  for (size_t i = 0; i < full.size(); ++i) EXPECT_EQ(full[i], 8 + static_cast<int>(i) * 72);
  EXPECT_EQ(dots[0], (Dot{8, 0, 72, 64, true}));
  ASSERT_FALSE(marks.empty());
  EXPECT_EQ(marks.front(), 728);
  EXPECT_EQ(dots[10], (Dot{728, 13, 760, 51, false}));  // R(12.8) = 13, R(51.2) = 51
  for (size_t i = 0; i + 1 < marks.size(); ++i) EXPECT_EQ(marks[i + 1] - marks[i], 40);
  // Vertical: the same gap upwards.
  const auto up = MeterDots(87, 800, 100, true, Dpi{144});
  ASSERT_GE(up.size(), 2u);
  EXPECT_EQ(up[0], (Dot{0, 800 - 87, 87, 800, true}));
  EXPECT_EQ(up[1].bottom, 800 - 87 - 8);
}

// The saved place is in design units: the meter comes back to the same
// place of the screen whatever the DPI, and a place written before stays
// where it was at 96 dpi.
TEST(MeterGeometryScaledTest, TheSavedPlaceIsInDesignUnits) {
  const Dpi dpi{144};
  const Placement saved = PlaceMeter(2880, 1620, kBottom, {100, 300}, dpi);
  EXPECT_EQ(saved.window.left, 150);
  EXPECT_EQ(saved.window.top, 450);
  EXPECT_FALSE(saved.savedReset);
  EXPECT_EQ(saved.saved, (settings::MeterPosition{100, 300})) << "what is kept is not rewritten in pixels";
  EXPECT_EQ(StoredPosition({150, 450}, dpi), (settings::MeterPosition{100, 300}));
  EXPECT_EQ(StoredPosition({451, 1}, dpi), (settings::MeterPosition{301, 1})) << "a place of 1 stays saved";
  EXPECT_EQ(StoredPosition({451, 300}, Dpi{}), (settings::MeterPosition{451, 300}));
  // Checked against the screen in pixels: 1000 units are 1500 pixels, past
  // 2880 - 1440.
  const Placement off = PlaceMeter(2880, 1620, kBottom, {1000, 300}, dpi);
  EXPECT_TRUE(off.savedReset);
  EXPECT_EQ(off.window.left, 720);
  EXPECT_EQ(off.saved, (settings::MeterPosition{0, 300}));
  EXPECT_FALSE(PlaceMeter(2880, 1620, kBottom, {960, 300}, dpi).savedReset) << "1440 is the last left that fits";
}

TEST(MeterGeometryTest, BackgroundSwapsSoTheBarStaysVisible) {
  EXPECT_EQ(BackgroundFor(0x008000, 0x008000), 0x00FFFFu);
  EXPECT_EQ(BackgroundFor(0x00FFFF, 0x00FFFF), 0x008000u);
  EXPECT_EQ(BackgroundFor(0x008000, 0x00FF00), 0x008000u);
}

}  // namespace
}  // namespace volmaru::meter
