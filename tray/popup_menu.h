// The tray's popup menu as data: every item with its name, caption, tag and
// state, in order. The Win32 layer builds the real menu from it and asks it
// which item a command id belongs to; the rules that decide captions,
// enabled states and visibility work on this model only.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace volmaru::tray {

enum class MenuId {
  MenuStartUp,
  MenuSettei,
  N2,
  MenuNoChangeByKey,
  MenuNoChangeByMouse,
  MenuNoShowBalloonHint,
  N6,
  MenuShowVolume,
  MenuMute,
  N4,
  MenuChangeDefAudioDevice,
  N7,
  MenuGetAudioEndVol,
  N1,
  MenuOpenSound,
  MenuOpenVolumeCtrl,
  N5,
  MenuHelp,
  MenuAbout,
  N3,
  MenuRestart,
  MenuEnd,
  kCount
};

inline constexpr int kMenuItemCount = static_cast<int>(MenuId::kCount);

// Captions that change at run time.
inline constexpr std::string_view kCaptionStartUpAdd = "スタートアップに登録(&U)";
inline constexpr std::string_view kCaptionStartUpRemove = "スタートアップから削除(&U)";
inline constexpr std::string_view kCaptionMute = "ミュート(&M)";
inline constexpr std::string_view kCaptionUnmute = "ミュート解除(&M)";

struct MenuItem {
  MenuId id;
  std::string_view name;  // the component name, e.g. "MenuStartUp"
  std::string caption;    // empty for separators
  int tag = 0;
  bool separator = false;
  bool enabled = true;
  bool checked = false;
  bool visible = true;
};

class PopupMenuModel {
 public:
  PopupMenuModel();

  const std::vector<MenuItem>& items() const { return items_; }
  MenuItem& item(MenuId id) { return items_[static_cast<size_t>(id)]; }
  const MenuItem& item(MenuId id) const { return items_[static_cast<size_t>(id)]; }

  void SetCaption(MenuId id, std::string_view caption) { item(id).caption = caption; }

  // Before the menu opens: items with a tag below 100 are shown, an item
  // with tag t >= 100 exactly when entry t - 100 of the list is on.
  void ApplyVisibility(const std::array<bool, 8>& visibleEntries);

 private:
  std::vector<MenuItem> items_;
};

}  // namespace volmaru::tray
