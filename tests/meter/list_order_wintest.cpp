// The saved volume list's order rule against the platform itself: a real
// sorted combo box (CBS_SORT) fed the same texts, and the comparison it
// uses (CompareStringW of the user locale, ignoring case), in the Japanese
// locale of the test prefix.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/handle_win.h"
#include "common/text_win.h"
#include "meter/list_order.h"

namespace volmaru::meter {
namespace {

// Volumes as the list holds them, and what else a user could type or a
// hand-edited file could hold: blank, lengths, leading zeros, signs and
// marks, letters of both cases and widths, kana of every kind, kanji.
const std::vector<std::string> kTexts = {
    "",   " ",    "  ",     "0",    "00",     "000",    "05",     "050",      "5",        "50",    "500",        "1",
    "10", "100",  "101",    "1000", "2",      "20",     "200",    "25",       "250",      "9",     "99",         "999",
    "-1", "-5",   "-50",    "-100", "+5",     "5-",     "'5",     "5'",       "1 0",      "1.0",   "10 ",        " 10",
    "a",  "A",    "b",      "B",    "z",      "Z",      "ab",     "aB",       "Ab",       "a b",   "a1",         "a-b",
    "1a", "a1b",  "ａ",     "Ａ",   "０",     "１",     "５０",   "!",        "#",        "~",     "\\",         "+",
    "=",  "_",    "@",      "　",   "あ",     "ア",     "ｱ",      "ぁ",       "ァ",       "ｧ",     "か",         "が",
    "カ", "ガ",   "ｶ",      "ｶﾞ",   "き",     "ぱ",     "ば",     "は",       "っ",       "つ",    "づ",         "ッ",
    "ゔ", "ヴ",   "ん",     "ﾝ",    "を",     "ゐ",     "ゑ",     "わ",       "ゎ",       "ヷ",    "ヵ",         "ゖ",
    "ﾞ",  "ﾟ",    "゛",     "亜",   "一",     "音",     "漢",     "字",       "量",       "腕",    "弌",         "熙",
    "丂", "音量", "音量50", "50音", "volume", "Volume", "VOLUME", "ボルマル", "ぼるまる", "ﾎﾞﾙﾏﾙ", "ボリューム", "登録",
    "ヸ", "ヹ",   "ヺ",     "た",   "だ",     "ち",     "ぢ",     "て",       "で",       "と",    "ど",         "な",
    "ほ", "ぼ",   "ぽ",     "ま",   "み",     "ぃ",     "ぅ",     "ぇ",       "え",       "ぉ",    "お",         "ゕ",
    "け", "ゃ",   "や",     "ゅ",   "ゆ",     "ょ",     "よ",     "ら",       "ｦ",        "ヶ",    "！",         "～",
    "＇", "－",   "ｯ",      "ｧ",    "ｰ",      "ど",     "で",     "ざ",
};

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

std::string Show(const std::string& s) {
  std::string out = "\"" + s + "\" (";
  for (const wchar_t c : Widen(s)) {
    char hex[8];
    snprintf(hex, sizeof hex, "%04X ", static_cast<unsigned>(c));
    out += hex;
  }
  return out + ")";
}

TEST(ListOrderWinTest, ComparisonAgreesWithThePlatformForEveryPair) {
  ASSERT_EQ(GetACP(), 932u) << "the test prefix runs in the Japanese locale";
  int disagreements = 0;
  for (const std::string& a : kTexts) {
    const std::wstring wa = Widen(a);
    for (const std::string& b : kTexts) {
      const std::wstring wb = Widen(b);
      const int platform = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wa.c_str(), -1, wb.c_str(), -1) - 2;
      const int ours = Sign(CompareListText(a, b));
      if (platform != ours && ++disagreements <= 20) {
        ADD_FAILURE() << Show(a) << " vs " << Show(b) << ": platform " << platform << ", rule " << ours;
      }
    }
  }
  EXPECT_EQ(disagreements, 0);
}

// The order a sorted combo box ends up with when `texts` are added in turn.
std::vector<std::string> ControlOrder(const std::vector<std::string>& texts) {
  const UniqueWindow parent(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                            GetModuleHandleW(nullptr), nullptr));
  const HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWN | CBS_SORT, 0, 0, 60, 200,
                                     parent.get(), nullptr, GetModuleHandleW(nullptr), nullptr);
  EXPECT_NE(combo, nullptr);
  for (const std::string& t : texts) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(t).c_str()));
  }
  std::vector<std::string> out;
  const auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring item(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    item.resize(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
    out.push_back(Narrow(item));
  }
  return out;
}

std::vector<std::string> RuleOrder(const std::vector<std::string>& texts) {
  std::vector<std::string> list;
  for (const std::string& t : texts) {
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(SortedInsertIndex(list, t)), t);
  }
  return list;
}

TEST(ListOrderWinTest, SortedComboBoxKeepsTheRulesOrder) {
  const std::vector<std::string>& texts = kTexts;
  std::vector<std::string> reversed(texts.rbegin(), texts.rend());
  // Every text once, in a scattered order (37 and the count share no factor).
  ASSERT_NE(texts.size() % 37, 0u);
  std::vector<std::string> shuffled;
  for (size_t i = 0; i < texts.size(); ++i) shuffled.push_back(texts[i * 37 % texts.size()]);
  const std::vector<std::string>* orders[] = {&texts, &reversed, &shuffled};
  for (const std::vector<std::string>* order : orders) {
    const std::vector<std::string> control = ControlOrder(*order);
    const std::vector<std::string> rule = RuleOrder(*order);
    ASSERT_EQ(control.size(), rule.size());
    for (size_t i = 0; i < control.size(); ++i) {
      EXPECT_EQ(control[i], rule[i]) << "at " << i << ": control " << Show(control[i]) << ", rule " << Show(rule[i]);
    }
  }
  EXPECT_EQ(ControlOrder({"0", "ab", "b", "aB", "c", "Ab", "d", "AB"}),
            (std::vector<std::string>{"0", "aB", "Ab", "AB", "ab", "b", "c", "d"}));
  // The volumes of the list's own examples.
  EXPECT_EQ(ControlOrder({"5", "20", "100", " "}), (std::vector<std::string>{" ", "100", "20", "5"}));
}

}  // namespace
}  // namespace volmaru::meter
