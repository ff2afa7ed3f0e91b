// Sizes are designed in 96-dpi units and shown at the DPI of the monitor a
// window is on (or the system's DPI where Windows knows no other: Windows XP
// with "large fonts" runs at 120). Every window scales its design units
// with this one rule.
#pragma once

#include <cstdint>

namespace volmaru {

inline constexpr int kDesignDpi = 96;

// Design units at `dpi`: rounded to the nearest pixel (halves away from
// zero), and a non-zero size never becomes 0. 96 dpi gives every value
// unchanged.
constexpr int ScaleToDpi(int designUnits, int dpi) {
  if (dpi <= 0 || dpi == kDesignDpi || designUnits == 0) return designUnits;
  const int64_t product = static_cast<int64_t>(designUnits) * dpi;
  const int64_t half = kDesignDpi / 2;
  int64_t scaled = product >= 0 ? (product + half) / kDesignDpi : -((-product + half) / kDesignDpi);
  if (scaled == 0) scaled = designUnits > 0 ? 1 : -1;
  return static_cast<int>(scaled);
}

// Pixels at `dpi` back in design units, with the same rounding; what is
// stored in files (a window's size, the meter's place) is kept in design
// units, so that it means the same at every DPI.
constexpr int DesignUnitsAt(int pixels, int dpi) {
  if (dpi <= 0 || dpi == kDesignDpi || pixels == 0) return pixels;
  const int64_t product = static_cast<int64_t>(pixels) * kDesignDpi;
  const int64_t half = dpi / 2;
  int64_t units = product >= 0 ? (product + half) / dpi : -((-product + half) / dpi);
  if (units == 0) units = pixels > 0 ? 1 : -1;
  return static_cast<int>(units);
}

// A DPI as the windows carry it, with the rule at hand.
struct Dpi {
  int value = kDesignDpi;
  constexpr int operator()(int designUnits) const { return ScaleToDpi(designUnits, value); }
  constexpr bool operator==(const Dpi&) const = default;
};

}  // namespace volmaru
