#include "about/version_form.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/settings/fake_files.h"

namespace volmaru::about {
namespace {

const std::string kIni = "C:\\d\\Settei.ini";

class FakeWindow : public VersionFormPort {
 public:
  std::vector<std::string> calls;
  std::pair<int, int> size{360, 166};
  std::string face = "MS UI Gothic";
  int client = 344;
  int urlWidth = 200;
  int noticeWidth = 264;
  int nameWidth = 108;
  int versionLeft = 185;
  bool throwOnFace = false;

  std::pair<int, int> OuterSize() override { return size; }
  void SetOuterSize(int w, int h) override {
    calls.push_back("size " + std::to_string(w) + "x" + std::to_string(h));
    size = {w, h};
    client = w - 16;
  }
  std::string IconTitleFontFace() override { return face; }
  void ApplyFontFace(FaceTarget target, const std::string& f) override {
    if (throwOnFace) throw std::runtime_error("no font");
    static const char* names[] = {"meter", "settings", "version"};
    calls.push_back(std::string("face ") + names[static_cast<int>(target)] + " " + f);
  }
  int ClientWidth() override { return client; }
  Place LabelPlace(VersionLabel label) override {
    switch (label) {
      case VersionLabel::kName:
        return {71, 19, nameWidth, 42};
      case VersionLabel::kVersion:
        return {versionLeft, 39, 95, 25};
      case VersionLabel::kNotice:
        return {41, 70, noticeWidth, 29};
      case VersionLabel::kLink:
        break;
    }
    return {38, 103, urlWidth, 16};
  }
  void SetLabelLeft(VersionLabel label, int left) override {
    static const char* names[] = {"name", "version", "notice", "url"};
    calls.push_back(std::string(names[static_cast<int>(label)]) + " left " + std::to_string(left));
    if (label == VersionLabel::kVersion) versionLeft = left;
  }
  Dpi dpi;
  Dpi WindowDpi() override { return dpi; }
  void StartMainTimer() override { calls.push_back("timer"); }
};

struct Store {
  settings::testing::FakeFiles files;
  settings::ProfileFile file{files, kIni};
  settings::SettingsStore store{file, settings::JapaneseDateTimeFormat()};
};

TEST(VersionFormTest, CreationAppliesTheFaceInOrderThenAlignsThenStartsTheTimer) {
  Store s;
  FakeWindow w;
  VersionFormCreate(s.store, w);
  EXPECT_EQ(w.calls,
            (std::vector<std::string>{"face meter MS UI Gothic", "face settings MS UI Gothic",
                                      "face version MS UI Gothic", "url left 139", "notice left 75", "timer"}));
}

TEST(VersionFormTest, RememberedSizeIsUsedOnlyWhenTheFileExists) {
  Store s;
  FakeWindow w;
  s.files.files[kIni] = "[VersionForm]\r\nWidth=500\r\nHeight=200\r\n";
  VersionFormCreate(s.store, w);
  ASSERT_FALSE(w.calls.empty());
  EXPECT_EQ(w.calls.front(), "size 500x200");
  // The labels are aligned to the client width of the new size.
  EXPECT_NE(std::find(w.calls.begin(), w.calls.end(), "url left 279"), w.calls.end());

  // A file without the section keeps the window's own size.
  Store other;
  other.files.files[kIni] = "[VolumeBar]\r\nPosition=1\r\n";
  FakeWindow w2;
  VersionFormCreate(other.store, w2);
  EXPECT_EQ(w2.size, (std::pair<int, int>{360, 166}));
  EXPECT_EQ(w2.calls.front(), "face meter MS UI Gothic");
}

// The file holds design units: at 144 dpi a remembered 500 x 200 is a
// window of 750 x 300 pixels, and closing a window of 751 x 300 pixels
// writes 501 x 200.
TEST(VersionFormTest, TheRememberedSizeIsInDesignUnits) {
  Store s;
  s.files.files[kIni] = "[VersionForm]\r\nWidth=500\r\nHeight=200\r\n";
  FakeWindow w;
  w.dpi = Dpi{144};
  w.size = {540, 249};
  w.client = 516;
  VersionFormCreate(s.store, w);
  ASSERT_FALSE(w.calls.empty());
  EXPECT_EQ(w.calls.front(), "size 750x300");
  // The right alignment keeps its margin of 5 design units: 8 pixels.
  EXPECT_NE(std::find(w.calls.begin(), w.calls.end(), "url left " + std::to_string(734 - 200 - 8)), w.calls.end());
  // The smallest remembered size is still a size, scaled like any other
  // (Windows makes the window as small as it allows).
  Store tiny;
  tiny.files.files[kIni] = "[VersionForm]\r\nWidth=1\r\nHeight=1\r\n";
  FakeWindow w1;
  w1.dpi = Dpi{144};
  w1.size = {540, 249};
  VersionFormCreate(tiny.store, w1);
  ASSERT_FALSE(w1.calls.empty());
  EXPECT_EQ(w1.calls.front(), "size 2x2");
  VersionFormClose(s.store, 751, 300, Dpi{144});
  EXPECT_NE(s.files.files[kIni].find("Width=501\r\nHeight=200\r\n"), std::string::npos) << s.files.files[kIni];
  // Without a remembered size the window keeps its size at this DPI.
  Store none;
  FakeWindow w2;
  w2.dpi = Dpi{144};
  w2.size = {540, 249};
  VersionFormCreate(none.store, w2);
  EXPECT_EQ(w2.size, (std::pair<int, int>{540, 249}));
  EXPECT_EQ(
      std::count_if(w2.calls.begin(), w2.calls.end(), [](const std::string& c) { return c.rfind("size", 0) == 0; }), 0);
}

TEST(VersionFormTest, ASizeNoWindowCanHaveFallsBackToTheDesign) {
  EXPECT_EQ(UsableSize({0, -5}, {360, 166}), (std::pair<int, int>{360, 166}));
  EXPECT_EQ(UsableSize({400, 0}, {360, 166}), (std::pair<int, int>{400, 166}));
  EXPECT_EQ(UsableSize({1, 1}, {360, 166}), (std::pair<int, int>{1, 1}));
  Store s;
  s.files.files[kIni] = "[VersionForm]\r\nWidth=0\r\nHeight=abc\r\n";
  FakeWindow w;
  VersionFormCreate(s.store, w);
  EXPECT_EQ(w.size, (std::pair<int, int>{360, 166}));
}

TEST(VersionFormTest, TheMainTimerStartsEvenWhenAStepFails) {
  Store s;
  FakeWindow w;
  w.throwOnFace = true;
  EXPECT_THROW(VersionFormCreate(s.store, w), std::runtime_error);
  ASSERT_FALSE(w.calls.empty());
  EXPECT_EQ(w.calls.back(), "timer");
}

TEST(VersionFormTest, NoFaceLeavesTheFontsAlone) {
  Store s;
  FakeWindow w;
  w.face.clear();
  VersionFormCreate(s.store, w);
  EXPECT_EQ(w.calls, (std::vector<std::string>{"url left 139", "notice left 75", "timer"}));
}

TEST(VersionFormTest, AWiderNameMovesTheVersionRightInsteadOfCoveringIt) {
  EXPECT_EQ(kNameGap, 6);
  EXPECT_EQ(VersionLeft(179), 185);  // the design
  EXPECT_EQ(VersionLeft(150), 185);  // narrower: the design place stays
  EXPECT_EQ(VersionLeft(180), 186);
  EXPECT_EQ(VersionLeft(211), 217);
  Store s;
  FakeWindow w;
  w.nameWidth = 140;
  VersionFormCreate(s.store, w);
  EXPECT_EQ(w.calls, (std::vector<std::string>{"face meter MS UI Gothic", "face settings MS UI Gothic",
                                               "face version MS UI Gothic", "version left 217", "url left 139",
                                               "notice left 75", "timer"}));
}

TEST(VersionFormTest, RightAlignmentKeepsAFivePixelMargin) {
  EXPECT_EQ(RightAlignedLeft(344, 298), 41);
  EXPECT_EQ(RightAlignedLeft(344, 295), 44);
  EXPECT_EQ(RightAlignedLeft(100, 120), -25);
}

TEST(VersionFormTest, ClosingWritesTheSizeAndSurvivesAReadOnlyFile) {
  Store s;
  VersionFormClose(s.store, 420, 180);
  EXPECT_NE(s.files.files[kIni].find("[VersionForm]\r\nWidth=420\r\nHeight=180\r\n"), std::string::npos)
      << s.files.files[kIni];
  s.files.readOnly.insert(kIni);
  EXPECT_NO_THROW(VersionFormClose(s.store, 500, 200));
  EXPECT_NE(s.files.files[kIni].find("Width=420"), std::string::npos);
}

TEST(VersionFormTest, LinkTurnsRedOnlyWhilePointedAt) {
  LinkHover hover;
  EXPECT_EQ(hover.Colour(), 0x000000u);
  EXPECT_TRUE(hover.PointerOnLink());
  EXPECT_EQ(hover.Colour(), 0x0000FFu);
  EXPECT_FALSE(hover.PointerOnLink());  // no second repaint
  // Leaving straight out of the window ends it as well as the background.
  EXPECT_TRUE(hover.PointerOffLink());
  EXPECT_EQ(hover.Colour(), 0x000000u);
  EXPECT_FALSE(hover.PointerOffLink());
}

TEST(VersionFormTest, TheHandIsShownOverTheLinkOnly) {
  EXPECT_EQ(CursorOver(true, true), LinkCursor::kHandFile);
  EXPECT_EQ(CursorOver(true, false), LinkCursor::kSystemHand);
  // Whatever happened before (the pointer may have left the link straight
  // out of the window), anywhere else the window's own cursor shows.
  EXPECT_EQ(CursorOver(false, true), LinkCursor::kNone);
  EXPECT_EQ(CursorOver(false, false), LinkCursor::kNone);
}

class FakeLink : public LinkPort {
 public:
  std::vector<std::string> calls;
  intptr_t result = 42;
  bool throwOnOpen = false;
  void ProcessPendingMessages() override { calls.push_back("pump"); }
  intptr_t OpenAddress(const std::string& a) override {
    calls.push_back("open " + a);
    if (throwOnOpen) throw std::runtime_error("x");
    return result;
  }
  void ShowMessage(std::string_view t) override { calls.push_back("message " + std::string(t)); }
};

TEST(VersionFormTest, LinkClickOpensTheAddressAndReportsTheShellsNumber) {
  FakeLink ok;
  LinkClick(std::string(kProjectUrl), ok);
  EXPECT_EQ(ok.calls, (std::vector<std::string>{"pump", "open https://volmaru.example.jp/"}));

  for (intptr_t failure : {0, 2, 31, 32}) {
    FakeLink bad;
    bad.result = failure;
    LinkClick("https://x/", bad);
    EXPECT_EQ(bad.calls.back(), "message 作者サイトへの接続に失敗しました。" + std::to_string(failure));
  }
  FakeLink above;
  above.result = 33;
  LinkClick("https://x/", above);
  EXPECT_EQ(above.calls.size(), 2u);

  FakeLink raised;
  raised.throwOnOpen = true;
  LinkClick("https://x/", raised);
  EXPECT_EQ(raised.calls.back(), "message 作者サイトへの接続に失敗しました。0");
}

}  // namespace
}  // namespace volmaru::about
