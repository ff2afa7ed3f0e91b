#include "about/version_form.h"

namespace volmaru::about {

std::pair<int, int> UsableSize(std::pair<int, int> remembered, std::pair<int, int> design) {
  // Windows never reports an outer size of 0 or less; such a value can only
  // come from an edited file and would leave no window to see.
  return {remembered.first > 0 ? remembered.first : design.first,
          remembered.second > 0 ? remembered.second : design.second};
}

namespace {

// Starts the main timer when the creation ends, also when a step failed:
// the program's 100 ms loop must run whatever happened to this window.
class StartTimerAtEnd {
 public:
  explicit StartTimerAtEnd(VersionFormPort& port) : port_(port) {}
  ~StartTimerAtEnd() { port_.StartMainTimer(); }
  StartTimerAtEnd(const StartTimerAtEnd&) = delete;
  StartTimerAtEnd& operator=(const StartTimerAtEnd&) = delete;

 private:
  VersionFormPort& port_;
};

}  // namespace

void VersionFormCreate(const settings::SettingsStore& store, VersionFormPort& port) {
  const StartTimerAtEnd timer(port);
  const std::pair<int, int> design = port.OuterSize();
  // The remembered size is in design units: it is the same window at every
  // DPI (and a size written at 96 dpi reads as it was).
  const Dpi dpi = port.WindowDpi();
  const auto [rememberedWidth, rememberedHeight] = store.ReadVersionWindowSize(0, 0);
  const auto [width, height] = UsableSize(
      {rememberedWidth > 0 ? dpi(rememberedWidth) : 0, rememberedHeight > 0 ? dpi(rememberedHeight) : 0}, design);
  if (width != design.first || height != design.second) port.SetOuterSize(width, height);

  const std::string face = port.IconTitleFontFace();
  if (!face.empty()) {
    for (FaceTarget target : {FaceTarget::kMeter, FaceTarget::kSettings, FaceTarget::kVersion}) {
      port.ApplyFontFace(target, face);
    }
  }

  PlaceVersionLabels(port);
}

void PlaceVersionLabels(VersionFormPort& port) {
  const Dpi dpi = port.WindowDpi();
  const Place name = port.LabelPlace(VersionLabel::kName);
  const int versionLeft = VersionLeft(name.left + name.width, dpi);
  if (versionLeft != port.LabelPlace(VersionLabel::kVersion).left) {
    port.SetLabelLeft(VersionLabel::kVersion, versionLeft);
  }

  const int client = port.ClientWidth();
  for (VersionLabel label : {VersionLabel::kLink, VersionLabel::kNotice}) {
    port.SetLabelLeft(label, RightAlignedLeft(client, port.LabelPlace(label).width, dpi));
  }
}

void VersionFormClose(settings::SettingsStore& store, int width, int height, Dpi dpi) {
  try {
    store.WriteVersionWindowSize(DesignUnitsAt(width, dpi.value), DesignUnitsAt(height, dpi.value));
  } catch (const settings::SettingsWriteError&) {
    // A read-only file keeps the old size; closing must still work.
  }
}

bool LinkHover::PointerOnLink() {
  if (hot_) return false;
  hot_ = true;
  return true;
}

bool LinkHover::PointerOffLink() {
  if (!hot_) return false;
  hot_ = false;
  return true;
}

uint32_t LinkHover::Colour() const { return hot_ ? kLinkHotColour : kLabelURL.colour; }

LinkCursor CursorOver(bool overLink, bool handFileLoaded) {
  if (!overLink) return LinkCursor::kNone;
  return handFileLoaded ? LinkCursor::kHandFile : LinkCursor::kSystemHand;
}

void LinkClick(const std::string& address, LinkPort& port) {
  intptr_t result = 0;
  try {
    port.ProcessPendingMessages();
    result = port.OpenAddress(address);
  } catch (...) {
    // Nothing was opened: reported with the last result there was.
  }
  if (result <= 32) port.ShowMessage(std::string(kLinkFailedText) + std::to_string(result));
}

}  // namespace volmaru::about
