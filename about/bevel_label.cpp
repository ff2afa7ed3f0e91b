#include "about/bevel_label.h"

namespace volmaru::about {

uint32_t BlendColour(uint32_t a, uint32_t b) {
  uint32_t out = 0;
  for (const int shift : {0, 8, 16}) {  // red, green, blue
    const uint32_t channel = (((a >> shift) & 0xFF) + ((b >> shift) & 0xFF)) / 2;
    out |= channel << shift;
  }
  return out;
}

std::string StripFirstAmpersand(std::string_view caption) {
  std::string text(caption);
  const size_t amp = text.find('&');
  if (amp != std::string::npos) text.erase(amp, 1);
  return text;
}

uint32_t TBevelLabel::LightEdge() const {
  return colorBrend_ ? BlendColour(fontColor_, highLightColor_) : highLightColor_;
}

uint32_t TBevelLabel::DarkEdge() const { return colorBrend_ ? BlendColour(fontColor_, shadowColor_) : shadowColor_; }

std::vector<TextPass> TBevelLabel::Passes(const DisabledColours& system) const {
  std::vector<TextPass> passes;
  if (!enabled_) {
    // A plain disabled label is engraved (highlight one pixel down-right,
    // shadow on top); the bevel label then draws its own engraving over it.
    passes.push_back({1, 1, system.highlight, true});
    passes.push_back({0, 0, system.shadow, true});
    passes.push_back({0, 0, kWhite, false});
    passes.push_back({-1, -1, system.grayText, false});
    return passes;
  }
  passes.push_back({0, 0, fontColor_, true});
  const int n = bevelWidth_;
  const uint32_t light = LightEdge();
  const uint32_t dark = DarkEdge();
  switch (bevelType_) {
    case TBevelType::btLeftTop:
      for (int i = n; i >= 1; --i) passes.push_back({-i, -i, dark, false});
      passes.push_back({1, 1, light, false});
      break;
    case TBevelType::btRightBottom:
      passes.push_back({-1, -1, light, false});
      for (int i = 1; i <= n; ++i) passes.push_back({i, i, dark, false});
      break;
    case TBevelType::btRightTop:
      for (int i = n; i >= 1; --i) passes.push_back({i, -i, dark, false});
      passes.push_back({-1, 1, light, false});
      break;
    case TBevelType::btLeftBottom:
      passes.push_back({1, -1, light, false});
      for (int i = 1; i <= n; ++i) passes.push_back({-i, i, dark, false});
      break;
    case TBevelType::btNone:
      break;
  }
  passes.push_back({0, 0, fontColor_, false});
  return passes;
}

}  // namespace volmaru::about
