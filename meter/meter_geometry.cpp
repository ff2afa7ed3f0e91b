#include "meter/meter_geometry.h"

#include <cmath>

namespace volmaru::meter {

int RoundHalfEven(double x) { return static_cast<int>(std::nearbyint(x)); }

namespace {

int DefaultLeft(int position, int sw, int width, Dpi dpi) {
  if (position == kRight) return sw - width - dpi(80);
  if (position == kLeft) return dpi(80);
  return (sw - width) / 2;
}

int DefaultTop(int position, int sh, int height, Dpi dpi) {
  switch (position) {
    case kBottom:
      return sh - height - dpi(100);
    case kCentre:
      return sh / 2;  // the top edge at mid-screen
    case kTop:
      return dpi(100);
    default:
      return (sh - height) / 2;
  }
}

}  // namespace

Placement PlaceMeter(int sw, int sh, int position, settings::MeterPosition saved, Dpi dpi) {
  Placement p;
  const bool vertical = IsVertical(position);
  const int boxWidth = dpi(kBoxWidth);
  const int boxHeight = dpi(kBoxHeight);
  const int edge = dpi(3);
  Rect& w = p.window;
  if (!vertical) {
    w.width = sw / 2;
    w.height = sh / 25 + boxHeight + dpi(23);
    w.left = (sw - w.width) / 2;
  } else {
    w.width = boxWidth + dpi(6);
    w.height = sh / 2 + boxHeight;
    w.top = (sh - w.height) / 2;
  }
  p.saved = saved;
  if (saved.IsSet()) {
    // The saved place is in design units.
    w.left = dpi(saved.X);
    if (w.left < 0 || w.left > sw - w.width) {
      w.left = DefaultLeft(position, sw, w.width, dpi);
      p.saved.X = 0;
      p.savedReset = true;
    }
    w.top = dpi(saved.Y);
    if (w.top < 0 || w.top > sh - w.height) {
      w.top = DefaultTop(position, sh, w.height, dpi);
      p.saved.Y = 0;
      p.savedReset = true;
    }
  } else if (vertical) {
    w.left = DefaultLeft(position, sw, w.width, dpi);
  } else {
    w.top = DefaultTop(position, sh, w.height, dpi);
  }
  if (!vertical) {
    p.bar = {edge, boxHeight + dpi(20), w.width - 2 * edge, sh / 25};
    p.boxTop = edge;
    p.hoverLabelTop = edge;
  } else {
    p.bar.width = (w.width - dpi(25)) / 2;
    p.bar.height = w.height - boxHeight - 2 * edge;
    p.bar.left = position == kRight ? w.width - p.bar.width - edge : edge;
    p.bar.top = edge;
    p.boxTop = w.height - boxHeight;
  }
  p.boxLeft = edge;
  return p;
}

int VerticalNumberLabelLeft(int position, const Rect& bar, int labelWidth, Dpi dpi) {
  return position == kRight ? bar.left - labelWidth - dpi(3) : bar.left + bar.width;
}

std::vector<Dot> MeterDots(int w, int h, int volume, bool vertical, Dpi dpi) {
  std::vector<Dot> dots;
  const int gap = dpi(5);
  if (!vertical) {
    const int full = RoundHalfEven(static_cast<double>(w) * volume / 100.0);
    int x = gap;
    for (; x < full; x += h + gap) dots.push_back({x, 0, x + h, h, true});
    const int top = RoundHalfEven(h / 5.0);
    const int bottom = RoundHalfEven(4.0 * h / 5.0);
    for (; x < w; x += h / 2 + gap) dots.push_back({x, top, x + h / 2, bottom, false});
  } else {
    const int full = h - RoundHalfEven(static_cast<double>(h) * volume / 100.0);
    int y = h;
    for (; y > full; y -= w + gap) dots.push_back({0, y - w, w, y, true});
    const int left = RoundHalfEven(w / 4.0);
    const int right = RoundHalfEven(3.0 * w / 4.0);
    for (; y > 0; y -= w / 2 + gap) dots.push_back({left, y - w / 2, right, y, false});
  }
  return dots;
}

int VolumeAt(int x, int y, int w, int h, bool vertical) {
  if (vertical) return h == 0 ? 0 : RoundHalfEven(100.0 * (h - y) / h);
  return w == 0 ? 0 : RoundHalfEven(100.0 * x / w);
}

bool InsideBar(int x, int y, int w, int h) { return x >= 0 && x <= w && y >= 0 && y <= h; }

int HoverLabelLeft(int x, const Rect& bar, int boxRight, int windowWidth, int labelWidth) {
  int left = x + bar.left;
  if (left < boxRight) left = boxRight;
  if (left > windowWidth - labelWidth) left = windowWidth - labelWidth;
  return left;
}

int HoverLabelTop(int y, const Rect& bar, int labelHeight) {
  int top = y + bar.top;
  if (top > bar.top + bar.height - labelHeight) top = bar.top + bar.height - labelHeight;
  return top;
}

settings::MeterPosition AfterDrag(int left, int top, int width, int height, int sw, int sh, bool vertical) {
  if (!vertical) {
    left = (sw - width) / 2;
    if (top < 0) top = 0;
    if (top > sh - height) top = sh - height;
  } else {
    top = (sh - height) / 2;
    if (left < 0) left = 0;
    if (left > sw - width) left = sw - width;
  }
  return {left, top};
}

settings::MeterPosition StoredPosition(settings::MeterPosition pixels, Dpi dpi) {
  return {DesignUnitsAt(pixels.X, dpi.value), DesignUnitsAt(pixels.Y, dpi.value)};
}

bool PointerOutside(int x, int y, const Rect& r) {
  return x < r.left || x > r.left + r.width || y < r.top || y > r.top + r.height;
}

uint32_t ChooseBarColour(const BarColourInputs& in) {
  const bool haveProfiles = in.profiles && !in.profiles->empty();
  auto match = [&]() -> const TDefDeviceTrayIconData* {
    for (const auto& p : *in.profiles) {
      if (p.DeviceName == in.defaultDeviceName) return &p;
    }
    return nullptr;
  };
  if (in.colorByIconColor == 0) {
    if (!in.changeColorByDevice || !haveProfiles) return in.pickerColour;
    const auto* p = match();
    return p ? p->VolumeBarColor : in.pickerColour;
  }
  if (in.changeIconColorByDevice && haveProfiles) {
    const auto* p = match();
    if (!p) return in.previous;
    return in.colorByIconColor == 1 ? p->TextColor : p->BackColor;
  }
  return in.colorByIconColor == 1 ? in.iconText : in.iconBack;
}

uint32_t BackgroundFor(uint32_t currentBackground, uint32_t barColour) {
  if (currentBackground != barColour) return currentBackground;
  return barColour == kMeterBackground ? kMeterAltBackground : kMeterBackground;
}

}  // namespace volmaru::meter
