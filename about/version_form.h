// TLoudnessDialVersionForm's rules: its design (texts, places, colours), the
// creation sequence (remembered size, the system's UI font face for the
// meter, settings and version windows, the right-aligned labels, the start of
// the main timer), closing, and the link to the project's page. The window
// itself lives in version_form_win.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "common/dpi.h"
#include "settings/settings_store.h"

namespace volmaru::about {

inline constexpr std::string_view kVersionFormTitle = "ボルマルのバージョン情報";
inline constexpr std::string_view kProductText = "ボルマル";
// The two trailing blanks are part of the design.
inline constexpr std::string_view kVersionText = "Ver 2.64  ";
inline constexpr std::string_view kNoticeText = "ご自由にお使いください";
inline constexpr std::string_view kProjectUrl = "https://volmaru.example.jp/";
inline constexpr std::string_view kLinkFailedText = "作者サイトへの接続に失敗しました。";
// The link cursor in the program folder; the system hand stands in for it.
inline constexpr std::string_view kHandCursorFile = "Data\\Hand.cur";

inline constexpr int kClientWidth = 344;
inline constexpr int kClientHeight = 127;
inline constexpr uint32_t kBackground = 0x00FF00;  // lime
inline constexpr int kRightMargin = 5;

struct Place {
  int left, top, width, height;
};
struct LabelDesign {
  Place place;
  uint32_t colour;
  int fontPixels;
  bool italic;
};
inline constexpr Place kImage1{24, 19, 41, 41};
inline constexpr LabelDesign kBevelLabel1{{71, 19, 108, 42}, 0x000000, 35, false};
inline constexpr uint32_t kBevelLabel1Shadow = 0x00FFFF;  // yellow
inline constexpr LabelDesign kLabel2{{185, 39, 95, 25}, 0x0000FF, 21, true};
inline constexpr LabelDesign kBevelLabel2{{41, 70, 295, 29}, 0xFF00FF, 24, false};
inline constexpr uint32_t kBevelLabel2Shadow = 0x808000;  // teal
inline constexpr LabelDesign kLabelURL{{38, 103, 298, 16}, 0x000000, 13, true};
inline constexpr uint32_t kLinkHotColour = 0x0000FF;  // red
inline constexpr std::string_view kDesignFace = "Tahoma";

// Left edge of a label that ends kRightMargin design units before the
// client area's right edge (places and sizes in pixels at `dpi`).
constexpr int RightAlignedLeft(int clientWidth, int labelWidth, Dpi dpi = {}) {
  return clientWidth - labelWidth - dpi(kRightMargin);
}

// The version follows the product name with the design's gap. A name wider
// than designed (a face whose kana are wider than the design's) pushes it to
// the right instead of being covered by it.
inline constexpr int kNameGap = kLabel2.place.left - (kBevelLabel1.place.left + kBevelLabel1.place.width);
constexpr int VersionLeft(int nameRight, Dpi dpi = {}) {
  return nameRight + dpi(kNameGap) > dpi(kLabel2.place.left) ? nameRight + dpi(kNameGap) : dpi(kLabel2.place.left);
}

// The remembered outer size, or the design size for a value no window can
// have (a hand-edited file).
std::pair<int, int> UsableSize(std::pair<int, int> remembered, std::pair<int, int> design);

// The windows that take the system's UI font face, in their order.
enum class FaceTarget { kMeter, kSettings, kVersion };
enum class VersionLabel { kName, kVersion, kNotice, kLink };

// What the creation needs from the window and the program.
class VersionFormPort {
 public:
  virtual ~VersionFormPort() = default;
  virtual std::pair<int, int> OuterSize() = 0;
  virtual void SetOuterSize(int width, int height) = 0;
  // The face name of the system's icon-title font.
  virtual std::string IconTitleFontFace() = 0;
  virtual void ApplyFontFace(FaceTarget target, const std::string& face) = 0;
  virtual int ClientWidth() = 0;
  // A label's place in the client area as it is now (after the face).
  virtual Place LabelPlace(VersionLabel label) = 0;
  virtual void SetLabelLeft(VersionLabel label, int left) = 0;
  virtual void StartMainTimer() = 0;
  // The DPI the window is shown at (its design is in 96-dpi units).
  virtual Dpi WindowDpi() = 0;
};

// The main window's part: the version window is the last window created at
// start-up, and its creation starts the main timer.
class VersionFormHost {
 public:
  virtual ~VersionFormHost() = default;
  virtual void StartMainTimer() = 0;
};

// Creation, in order: the remembered size (only when the settings file
// exists), the UI face for the meter, settings and version windows, the
// version after the name, the two right-aligned labels, and the main timer,
// which starts whatever happened before.
void VersionFormCreate(const settings::SettingsStore& store, VersionFormPort& port);
// The labels' last two steps, also after a change of DPI: the version after
// the name, and the link and the notice right-aligned.
void PlaceVersionLabels(VersionFormPort& port);

// Closing writes the window's outer size (its restored size when it is
// minimised). A write that fails is dropped: the window closes all the same.
void VersionFormClose(settings::SettingsStore& store, int width, int height, Dpi dpi = {});

// The link label: red while the pointer is on it, black again when the
// pointer leaves it (for the window's background or straight out of the
// window). The hand cursor belongs to the label alone and is shown only
// while the pointer is over it.
class LinkHover {
 public:
  // Each returns true when the label's colour changed.
  bool PointerOnLink();
  bool PointerOffLink();
  bool hot() const { return hot_; }
  uint32_t Colour() const;

 private:
  bool hot_ = false;
};

enum class LinkCursor { kNone, kHandFile, kSystemHand };
// The cursor for a pointer over a part of the window: the hand (the
// program's own "Data\Hand.cur" when it could be loaded, else the system's)
// over the link, and the window's ordinary cursor everywhere else.
LinkCursor CursorOver(bool overLink, bool handFileLoaded);

// Opening the link.
class LinkPort {
 public:
  virtual ~LinkPort() = default;
  virtual void ProcessPendingMessages() = 0;
  // ShellExecute "open" of the address with the version window as owner;
  // its result (above 32 is success).
  virtual intptr_t OpenAddress(const std::string& address) = 0;
  virtual void ShowMessage(std::string_view text) = 0;
};
void LinkClick(const std::string& address, LinkPort& port);

}  // namespace volmaru::about
