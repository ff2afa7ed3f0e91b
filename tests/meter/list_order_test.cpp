#include "meter/list_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace volmaru::meter {
namespace {

// The list a sorted combo box ends up with after adding `texts` one by one.
std::vector<std::string> Sorted(const std::vector<std::string>& texts) {
  std::vector<std::string> list;
  for (const std::string& t : texts) {
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(SortedInsertIndex(list, t)), t);
  }
  return list;
}

// `a` and `b` share their first-level weight: what follows them decides.
void ExpectSameSyllable(const std::string& a, const std::string& b) {
  EXPECT_LT(CompareListText(a + "a", b + "b"), 0) << a << " vs " << b;
  EXPECT_LT(CompareListText(b + "a", a + "b"), 0) << b << " vs " << a;
  EXPECT_NE(CompareListText(a, "あ" + b), 0);
}

// Each text sorts strictly before the next one.
void ExpectAscending(const std::vector<std::string>& texts) {
  for (size_t i = 0; i + 1 < texts.size(); ++i) {
    EXPECT_LT(CompareListText(texts[i], texts[i + 1]), 0) << "\"" << texts[i] << "\" vs \"" << texts[i + 1] << "\"";
    EXPECT_GT(CompareListText(texts[i + 1], texts[i]), 0) << "\"" << texts[i + 1] << "\" vs \"" << texts[i] << "\"";
  }
}

TEST(ListOrderTest, VolumesSortAsTextBlankFirst) {
  EXPECT_EQ(Sorted({"5", "20", "100"}), (std::vector<std::string>{"100", "20", "5"}));
  EXPECT_EQ(Sorted({"50", " ", "0", "9", "10", "1"}), (std::vector<std::string>{" ", "0", "1", "10", "50", "9"}));
  ExpectAscending({"", " ", "  ", "0", "00", "050", "1", "10", "100", "2", "20", "5", "50", "9", "99"});
}

TEST(ListOrderTest, HyphenAndApostropheWeighOnlyAtTheEnd) {
  // "-5" is "5" with a mark: after every 5 without one, before "50".
  ExpectAscending({"5", "5'", "5-", "'5", "-5", "50"});
  ExpectAscending({"1", "-1", "10"});
  ExpectAscending({"'", "-", " "});
  EXPECT_GT(CompareListText("1-0", "10"), 0);
  EXPECT_GT(CompareListText("-10", "1-0"), 0);
  EXPECT_GT(CompareListText("-5-", "5--"), 0);
  EXPECT_LT(CompareListText("-5", "--5"), 0);
  EXPECT_GT(CompareListText("5-1", "51-"), 0);
  EXPECT_LT(CompareListText("a-b-c", "a--bc"), 0);
  EXPECT_GT(CompareListText("a-b-", "ab--"), 0);
  EXPECT_LT(CompareListText("'-", "-'"), 0);
}

TEST(ListOrderTest, PunctuationDigitsLettersInThatOrder) {
  ExpectAscending({" ", "!", "\"", "#", "$", "%", "&", "(", ")",  "*", ",", ".", "/", ":", ";", "?", "@", "[",
                   "]", "^", "_",  "`", "{", "|", "}", "~", "\\", "+", "<", "=", ">", "0", "9", "a", "z"});
  ExpectAscending({"1 0", "1.0", "10", "1a", "a", "a b", "a1", "ab", "a-b", "b"});
}

TEST(ListOrderTest, CaseIsIgnoredWidthIsNot) {
  EXPECT_EQ(CompareListText("a", "A"), 0);
  EXPECT_EQ(CompareListText("aB", "Ab"), 0);
  ExpectAscending({"0", "０", "1", "１"});
  ExpectAscending({"a", "ａ", "b"});
  EXPECT_LT(CompareListText("A", "ａ"), 0);
  EXPECT_LT(CompareListText("0１", "０1"), 0);  // the first difference decides
  ExpectAscending({" ", "　", "!"});            // ideographic space
  ExpectAscending({"!", "！", "\""});           // full-width forms from the first to the last
  ExpectAscending({"~", "～", "\\"});
  ExpectAscending({"'", "-", "＇", "－", " "});
  EXPECT_LT(CompareListText("-5", "５"), 0);  // width before the marks
  EXPECT_GT(CompareListText("-ａ", "a"), 0);
  // An equal text goes in front of the first equal item the control's
  // search meets (the same order a real sorted combo box gives).
  EXPECT_EQ(Sorted({"a", "A"}), (std::vector<std::string>{"A", "a"}));
  EXPECT_EQ(Sorted({"0", "ab", "b", "aB", "c", "Ab", "d", "AB"}),
            (std::vector<std::string>{"0", "aB", "Ab", "AB", "ab", "b", "c", "d"}));
  EXPECT_EQ(Sorted({"50", "050", "50"}).size(), 3u);
}

TEST(ListOrderTest, KanaBySyllableThenMarksSizeKindWidth) {
  // Syllable order, whatever the script.
  ExpectAscending({"z", "ぁ", "い", "う", "ヴ", "ゔ", "か", "が", "き", "ん", "亜"});
  // Sound marks decide before size and kind.
  ExpectAscending({"か", "が", "き"});
  ExpectAscending({"は", "ば", "ぱ", "ひ"});
  EXPECT_GT(CompareListText("が", "カ"), 0);
  EXPECT_GT(CompareListText("ぁが", "あか"), 0);
  // Small before large, then katakana before hiragana, then half-width first.
  ExpectAscending({"ｧ", "ァ", "ぁ", "ｱ", "ア", "あ"});
  ExpectAscending({"っ", "つ", "づ"});
  EXPECT_LT(CompareListText("ッ", "づ"), 0);
  EXPECT_LT(CompareListText("アか", "あカ"), 0);
  EXPECT_GT(CompareListText("ｱか", "アカ"), 0);  // kind (second letter) before width (first)
  EXPECT_LT(CompareListText("ｱカ", "アか"), 0);
  EXPECT_GT(CompareListText("ａア", "aあ"), 0);  // Latin width before kana kind
  EXPECT_GT(CompareListText("ア", "ｱ-"), 0);     // kana width before the marks
  ExpectAscending({"ゎ", "わ", "ゐ", "ゑ", "を", "ﾝ", "ん"});
  ExpectAscending({"ヵ", "か"});
  ExpectAscending({"わ", "ヷ", "ゐ", "ヸ", "ゑ", "ヹ", "を", "ヺ", "ん"});
  ExpectAscending({"は", "ひ", "ふ", "へ", "ほ", "ぼ", "ぽ", "ま", "み"});
  ExpectAscending({"た", "だ", "ち", "ぢ", "っ", "つ", "づ", "て", "で", "と", "ど", "な"});
  ExpectAscending({"ぁ", "あ", "ぃ", "い", "ぅ", "う", "ゔ", "ぇ", "え", "ぉ", "お", "ゕ", "か", "が", "ゖ", "け"});
  ExpectAscending({"ゃ", "や", "ゅ", "ゆ", "ょ", "よ", "ら"});
  ExpectAscending({"ひ", "び", "ぴ", "ふ"});
  ExpectAscending({"ｦ", "を", "ﾝ", "ん"});
  // Small, voiced, katakana and half-width forms share the syllable.
  for (const auto& [a, b] : std::vector<std::pair<std::string, std::string>>{
           {"が", "か"}, {"ざ", "さ"}, {"ぢ", "ち"}, {"づ", "つ"}, {"で", "て"}, {"ど", "と"},
           {"っ", "つ"}, {"ぽ", "ほ"}, {"ぼ", "ほ"}, {"ゃ", "や"}, {"ょ", "よ"}, {"ゎ", "わ"},
           {"ぁ", "あ"}, {"ゔ", "う"}, {"ゕ", "か"}, {"ゖ", "け"}, {"ァ", "あ"}, {"ヴ", "う"},
           {"ヵ", "か"}, {"ヶ", "け"}, {"ッ", "つ"}, {"ヷ", "わ"}, {"ヸ", "ゐ"}, {"ヹ", "ゑ"},
           {"ヺ", "を"}, {"ｶ", "か"},  {"ｯ", "つ"},  {"ｦ", "を"},  {"ﾝ", "ん"},  {"ｧ", "あ"}}) {
    ExpectSameSyllable(a, b);
  }
  // A separate sound mark weighs only on the second level, more than a
  // letter's own mark, and before any width or kind.
  ExpectAscending({"", "ﾞ", "ﾟ", "ﾞﾞ", " "});
  EXPECT_EQ(CompareListText("゛", "ﾞ"), 0);
  EXPECT_EQ(CompareListText("ｶﾞ", "ｶ゛"), 0);
  ExpectAscending({"カ", "ガ", "ｶﾞ", "ｶﾟ", "ｶa", "ｷ"});
  ExpectAscending({"ぱ", "ﾊﾞ", "ﾊﾟ"});
  ExpectAscending({"ボリューム", "ボルマル", "ぼるまる", "ﾎﾞﾙﾏﾙ"});
  EXPECT_LT(CompareListText("ｶﾞ", "かﾞ"), 0);
  EXPECT_GT(CompareListText("ﾞa", " a"), 0);
  EXPECT_GT(CompareListText("1ﾞ", "１"), 0);
  EXPECT_GT(CompareListText("aｶﾞ", "ａガ"), 0);
}

TEST(ListOrderTest, KanjiInJisOrderOthersAfter) {
  ExpectAscending({"ん", "亜", "一", "音", "漢", "字", "量", "腕", "弌", "熙", "丂"});
  EXPECT_GT(CompareListText("髙", "高"), 0);
  // The half-width prolonged sound mark is not a kana the rule places.
  EXPECT_LT(CompareListText("量", "ｰ"), 0);
}

}  // namespace
}  // namespace volmaru::meter
