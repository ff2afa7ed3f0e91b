// TBevelLabel: a text label with an embossed relief. The relief is the
// caption drawn several times at small offsets in a light and a dark edge
// colour before the text itself goes on top. This file holds the label's
// properties and every rule of its look (offsets, edge colours, the blend,
// the caption's first "&"); the window that paints it lives beside it in
// bevel_label_win.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace volmaru::about {

enum class TBevelType { btLeftTop, btRightBottom, btRightTop, btLeftBottom, btNone };

// Colours are 0x00BBGGRR.
inline constexpr uint32_t kWhite = 0xFFFFFF;
inline constexpr uint32_t kBlack = 0x000000;
inline constexpr uint32_t kTeal = 0x808000;

// Per channel (red, green, blue) the mean of the two colours, rounded down.
uint32_t BlendColour(uint32_t a, uint32_t b);

// The caption without its first "&" (a label shows "&&" as one "&" and
// "&x" as an underlined x; the relief passes only drop the first one).
std::string StripFirstAmpersand(std::string_view caption);

// One drawing of the text: at (dx, dy) from the label's origin in `colour`.
// A `plain` pass is the label's ordinary text drawing (accelerator prefixes
// interpreted); the others draw the stripped caption as it is.
struct TextPass {
  int dx = 0;
  int dy = 0;
  uint32_t colour = 0;
  bool plain = false;
  bool operator==(const TextPass&) const = default;
};

// The platform's colours a disabled label is drawn in.
struct DisabledColours {
  uint32_t highlight = 0xFFFFFF;  // button highlight
  uint32_t shadow = 0x808080;     // button shadow
  uint32_t grayText = 0x808080;   // grey text
};

// Told when the label's look changed and it must be painted again.
class BevelLabelView {
 public:
  virtual ~BevelLabelView() = default;
  virtual void Repaint() = 0;
};

class TBevelLabel {
 public:
  // Size and font of a new label.
  static constexpr int kDefaultWidth = 125;
  static constexpr int kDefaultHeight = 26;
  static constexpr int kDefaultFontPoints = 20;

  explicit TBevelLabel(BevelLabelView* view = nullptr) : view_(view) {}

  // The label's own properties, in their published order.
  uint32_t HighLightColor() const { return highLightColor_; }
  void SetHighLightColor(uint32_t colour) { Set(highLightColor_, colour); }
  uint32_t ShadowColor() const { return shadowColor_; }
  void SetShadowColor(uint32_t colour) { Set(shadowColor_, colour); }
  TBevelType BevelType() const { return bevelType_; }
  void SetBevelType(TBevelType type) { Set(bevelType_, type); }
  int BevelWidth() const { return bevelWidth_; }
  // A relief needs at least one pixel: 0 (or less) stores 1.
  void SetBevelWidth(int width) { Set(bevelWidth_, width < 1 ? 1 : width); }
  bool ColorBrend() const { return colorBrend_; }
  void SetColorBrend(bool blend) { Set(colorBrend_, blend); }

  // What it has of a plain label.
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view caption) {
    if (caption_ == caption) return;
    caption_ = caption;
    Changed();
  }
  uint32_t FontColor() const { return fontColor_; }
  void SetFontColor(uint32_t colour) { Set(fontColor_, colour); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { Set(enabled_, enabled); }

  // The two edge colours: blended half-way with the font colour when
  // ColorBrend is on, else the highlight and shadow colours as they are.
  uint32_t LightEdge() const;
  uint32_t DarkEdge() const;

  // Every drawing of one paint, in order: the plain label first, then the
  // relief passes, then the text on top (a disabled label: the engraved
  // white and grey instead of the relief).
  std::vector<TextPass> Passes(const DisabledColours& system = {}) const;

 private:
  template <typename T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void Changed() {
    if (view_) view_->Repaint();
  }

  BevelLabelView* view_;
  uint32_t highLightColor_ = kWhite;
  uint32_t shadowColor_ = kBlack;
  TBevelType bevelType_ = TBevelType::btRightBottom;
  int bevelWidth_ = 2;
  bool colorBrend_ = true;
  std::string caption_;
  uint32_t fontColor_ = kTeal;
  bool enabled_ = true;
};

}  // namespace volmaru::about
