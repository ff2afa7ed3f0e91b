// The help file as it ships: code page 932 with CRLF line ends (what Notepad
// on a Japanese Windows expects), naming the menu items exactly as the
// program shows them, and telling the truth about what the program needs.
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

// The text with its lines joined again: every line end goes, with the
// blanks that indent the next line, so that a phrase the file wraps over two
// lines reads as one. Where an ASCII character meets the break, the blank
// between a word and its neighbour comes back ("Windows" + "へ").
std::string Unwrapped(std::string_view text) {
  const auto ascii = [](char c) { return c > ' ' && c <= '~'; };
  std::string out;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 2, "\r\n") == 0) {
      i += 2;
      while (i < text.size() && text[i] == ' ') ++i;
      if (!out.empty() && i < text.size() && (ascii(out.back()) || ascii(text[i]))) out += ' ';
      continue;
    }
    out += text[i++];
  }
  return out;
}

// Where a "■" heading line starts in the text as it is in the file.
size_t HeadingAt(const std::string& text, std::string_view heading) {
  const size_t at = text.find("\r\n" + std::string(heading));
  return at == std::string::npos ? at : at + 2;
}

// One "■" section, from its heading line to the next heading line, unwrapped.
std::string Section(const std::string& text, std::string_view heading) {
  const size_t start = HeadingAt(text, heading);
  if (start == std::string::npos) return {};
  const size_t end = text.find("\r\n■ ", start);
  return Unwrapped(text.substr(start, end == std::string::npos ? end : end - start));
}

bool Has(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

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

// The spoken check of the schedule page speaks with the vendor library when
// it lies beside the program, else with the system's voice; the ZIP does not
// carry the library.
TEST(HelpTextTest, TellsThatTheSpeechLibraryIsOptional) {
  const std::string raw = HelpText();
  const std::string text = Unwrapped(raw);
  const std::string schedule = Section(raw, "■ 音量スケジュール");
  ASSERT_FALSE(schedule.empty());
  EXPECT_TRUE(Has(schedule, "「AquesTalkDa.dll」が Volmaru.exe と同じフォルダーにあれば、それを使います。"));
  EXPECT_TRUE(Has(schedule, "AquesTalkDa.dll はなくてもかまいません"));
  EXPECT_TRUE(Has(schedule, "ダウンロードした ZIP ファイルには入っていません"));
  EXPECT_TRUE(Has(schedule, "Windows の音声合成（SAPI）で読み上げます"));
  EXPECT_TRUE(Has(schedule, "日本語の音声が入っていればその音声を使い"));
  EXPECT_TRUE(Has(schedule, "「音量Nです。」"));
  EXPECT_TRUE(Has(schedule, "「確認音声をしゃべるのに失敗しました。」"));
  // The library is read when the program starts.
  EXPECT_TRUE(Has(schedule, "置いたあとは、ボルマルを再起動してください。"));

  // No sentence that names the library says that it is needed.
  for (size_t at = text.find("AquesTalkDa"); at != std::string::npos; at = text.find("AquesTalkDa", at + 1)) {
    const size_t stop = text.rfind("。", at);
    const size_t begin = stop == std::string::npos ? 0 : stop;
    const std::string sentence = text.substr(begin, text.find("。", at) - begin);
    EXPECT_FALSE(Has(sentence, "必要")) << sentence;
    EXPECT_FALSE(Has(sentence, "入っています")) << sentence;
  }
  // The list of the unpacked files does not name it.
  const size_t list = text.find("展開したフォルダーには次のファイルがあります。");
  const size_t listEnd = text.find("これらのファイルは", list);
  ASSERT_NE(list, std::string::npos);
  ASSERT_NE(listEnd, std::string::npos);
  EXPECT_FALSE(Has(text.substr(list, listEnd - list), "AquesTalk"));
}

}  // namespace
}  // namespace volmaru::app
