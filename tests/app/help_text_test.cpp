// The help file as it ships: code page 932 with CRLF line ends (what Notepad
// on a Japanese Windows expects), naming the menu items exactly as the
// program shows them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/shell_commands.h"
#include "common/text.h"
#include "tray/popup_menu.h"

namespace volmaru::app {
namespace {

std::string HelpBytes() {
  std::ifstream in(std::string(VOLMARU_SOURCE_DIR) + "/resources/" + std::string(kHelpFile), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string HelpText() { return Cp932ToUtf8(HelpBytes()); }

TEST(HelpTextTest, IsCodePage932WithCrLfLineEnds) {
  const std::string bytes = HelpBytes();
  ASSERT_GT(bytes.size(), 2000u);
  // Every byte sequence is a code page 932 character (decoding and encoding
  // again gives the same bytes back).
  EXPECT_EQ(Utf8ToCp932(Cp932ToUtf8(bytes)), bytes);
  size_t lines = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ++lines;
      ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
    }
    if (bytes[i] == '\r') {
      ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "bare CR at byte " << i;
    }
  }
  EXPECT_GT(lines, 100u);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
}

TEST(HelpTextTest, NamesTheMenuItemsAndFilesAsTheProgramShowsThem) {
  const std::string text = Cp932ToUtf8(HelpBytes());
  const tray::PopupMenuModel menu;
  for (const tray::MenuItem& item : menu.items()) {
    if (item.separator) continue;
    EXPECT_NE(text.find(item.caption), std::string::npos) << item.caption;
  }
  for (std::string_view s :
       {tray::kCaptionStartUpRemove, tray::kCaptionUnmute, std::string_view("「ボリュームコントロール」を開く(&A)"),
        std::string_view("コントロールパネルの「サウンドとオーディオデバイス」"), std::string_view("Settei.ini"),
        std::string_view("ミズナラ舎\\ボルマルData\\"), std::string_view("ボルマル.lnk"),
        std::string_view("RestartLoudDial.exe"), std::string_view("無変換"), std::string_view("Ver 2.64")}) {
    EXPECT_NE(text.find(s), std::string::npos) << s;
  }
  for (const char* page :
       {"【音量メーター】", "【音量アイコン】", "【音量変更操作】", "【変更スケジュール】", "【メニューの編集】"}) {
    EXPECT_NE(text.find(page), std::string::npos) << page;
  }
}

// The lines (counted from 1) that hold a full-width digit, U+FF10..U+FF19,
// which is EF BC 90..99 in UTF-8.
std::vector<size_t> LinesWithFullWidthDigits(std::string_view text) {
  std::vector<size_t> lines;
  size_t line = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    if (text[i] == '\n') {
      ++line;
    } else if (i + 2 < text.size() && byte(i) == 0xEF && byte(i + 1) == 0xBC && byte(i + 2) >= 0x90 &&
               byte(i + 2) <= 0x99) {
      if (lines.empty() || lines.back() != line) lines.push_back(line);
    }
  }
  return lines;
}

// Digits are half-width throughout, as in the program's own texts
// ("1回の操作での変化音量", "(1～30秒)").
TEST(HelpTextTest, WritesEveryDigitHalfWidth) {
  // The search itself: "０" and "９" count, "～" (EF BD 9E) and "１" in the
  // middle of other text too.
  EXPECT_EQ(LinesWithFullWidthDigits("1つ\r\n０と９\r\n0～100\r\nあ１あ\r\n"), (std::vector<size_t>{2, 4}));

  const std::string text = HelpText();
  ASSERT_FALSE(text.empty());
  for (size_t line : LinesWithFullWidthDigits(text)) {
    size_t start = 0;
    for (size_t n = 1; n < line; ++n) start = text.find('\n', start) + 1;
    ADD_FAILURE() << "full-width digit in line " << line << ": " << text.substr(start, text.find('\r', start) - start);
  }
}

}  // namespace
}  // namespace volmaru::app
