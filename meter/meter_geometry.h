// The meter's geometry as plain arithmetic: window size and place on the
// primary screen, the bar's dots, the label places, the value under the
// pointer, the colour rules. The window code paints what these return.
// "div" truncates toward zero; R() rounds halves to the even neighbour.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "common/dpi.h"
#include "settings/device_profile.h"
#include "settings/settings_store.h"

namespace volmaru::meter {

enum MeterPosition { kBottom = 0, kCentre = 1, kTop = 2, kRight = 3, kLeft = 4 };
constexpr bool IsVertical(int position) { return position == kRight || position == kLeft; }

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

// Sizes and offsets are design units (96 dpi), given at the meter's DPI;
// the parts that follow the screen (half its width, a 25th of its height)
// are screen pixels already.
inline constexpr int kBoxWidth = 136;  // the set-volume box
inline constexpr int kBoxHeight = 67;
inline constexpr uint32_t kMeterBackground = 0x008000;
inline constexpr uint32_t kMeterAltBackground = 0x00FFFF;
inline constexpr uint32_t kMuteTextColour = 0x0000FF;

int RoundHalfEven(double x);

struct Placement {
  Rect window;      // screen coordinates
  Rect bar;         // within the window
  int boxLeft = 3;  // within the window
  int boxTop = 3;
  int hoverLabelTop = 3;  // horizontal meters
  // The saved place of this position was off screen: it is reset and both
  // saved values must be written back.
  bool savedReset = false;
  settings::MeterPosition saved;  // the saved place after the check (design units)
};

// Size and place of the meter on a screen of sw x sh pixels. The saved
// place is stored in design units: at 144 dpi a saved X of 320 is pixel 480.
Placement PlaceMeter(int sw, int sh, int position, settings::MeterPosition saved, Dpi dpi = {});

// Vertical meters: the number label's left edge beside the bar.
int VerticalNumberLabelLeft(int position, const Rect& bar, int labelWidth, Dpi dpi = {});

struct Dot {
  int left, top, right, bottom;  // ellipse bounds within the bar image
  bool full;                     // part of the volume, or a small mark
  bool operator==(const Dot&) const = default;
};
// The dots of a bar image of w x h pixels at volume v.
std::vector<Dot> MeterDots(int w, int h, int volume, bool vertical, Dpi dpi = {});

// Volume under the pointer at (x, y) in the bar image.
int VolumeAt(int x, int y, int w, int h, bool vertical);
// A click counts only inside the image (its far edges included).
bool InsideBar(int x, int y, int w, int h);

// The hover label's left edge (horizontal) or top edge (vertical).
int HoverLabelLeft(int x, const Rect& bar, int boxRight, int windowWidth, int labelWidth);
int HoverLabelTop(int y, const Rect& bar, int labelHeight);

// Where a dragged meter ends up: it only moves along its free axis and
// stays on screen.
settings::MeterPosition AfterDrag(int left, int top, int width, int height, int sw, int sh, bool vertical);
// A place on the screen at `dpi` as it is saved (design units).
settings::MeterPosition StoredPosition(settings::MeterPosition pixels, Dpi dpi);

// The automatic hide tests the pointer against the window with its edges
// inside.
bool PointerOutside(int x, int y, const Rect& window);

struct BarColourInputs {
  int colorByIconColor = 0;  // 0 own colour, 1 icon number colour, 2 icon background
  bool changeColorByDevice = false;
  uint32_t pickerColour = 0x00FF00;
  bool changeIconColorByDevice = false;
  uint32_t iconText = 0xFFFFFF;
  uint32_t iconBack = 0xFF0000;
  const std::vector<TDefDeviceTrayIconData>* profiles = nullptr;
  std::string_view defaultDeviceName;
  uint32_t previous = 0x00FF00;  // the colour of the last drawing
};
uint32_t ChooseBarColour(const BarColourInputs& in);

// The key colour makes the background transparent; a bar of that very colour
// would vanish, so background and key switch between green and yellow.
uint32_t BackgroundFor(uint32_t currentBackground, uint32_t barColour);

}  // namespace volmaru::meter
