// The help file as it ships: code page 932 with CRLF line ends (what Notepad
// on a Japanese Windows expects), naming the menu items exactly as the
// program shows them, quoting every message the program can show with what
// to do about it, and telling the truth about what the program needs.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "about/version_form.h"
#include "app/restarter.h"
#include "app/shell_commands.h"
#include "app/startup.h"
#include "common/text.h"
#include "devices/device_list.h"
#include "devices/device_switch.h"
#include "meter/saved_volume_box.h"
#include "schedule/device_schedule_editing.h"
#include "schedule/schedule_editing.h"
#include "settings/window/settei_layout.h"
#include "settings/window/settei_rules.h"
#include "settings/window/spoken_check.h"
#include "tray/popup_menu.h"
#include "volume/volume_ops.h"

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

TEST(HelpTextTest, KeepsItsSectionsWithTheTroubleshootingOnesBeforeTheUninstall) {
  const std::string text = HelpText();
  size_t previous = 0;
  for (std::string_view heading :
       {"■ ボルマルとは", "■ 動作環境", "■ インストール", "■ キーボードでの操作", "■ マウスでの操作",
        "■ タスクトレイのアイコン", "■ 音量メーター", "■ メニュー", "■ 設定画面", "■ 音量スケジュール",
        "■ 設定ファイル", "■ 困ったときは", "■ メッセージと対処", "■ アンインストール", "■ ご注意"}) {
    const size_t at = HeadingAt(text, heading);
    ASSERT_NE(at, std::string::npos) << heading;
    EXPECT_GT(at, previous) << heading << " is out of order";
    previous = at;
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

// Every message a user can meet, as the program shows it, in the section of
// messages. Messages of two lines read as one here (the help breaks them
// where the program does).
TEST(HelpTextTest, QuotesEveryMessageOfTheProgram) {
  const std::string messages = Section(HelpText(), "■ メッセージと対処");
  ASSERT_FALSE(messages.empty());
  const std::vector<std::string_view> quoted = {
      // Start-up and the icon.
      "「Error」",
      "「「ボルマル」は既に起動しています。タスクトレイにスピーカーのアイコンがあることを確認してください。」",
      "「ファイルが見つかりません。アイコン作成に失敗しました。」",
      // Playback devices and mute.
      "「使用可能な再生デバイスが見つかりません。」",
      "「既定の再生デバイスを変更できませんでした。」",
      "「既定の再生デバイスに対応できませんでした。」",
      "「ミュートを変更できませんでした。(2)」",
      // The spoken check.
      "「確認音声をしゃべるのに失敗しました。」",
      "「再生デバイスの変更に失敗しました。」",
      // The settings window.
      "「同じキーが設定されています。」",
      "「「1回押したときの変化量」は1～100を半角で入力してください。」",
      "「音量メーターの表示時間は1～30秒を半角で入力してください。」",
      "「「通常の音量」は0～100を半角で入力してください。」",
      "「時間帯の指定は半角の24時間制で正確に入力してください。」",
      "「時間帯の最初と最後は違う時刻にしてください。」",
      "「時間帯の最初は最後より前の時刻にしてください。」",
      "「他のデバイスの変更時刻がその時刻に設定されています。別の時刻に設定してください。」",
      "「設定を保存できませんでした。」",
      "「設定が変更されていますが、保存しますか？」",
      "の通常の音量が変更されていますが、保存しますか？」",
      // The meter's set-volume box.
      "「音量は0から100の間の半角整数を入力してください。」",
      "を音量一覧に登録しますか？」",
      "を音量一覧から登録削除しますか？」",
      // The menu's shell commands and the restarter.
      "「スタートアップに登録しました。」",
      "「スタートアップから削除しました。」",
      "「スタートアップに登録できませんでした。」",
      "「スタートアップから削除できませんでした。」",
      "「ボルマルの再起動に失敗しました。」のあとに数字",
      "「ボルマルが終了しないため、再起動できませんでした。」",
      "「ボルマルを起動できませんでした。(2)」",
      "「コントロールパネルの「サウンド」の表示に失敗しました。(1)」",
      "「コントロールパネルの「サウンド」の表示に失敗しました。(2)」",
      "「コントロールパネルの「サウンドとオーディオデバイス」の表示に失敗しました。(1)」",
      "「「音量ミキサー」の表示に失敗しました。(1)」",
      "「「音量ミキサー」の表示に失敗しました。(2)」",
      "「「ボリュームコントロール」の表示に失敗しました。(1)」",
      "「ヘルプの表示に失敗しました。」のあとに数字",
      // The version window.
      "「作者サイトへの接続に失敗しました。」のあとに数字",
  };
  for (std::string_view q : quoted) EXPECT_TRUE(Has(messages, q)) << q;
}

// "Error": no endpoint volume at start-up. The program stays in the tray and
// starts working once a playback device appears.
TEST(HelpTextTest, TellsThatTheProgramWaitsForAPlaybackDeviceAfterError) {
  const std::string messages = Section(HelpText(), "■ メッセージと対処");
  const size_t error = messages.find("「Error」");
  const size_t next = messages.find("「「ボルマル」は既に起動しています。");
  ASSERT_NE(error, std::string::npos);
  ASSERT_NE(next, std::string::npos);
  ASSERT_LT(error, next);
  const std::string what = messages.substr(error, next - error);
  EXPECT_TRUE(Has(what, "1回だけ表示")) << what;
  EXPECT_TRUE(Has(what, "タスクトレイで待ちながら")) << what;
  EXPECT_TRUE(Has(what, "再生デバイスをつなぐか有効にしてください")) << what;
  EXPECT_TRUE(Has(what, "自動で動き始めます")) << what;
  EXPECT_TRUE(Has(what, "再起動する必要はありません")) << what;
  EXPECT_FALSE(Has(what, "終了します")) << what;
}

// The messages that end in a number say what the number tells.
TEST(HelpTextTest, ExplainsTheNumbersOfTheShellMessages) {
  const std::string messages = Section(HelpText(), "■ メッセージと対処");
  EXPECT_TRUE(Has(messages,
                  "(2) は Windows のシステムフォルダーがわからなかったとき、"
                  "(1) は control.exe を起動できなかったときです。"));
  EXPECT_TRUE(Has(messages, "音量ミキサー（SndVol.exe）"));
  EXPECT_TRUE(Has(messages, "（sndvol32.exe）"));
  EXPECT_TRUE(Has(messages, "(2) のときは、同じフォルダーに「Volmaru.exe」がありません。"));
  EXPECT_TRUE(Has(messages, "数字が 31 のときは決まっていません"));
}

TEST(HelpTextTest, AsksToKeepTheProgramNameAndToUnblockTheZip) {
  const std::string text = HelpText();
  const std::string install = Section(text, "■ インストール");
  ASSERT_FALSE(install.empty());
  EXPECT_TRUE(Has(install, "「Volmaru.exe」のファイル名は変えないでください。"));
  EXPECT_TRUE(Has(install, "RestartLoudDial.exe が同じフォルダーの「Volmaru.exe」を起動する"));
  // Unblocking comes before extracting.
  const size_t unblock = install.find("「全般」タブの下にある「許可する」にチェックを付けて");
  const size_t extract = install.find("ZIP ファイルを、好きなフォルダーに展開します。");
  ASSERT_NE(unblock, std::string::npos);
  ASSERT_NE(extract, std::string::npos);
  EXPECT_LT(unblock, extract);
  EXPECT_TRUE(Has(install, "展開する前にブロックを解除して"));
  EXPECT_TRUE(Has(install, "右クリックして「プロパティ」を開きます。"));
  EXPECT_TRUE(Has(install, "（Windows 10／11）"));
  EXPECT_TRUE(Has(install, "［ブロックの解除］ボタン"));
  EXPECT_TRUE(Has(install, "再起動のときや Windows へのログオンのときに"));
  const std::string trouble = Section(text, "■ 困ったときは");
  EXPECT_TRUE(Has(trouble, "「Volmaru.exe」の名前を変えていないか"));
  EXPECT_TRUE(Has(trouble, "ブロックを解除した ZIP ファイルから展開し直して"));
}

TEST(HelpTextTest, NamesTheOldestWindowsAndWhatNeedsVista) {
  const std::string raw = HelpText();
  const std::string text = Unwrapped(raw);
  const std::string system = Section(raw, "■ 動作環境");
  ASSERT_FALSE(system.empty());
  EXPECT_TRUE(Has(system, "Windows XP SP3 以降（32 ビット版／64 ビット版の Windows）"));
  EXPECT_TRUE(Has(system, "ボルマル自体は 32 ビットのプログラムです。"));
  EXPECT_TRUE(Has(system,
                  "Windows Vista 以降では、再生デバイスの名前やアイコンの表示、既定の再生デバイスの切り替え、変更ス"
                  "ケジュール"));
  EXPECT_TRUE(Has(system, "Windows XP では、これらの機能は使えません。"));
  // The older wording without the service pack is gone.
  EXPECT_FALSE(Has(text, "Windows XP 以降"));
  EXPECT_TRUE(Has(text, "【変更スケジュール】（Windows Vista 以降）"));
  EXPECT_TRUE(Has(text, "■ 音量スケジュール（Windows Vista 以降）"));
  EXPECT_TRUE(Has(text, "【再生デバイス】（Windows Vista 以降）"));
}

TEST(HelpTextTest, HelpsWithElevatedWindowsAndTheHiddenTrayIcon) {
  const std::string trouble = Section(HelpText(), "■ 困ったときは");
  ASSERT_FALSE(trouble.empty());
  EXPECT_TRUE(Has(trouble,
                  "管理者として実行しているプログラムがアクティブなあいだは、"
                  "キーボードでもホイールでも操作できません。"));
  EXPECT_TRUE(Has(trouble, "ボルマルも管理者として実行してください。"));
  EXPECT_TRUE(Has(trouble, "Windows 7 以降"));
  EXPECT_TRUE(Has(trouble, "「∧」ボタン"));
  EXPECT_TRUE(Has(trouble, "タスクバーの上へドラッグします。"));
  EXPECT_TRUE(Has(trouble,
                  "Windows 11 では、「設定」→「個人用設定」→「タスク バー」→"
                  "「その他のシステム トレイ アイコン」を開いて、ボルマルをオンにします。"));
  EXPECT_TRUE(Has(trouble,
                  "Windows 10 では、「設定」→「個人用設定」→「タスク バー」→"
                  "「タスク バーに表示するアイコンを選択します」"));
}

TEST(HelpTextTest, DescribesDraggingAndRightClickingTheMeter) {
  const std::string meter = Section(HelpText(), "■ 音量メーター");
  ASSERT_FALSE(meter.empty());
  EXPECT_TRUE(Has(meter, "メーターは左ボタンでドラッグして動かせます。"));
  EXPECT_TRUE(Has(meter, "横向きのメーター（「画面上の位置」が下、中央、上）は上下にだけ、"));
  EXPECT_TRUE(Has(meter, "縦向きのメーター（右、左）は左右にだけ動きます。"));
  EXPECT_TRUE(Has(meter, "位置は「画面上の位置」ごとに保存されます。"));
  EXPECT_TRUE(Has(meter, "マウスポインターをバーに乗せると"));
  EXPECT_TRUE(Has(meter, "背景が透明から不透明に変わります。"));
  EXPECT_TRUE(Has(meter,
                  "バーを右クリックすると、背景の不透明と透明が切り替わります。"
                  "もう一度右クリックすると元に戻ります。"));
  EXPECT_TRUE(Has(meter,
                  "「マウス操作では音量変更しない(&F)」にチェックが付いているときは、"
                  "バーをクリックしても右クリックしても何も起きません。"));
}

TEST(HelpTextTest, TellsWhichWayTheWheelRaisesTheVolume) {
  const std::string mouse = Section(HelpText(), "■ マウスでの操作");
  ASSERT_FALSE(mouse.empty());
  EXPECT_TRUE(Has(mouse, "ホイールを奥へ（向こう側へ）回すと上がり、手前へ回すと下がります。"));
  EXPECT_TRUE(
      Has(mouse, "「マウスホイール回転での音量変更はデフォルトと逆向きにする」にチェックを付けると逆になります"));
  EXPECT_TRUE(Has(mouse, "（奥へ回すと下がり、手前へ回すと上がります）"));
}

// The other way round: the help keeps up when the program's words change.
TEST(HelpTextTest, KeepsUpWithTheWordsOfTheProgram) {
  const std::string raw = HelpText();
  const std::string text = Unwrapped(raw);
  const std::string messages = Section(raw, "■ メッセージと対処");
  // A message of several lines is found line by line.
  const auto expectQuoted = [&](std::string_view message) {
    size_t start = 0;
    while (start < message.size()) {
      size_t end = message.find('\r', start);
      if (end == std::string_view::npos) end = message.size();
      const std::string_view line = message.substr(start, end - start);
      if (!line.empty()) {
        EXPECT_TRUE(Has(messages, line)) << line;
      }
      start = end + 1;
      if (start < message.size() && message[start] == '\n') ++start;
    }
  };
  // Start-up, devices and mute, the spoken check.
  for (std::string_view m : {kNoEndpointText, kAlreadyRunningText, devices::kNoPlaybackDeviceText,
                             devices::kSwitchFailedText, devices::kRebindFailedText, volume::kMuteToggleFailed}) {
    expectQuoted(m);
  }
  for (std::string_view m :
       {settings::kSpeechFailedText, settings::kCheckSwitchFailedText, settings::kNormalVolumeRangeText}) {
    expectQuoted(m);
  }
  // The settings window and the meter's box.
  for (std::string_view m : {settings::kSameKeyMessage, settings::kStepMessage, settings::kShowTimeMessage,
                             settings::kSaveFailedMessage, settings::kCloseQuestion}) {
    expectQuoted(m);
  }
  for (std::string_view m : {schedule::kTimeFormatMessage, schedule::kSameTimeMessage, schedule::kOrderMessage,
                             schedule::kNormalVolumeMessage, schedule::kDeviceTimeTakenMessage}) {
    expectQuoted(m);
  }
  expectQuoted(meter::kVolumeRangeMessage);
  // The shell commands, the restarter and the version window.
  for (std::string_view m : {kStartupAddedText, kStartupRemovedText, kStartupAddFailedText, kStartupRemoveFailedText,
                             kHelpFailedText, kRestartFailedText, kStillRunningText, about::kLinkFailedText}) {
    expectQuoted(m);
  }
  for (bool endpoint : {true, false}) expectQuoted(SoundPageFailedText(endpoint, 1));
  for (bool endpoint : {true, false}) expectQuoted(MixerFailedText(endpoint, 1));
  expectQuoted(SoundPageFailedText(true, 2));
  expectQuoted(MixerFailedText(true, 2));
  expectQuoted(std::string(kStartFailedText) + "(2)");
  expectQuoted(meter::SaveVolumeQuestion("（入力した音量）"));
  expectQuoted(meter::DeleteVolumeQuestion("（選んだ音量）"));
  // The spoken sentence the help quotes as "音量Nです。".
  EXPECT_EQ(settings::PlainCheckSentence(42), "音量42です。");
  EXPECT_EQ(std::string(kProgramFile), "Volmaru.exe");

  // The captions of the settings window the help names ("表示時間:" is
  // named without its colon).
  namespace ctl = settings::ctl;
  const auto caption = [](int id) {
    const settings::ControlDesign* c = settings::FindControl(id);
    std::string name = c ? std::string(c->caption) : std::string("?");
    if (!name.empty() && name.back() == ':') name.pop_back();
    return name;
  };
  for (int id : {ctl::kCheckWheelHoko, ctl::kCheckVolumeSchedule, ctl::kCheckDeviceChange, ctl::kLabelDeviceTime,
                 ctl::kCheckUseDeviceIcon, ctl::kLabelStep, ctl::kLabelShowTime, ctl::kLabelNormalVolume}) {
    EXPECT_TRUE(Has(text, "「" + caption(id) + "」")) << caption(id);
  }
  // The meter's positions.
  const std::string meter = Section(raw, "■ 音量メーター");
  EXPECT_TRUE(Has(meter, "横向きのメーター（「" + caption(ctl::kGroupPosition) + "」が" +
                             caption(ctl::kRadioPosition0) + "、" + caption(ctl::kRadioPosition1) + "、" +
                             caption(ctl::kRadioPosition2) + "）は上下にだけ"));
  EXPECT_TRUE(Has(meter, "縦向きのメーター（" + caption(ctl::kRadioPosition3) + "、" + caption(ctl::kRadioPosition4) +
                             "）は左右にだけ"));
}

}  // namespace
}  // namespace volmaru::app
