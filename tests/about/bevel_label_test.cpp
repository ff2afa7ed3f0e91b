#include "about/bevel_label.h"

#include <gtest/gtest.h>

namespace volmaru::about {
namespace {

class CountingView : public BevelLabelView {
 public:
  int repaints = 0;
  void Repaint() override { ++repaints; }
};

// The relief passes alone: what lies between the plain label and the text
// on top.
std::vector<TextPass> Relief(const TBevelLabel& label) {
  std::vector<TextPass> p = label.Passes();
  EXPECT_GE(p.size(), 2u);
  EXPECT_EQ(p.front(), (TextPass{0, 0, label.FontColor(), true}));
  EXPECT_EQ(p.back(), (TextPass{0, 0, label.FontColor(), false}));
  return {p.begin() + 1, p.end() - 1};
}

TEST(BevelLabelTest, NewLabelHasTheDocumentedDefaults) {
  const TBevelLabel label;
  EXPECT_EQ(label.HighLightColor(), 0xFFFFFFu);
  EXPECT_EQ(label.ShadowColor(), 0x000000u);
  EXPECT_EQ(label.BevelType(), TBevelType::btRightBottom);
  EXPECT_EQ(label.BevelWidth(), 2);
  EXPECT_TRUE(label.ColorBrend());
  EXPECT_EQ(label.FontColor(), 0x808000u);
  EXPECT_TRUE(label.Enabled());
  EXPECT_EQ(TBevelLabel::kDefaultWidth, 125);
  EXPECT_EQ(TBevelLabel::kDefaultHeight, 26);
  EXPECT_EQ(TBevelLabel::kDefaultFontPoints, 20);
  EXPECT_EQ(static_cast<int>(TBevelType::btLeftTop), 0);
  EXPECT_EQ(static_cast<int>(TBevelType::btNone), 4);
}

TEST(BevelLabelTest, BlendIsTheMeanOfEachChannelRoundedDown) {
  EXPECT_EQ(BlendColour(0x808000, 0xFFFFFF), 0xBFBF7Fu);
  EXPECT_EQ(BlendColour(0x808000, 0x000000), 0x404000u);
  // Channels do not carry into each other: 0x01 + 0x00 halves to 0 in
  // every byte, and 0xFF + 0xFF stays 0xFF.
  EXPECT_EQ(BlendColour(0x010101, 0x000000), 0x000000u);
  EXPECT_EQ(BlendColour(0xFFFFFF, 0xFFFFFF), 0xFFFFFFu);
  EXPECT_EQ(BlendColour(0x0000FF, 0xFF0000), 0x7F007Fu);
  EXPECT_EQ(BlendColour(0x00FE00, 0x000200), 0x008000u);
  // The high byte of a colour reference is not a channel.
  EXPECT_EQ(BlendColour(0xFF000000, 0xFF000000), 0u);
}

TEST(BevelLabelTest, EdgeColoursBlendWithTheFontColourOnlyWhenAskedTo) {
  TBevelLabel label;
  label.SetFontColor(0xFF00FF);
  label.SetHighLightColor(0x00FF00);
  label.SetShadowColor(0x808000);
  EXPECT_EQ(label.LightEdge(), 0x7F7F7Fu);
  EXPECT_EQ(label.DarkEdge(), 0xBF407Fu);
  label.SetColorBrend(false);
  EXPECT_EQ(label.LightEdge(), 0x00FF00u);
  EXPECT_EQ(label.DarkEdge(), 0x808000u);
}

TEST(BevelLabelTest, OnlyTheFirstAmpersandIsRemoved) {
  EXPECT_EQ(StripFirstAmpersand("&File"), "File");
  EXPECT_EQ(StripFirstAmpersand("A&&B"), "A&B");
  EXPECT_EQ(StripFirstAmpersand("a&b&c"), "ab&c");
  EXPECT_EQ(StripFirstAmpersand("ボルマル"), "ボルマル");
  EXPECT_EQ(StripFirstAmpersand("&"), "");
  EXPECT_EQ(StripFirstAmpersand(""), "");
}

TEST(BevelLabelTest, EveryTypeAndWidthGivesItsOffsetsAndColours) {
  TBevelLabel label;
  label.SetFontColor(0x808000);
  const uint32_t L = BlendColour(0x808000, 0xFFFFFF);
  const uint32_t D = BlendColour(0x808000, 0x000000);
  struct Case {
    TBevelType type;
    int width;
    std::vector<TextPass> relief;
  };
  const Case cases[] = {
      {TBevelType::btLeftTop, 1, {{-1, -1, D}, {1, 1, L}}},
      {TBevelType::btLeftTop, 3, {{-3, -3, D}, {-2, -2, D}, {-1, -1, D}, {1, 1, L}}},
      {TBevelType::btRightBottom, 1, {{-1, -1, L}, {1, 1, D}}},
      {TBevelType::btRightBottom, 2, {{-1, -1, L}, {1, 1, D}, {2, 2, D}}},
      {TBevelType::btRightBottom, 4, {{-1, -1, L}, {1, 1, D}, {2, 2, D}, {3, 3, D}, {4, 4, D}}},
      {TBevelType::btRightTop, 1, {{1, -1, D}, {-1, 1, L}}},
      {TBevelType::btRightTop, 3, {{3, -3, D}, {2, -2, D}, {1, -1, D}, {-1, 1, L}}},
      {TBevelType::btLeftBottom, 1, {{1, -1, L}, {-1, 1, D}}},
      {TBevelType::btLeftBottom, 3, {{1, -1, L}, {-1, 1, D}, {-2, 2, D}, {-3, 3, D}}},
      {TBevelType::btNone, 1, {}},
      {TBevelType::btNone, 5, {}},
  };
  for (const Case& c : cases) {
    label.SetBevelType(c.type);
    label.SetBevelWidth(c.width);
    EXPECT_EQ(Relief(label), c.relief) << static_cast<int>(c.type) << " width " << c.width;
  }
}

TEST(BevelLabelTest, WithoutBlendTheEdgesTakeTheirOwnColours) {
  TBevelLabel label;
  label.SetColorBrend(false);
  label.SetHighLightColor(0x00FFFF);
  label.SetShadowColor(0x808000);
  EXPECT_EQ(Relief(label), (std::vector<TextPass>{{-1, -1, 0x00FFFF}, {1, 1, 0x808000}, {2, 2, 0x808000}}));
}

TEST(BevelLabelTest, WidthZeroOrLessStoresOne) {
  TBevelLabel label;
  label.SetBevelWidth(0);
  EXPECT_EQ(label.BevelWidth(), 1);
  label.SetBevelWidth(-3);
  EXPECT_EQ(label.BevelWidth(), 1);
  label.SetBevelWidth(7);
  EXPECT_EQ(label.BevelWidth(), 7);
  label.SetBevelType(TBevelType::btLeftTop);
  label.SetBevelWidth(0);
  EXPECT_EQ(Relief(label).size(), 2u);  // one dark pass and the light one
}

TEST(BevelLabelTest, DisabledLabelIsEngravedWhateverItsType) {
  const DisabledColours system{0xEEEEEE, 0x606060, 0x6D6D6D};
  for (TBevelType type : {TBevelType::btLeftTop, TBevelType::btRightBottom, TBevelType::btRightTop,
                          TBevelType::btLeftBottom, TBevelType::btNone}) {
    TBevelLabel label;
    label.SetBevelType(type);
    label.SetBevelWidth(3);
    label.SetEnabled(false);
    const std::vector<TextPass> p = label.Passes(system);
    ASSERT_EQ(p.size(), 4u);
    // The plain disabled label, then the bevel label's own white and grey.
    EXPECT_EQ(p[0], (TextPass{1, 1, 0xEEEEEE, true}));
    EXPECT_EQ(p[1], (TextPass{0, 0, 0x606060, true}));
    EXPECT_EQ(p[2], (TextPass{0, 0, 0xFFFFFF, false}));
    EXPECT_EQ(p[3], (TextPass{-1, -1, 0x6D6D6D, false}));
  }
}

TEST(BevelLabelTest, SettersRepaintOnlyWhenTheValueChanges) {
  CountingView view;
  TBevelLabel label(&view);
  label.SetHighLightColor(0xFFFFFF);
  label.SetShadowColor(0x000000);
  label.SetBevelType(TBevelType::btRightBottom);
  label.SetBevelWidth(2);
  label.SetColorBrend(true);
  label.SetFontColor(0x808000);
  label.SetEnabled(true);
  label.SetCaption("");
  EXPECT_EQ(view.repaints, 0);

  label.SetHighLightColor(0x00FFFF);
  label.SetShadowColor(0x808000);
  label.SetBevelType(TBevelType::btLeftTop);
  label.SetBevelWidth(3);
  label.SetColorBrend(false);
  label.SetFontColor(0x0000FF);
  label.SetEnabled(false);
  label.SetCaption("ボルマル");
  EXPECT_EQ(view.repaints, 8);

  // 0 stores 1: from 1 that is no change, from 3 it is.
  label.SetBevelWidth(1);
  EXPECT_EQ(view.repaints, 9);
  label.SetBevelWidth(0);
  EXPECT_EQ(view.repaints, 9);
  label.SetCaption("ボルマル");
  EXPECT_EQ(view.repaints, 9);
  label.SetCaption("ボルマル&");
  EXPECT_EQ(view.repaints, 10);
}

}  // namespace
}  // namespace volmaru::about
