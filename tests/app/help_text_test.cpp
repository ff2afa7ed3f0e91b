// The help file as it ships: code page 932 with CRLF line ends (what Notepad
// on a Japanese Windows expects), naming the menu items exactly as the
// program shows them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

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

}  // namespace
}  // namespace volmaru::app
