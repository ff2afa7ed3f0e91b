// The order in which the platform's sorted drop-down list (a combo box with
// CBS_SORT) keeps its items. The control compares item texts with the
// user locale's linguistic comparison, ignoring case, so its order is not
// the order of character codes: "100" comes before "20" (digit by digit),
// a blank before every digit, "5" before "-5". The saved volume list keeps
// its items in this order and writes them back in it, so the rule lives
// here where it can be tested without the control.
//
// Levels, most significant first (the first level with a difference
// decides, each compared from the left):
//   1. the character's sort weight: blank and punctuation, then digits by
//      value, then Latin letters without regard to case, then kana by their
//      syllable (hiragana, katakana and half-width katakana of one
//      syllable, small or large, plain or with sound marks, share it), then
//      the kanji of the JIS tables in their code page 932 order, then
//      everything else by its code; a string that is the beginning of
//      another comes first;
//   2. sound marks: plain, voiced (が), semi-voiced (ぱ); a separate mark
//      (ﾞ ﾟ ゛ ゜) weighs nothing above and adds more to the character before
//      it than a letter's own mark ("ﾊﾞ" after "ぱ");
//   3. width of letters, digits and punctuation: normal before full-width;
//   4. kana size: small (ぁ) before large (あ);
//   5. kana kind: katakana before hiragana;
//   6. kana width: half-width before full-width;
//   7. the apostrophe and the hyphen, which weigh nothing above: a string
//      without them comes first; at the same place the apostrophe comes
//      before the hyphen; a mark further to the right sorts first.
// Checked against a real sorted combo box in the Japanese locale
// (tests/meter/list_order_wintest.cpp). Not modelled: accented Latin
// letters, the prolonged sound mark "ー", the kana iteration marks and
// Japanese punctuation, whose platform weights depend on their neighbours
// or on tables this rule does not carry; they sort with "everything else".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace volmaru::meter {

// Negative, zero or positive as `a` sorts before, with or after `b` (UTF-8).
int CompareListText(std::string_view a, std::string_view b);

// Where the sorted control puts a new item among `items` (already in list
// order): found by the control's binary search, which puts a text equal to
// an item (the same volume twice, letters differing in case only) in front
// of the first such item it meets.
size_t SortedInsertIndex(const std::vector<std::string>& items, std::string_view text);

}  // namespace volmaru::meter
