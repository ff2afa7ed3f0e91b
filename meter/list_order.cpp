#include "meter/list_order.h"

#include <array>
#include <cstdint>

#include "common/text.h"

namespace volmaru::meter {
namespace {

// First-level groups, in their order.
enum Group : uint32_t { kSymbol = 1, kDigit, kLetter, kKana, kKanji, kOther };

// Second-level weights: a kana's own sound mark, and what a separate sound
// mark (ﾞ ﾟ ゛ ゜) adds to the character before it. A separate mark weighs
// more than any letter's own: "ﾊﾞ" sorts after "ぱ".
constexpr int kVoiced = 1;
constexpr int kSemiVoiced = 2;
constexpr int kVoicedMark = 3;
constexpr int kSemiVoicedMark = 4;

struct Element {
  uint32_t primary = 0;   // group << 24 | weight within the group
  int sound = 0;          // see kVoiced ... kSemiVoicedMark
  uint8_t width = 0;      // letters, digits, punctuation: 0 normal, 1 full-width
  uint8_t size = 1;       // kana: 0 small, 1 large
  uint8_t kind = 0;       // kana: 0 katakana, 1 hiragana
  uint8_t kanaWidth = 1;  // kana: 0 half-width, 1 full-width
};

// The apostrophe and the hyphen: where they stand and which one.
struct Mark {
  size_t position;
  uint8_t weight;  // apostrophe 1, hyphen 2 (their full-width forms 3, 4)
};

struct SortKey {
  int leadingSound = 0;  // sound marks before the first character
  std::vector<Element> elements;
  std::vector<Mark> marks;
};

constexpr uint32_t Primary(Group g, uint32_t weight) { return static_cast<uint32_t>(g) << 24 | weight; }

// Blank and ASCII punctuation in the platform's order (apostrophe and hyphen
// are not among them: they weigh nothing on the first level).
constexpr std::string_view kSymbolOrder = " !\"#$%&()*,./:;?@[]^_`{|}~\\+<=>";

// Half-width katakana U+FF66..U+FF9D as full-width katakana; 0 for the
// prolonged sound mark U+FF70, which is not modelled.
constexpr std::array<char16_t, 0xFF9E - 0xFF66> kHalfWidthKatakana = {
    u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ', u'ョ', u'ッ', 0,     u'ア', u'イ', u'ウ',
    u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ', u'サ', u'シ', u'ス', u'セ', u'ソ', u'タ', u'チ',
    u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ', u'ネ', u'ノ', u'ハ', u'ヒ', u'フ', u'ヘ', u'ホ', u'マ',
    u'ミ', u'ム', u'メ', u'モ', u'ヤ', u'ユ', u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ', u'ン',
};

// A hiragana letter U+3041..U+3096 as its syllable (the large, plain
// letter), its sound mark (kVoiced, kSemiVoiced) and its size.
bool Hiragana(char16_t c, Element& e) {
  if (c < 0x3041 || c > 0x3096) return false;
  uint32_t base = c;
  e.sound = 0;
  e.size = 1;
  if (c <= 0x304A) {  // ぁあぃいぅうぇえぉお: the small one first
    if ((c - 0x3041) % 2 == 0) {
      base = c + 1;
      e.size = 0;
    }
  } else if (c <= 0x3062) {  // か が ... ち ぢ
    base = 0x304B + ((c - 0x304B) & ~1u);
    e.sound = static_cast<int>((c - 0x304B) & 1u);
  } else if (c == 0x3063) {  // っ
    base = 0x3064;
    e.size = 0;
  } else if (c <= 0x3069) {  // つ づ て で と ど
    base = 0x3064 + ((c - 0x3064) & ~1u);
    e.sound = static_cast<int>((c - 0x3064) & 1u);
  } else if (c <= 0x306E) {  // な .. の
  } else if (c <= 0x307D) {  // は ば ぱ ... ほ ぼ ぽ
    base = 0x306F + (c - 0x306F) / 3 * 3;
    e.sound = static_cast<int>((c - 0x306F) % 3);
  } else if (c <= 0x3082) {  // ま .. も
  } else if (c <= 0x3088) {  // ゃやゅゆょよ
    if ((c - 0x3083) % 2 == 0) {
      base = c + 1;
      e.size = 0;
    }
  } else if (c == 0x308E) {  // ゎ
    base = 0x308F;
    e.size = 0;
  } else if (c == 0x3094) {  // ゔ
    base = 0x3046;
    e.sound = kVoiced;
  } else if (c == 0x3095) {  // ゕ
    base = 0x304B;
    e.size = 0;
  } else if (c == 0x3096) {  // ゖ
    base = 0x3051;
    e.size = 0;
  }
  e.primary = Primary(kKana, base);
  return true;
}

// Katakana as hiragana of the same syllable, marked as katakana.
bool Kana(char16_t c, Element& e) {
  e.kind = 1;
  e.kanaWidth = 1;
  if (Hiragana(c, e)) return true;
  e.kind = 0;
  if (c >= 0xFF66 && c <= 0xFF9D) {
    const char16_t full = kHalfWidthKatakana[c - 0xFF66];
    if (full == 0) return false;
    c = full;
    e.kanaWidth = 0;
  }
  if (c >= 0x30A1 && c <= 0x30F6) return Hiragana(static_cast<char16_t>(c - 0x60), e);
  if (c >= 0x30F7 && c <= 0x30FA) {  // ヷ ヸ ヹ ヺ: わ ゐ ゑ を voiced
    Hiragana(static_cast<char16_t>(c - 0x30F7 + 0x308F), e);
    e.sound = kVoiced;
    return true;
  }
  return false;
}

bool IsIdeograph(char16_t c) { return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF); }

// A separate sound mark: what it adds to the character before it; 0 for
// any other character.
int SoundMark(char16_t c) {
  if (c == 0xFF9E || c == 0x309B || c == 0x3099) return kVoicedMark;      // ﾞ ゛ and the combining one
  if (c == 0xFF9F || c == 0x309C || c == 0x309A) return kSemiVoicedMark;  // ﾟ ゜ and the combining one
  return 0;
}

// The weights of one UTF-16 unit that is not a sound mark; false for the
// apostrophe and the hyphen.
bool Weigh(char16_t c, Element& e, uint8_t& markWeight) {
  e = Element{};
  bool wide = false;
  if (c >= 0xFF01 && c <= 0xFF5E) {  // full-width forms of ASCII
    c = static_cast<char16_t>(c - 0xFF01 + 0x21);
    wide = true;
  } else if (c == 0x3000) {  // ideographic space
    c = u' ';
    wide = true;
  }
  if (c == u'\'' || c == u'-') {
    markWeight = static_cast<uint8_t>((c == u'\'' ? 1 : 2) + (wide ? 2 : 0));
    return false;
  }
  e.width = wide ? 1 : 0;
  if (c >= u'0' && c <= u'9') {
    e.primary = Primary(kDigit, c - u'0');
  } else if (c >= u'a' && c <= u'z') {
    e.primary = Primary(kLetter, c - u'a');
  } else if (c >= u'A' && c <= u'Z') {
    e.primary = Primary(kLetter, c - u'A');
  } else if (const size_t at = c < 0x80 ? kSymbolOrder.find(static_cast<char>(c)) : std::string_view::npos;
             at != std::string_view::npos) {
    e.primary = Primary(kSymbol, static_cast<uint32_t>(at));
  } else if (Element kana; Kana(c, kana)) {
    e = kana;
  } else if (IsIdeograph(c)) {
    // The JIS kanji sort in the order of their code page 932 codes, the
    // others after them.
    const std::string cp932 = Utf8ToCp932(Utf16ToUtf8(std::u16string_view(&c, 1)));
    if (cp932.size() == 2) {
      e.primary = Primary(kKanji, static_cast<uint32_t>(static_cast<unsigned char>(cp932[0])) << 8 |
                                      static_cast<unsigned char>(cp932[1]));
    } else {
      e.primary = Primary(kOther, c);
    }
  } else {
    e.primary = Primary(kOther, c);
  }
  return true;
}

SortKey KeyOf(std::string_view utf8) {
  SortKey key;
  const std::u16string text = Utf8ToUtf16(utf8);
  for (size_t i = 0; i < text.size(); ++i) {
    if (const int sound = SoundMark(text[i])) {
      (key.elements.empty() ? key.leadingSound : key.elements.back().sound) += sound;
      continue;
    }
    Element e;
    uint8_t mark = 0;
    if (Weigh(text[i], e, mark)) {
      key.elements.push_back(e);
    } else {
      key.marks.push_back({i, mark});
    }
  }
  return key;
}

int Sign(int64_t d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); }

template <typename Field>
int CompareLevel(const std::vector<Element>& a, const std::vector<Element>& b, Field field) {
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    const int d = Sign(static_cast<int64_t>(field(a[i])) - static_cast<int64_t>(field(b[i])));
    if (d != 0) return d;
  }
  return Sign(static_cast<int64_t>(a.size()) - static_cast<int64_t>(b.size()));
}

int CompareMarks(const std::vector<Mark>& a, const std::vector<Mark>& b) {
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    // A mark further right sorts first.
    if (a[i].position != b[i].position) return a[i].position > b[i].position ? -1 : 1;
    if (a[i].weight != b[i].weight) return a[i].weight < b[i].weight ? -1 : 1;
  }
  return Sign(static_cast<int64_t>(a.size()) - static_cast<int64_t>(b.size()));
}

}  // namespace

int CompareListText(std::string_view a, std::string_view b) {
  const SortKey ka = KeyOf(a);
  const SortKey kb = KeyOf(b);
  if (const int d = CompareLevel(ka.elements, kb.elements, [](const Element& e) { return e.primary; })) return d;
  if (const int d = Sign(ka.leadingSound - kb.leadingSound)) return d;
  if (const int d = CompareLevel(ka.elements, kb.elements, [](const Element& e) { return e.sound; })) return d;
  if (const int d = CompareLevel(ka.elements, kb.elements, [](const Element& e) { return e.width; })) return d;
  if (const int d = CompareLevel(ka.elements, kb.elements, [](const Element& e) { return e.size; })) return d;
  if (const int d = CompareLevel(ka.elements, kb.elements, [](const Element& e) { return e.kind; })) return d;
  if (const int d = CompareLevel(ka.elements, kb.elements, [](const Element& e) { return e.kanaWidth; })) return d;
  return CompareMarks(ka.marks, kb.marks);
}

size_t SortedInsertIndex(const std::vector<std::string>& items, std::string_view text) {
  // The control's own search: over the closed range of indexes, halving
  // towards the text, and at the first equal item it meets.
  int64_t low = 0;
  int64_t high = static_cast<int64_t>(items.size()) - 1;
  while (low <= high) {
    const int64_t mid = (low + high) / 2;
    const int d = CompareListText(items[static_cast<size_t>(mid)], text);
    if (d == 0) return static_cast<size_t>(mid);
    if (d > 0)
      high = mid - 1;
    else
      low = mid + 1;
  }
  return static_cast<size_t>(low);
}

}  // namespace volmaru::meter
