#include "meter/saved_volume_box.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "common/timer_pause.h"
#include "meter/list_order.h"

namespace volmaru::meter {
namespace {

// Holds the box's other commands off while one of them waits for its
// question: the boxes have no owner, so the meter stays clickable meanwhile.
class BusyHold {
 public:
  explicit BusyHold(bool& busy) : busy_(busy) { busy_ = true; }
  ~BusyHold() { busy_ = false; }
  BusyHold(const BusyHold&) = delete;
  BusyHold& operator=(const BusyHold&) = delete;

 private:
  bool& busy_;
};

}  // namespace

std::string SaveVolumeQuestion(std::string_view text) {
  return "\"" + std::string(text) + "\"を音量一覧に登録しますか？";
}

std::string DeleteVolumeQuestion(std::string_view item) {
  return "\"" + std::string(item) + "\"を音量一覧から登録削除しますか？";
}

std::optional<int> ParseBoxInteger(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  int64_t v = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
    if (v > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1) return std::nullopt;
  }
  if (negative) v = -v;
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int>(v);
}

std::string SavedVolumeItem(int value) { return value == -1 ? std::string(" ") : std::to_string(value); }

int SavedVolumeValue(std::string_view item) { return ParseBoxInteger(item).value_or(-1); }

void SetVolumeBox::AddItem(std::string item) {
  const size_t at = SortedInsertIndex(items_, item);
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), item);
  port_.InsertItem(at, item);
}

void SetVolumeBox::Load(const std::vector<int>& saved) {
  for (const int v : saved) AddItem(SavedVolumeItem(v));
}

void SetVolumeBox::OnApply() {
  if (busy_) return;
  const BusyHold busy(busy_);
  port_.SetEditingBox(true);
  const TimerPause<SetVolumeBoxPort> hold(port_);
  // Whatever happens below (a device error included), the box ends as the
  // last step leaves it: otherwise the meter would never hide again.
  const auto finish = [this] {
    port_.SetEditingBox(false);
    port_.EnableDeleteButton(false);
  };
  try {
    const std::string text = port_.EditText();
    const int v = ParseBoxInteger(text).value_or(-1);
    if (v < 0 || v > 100) {
      port_.Inform(kVolumeRangeMessage, kVolumeRangeTitle);
    } else {
      // The comparison is on the text: "050" is not "50".
      if (std::find(items_.begin(), items_.end(), text) == items_.end() && port_.Ask(SaveVolumeQuestion(text))) {
        AddItem(std::to_string(v));
        port_.SaveAddedVolume(static_cast<int>(items_.size()) - 1, v);
      }
      // The result of this set, not of whatever the pending messages do.
      const bool set = port_.SetVolume(v);
      port_.ProcessPendingMessages();
      if (set) {
        port_.DrawMeter();
        port_.SetLastVolumeStepAt(port_.Now());
      }
    }
    port_.ProcessPendingMessages();
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void SetVolumeBox::OnDelete() {
  if (busy_) return;
  {
    const BusyHold busy(busy_);
    const int selected = port_.SelectedIndex();
    if (selected >= 0 && static_cast<size_t>(selected) < items_.size()) {
      const auto at = static_cast<size_t>(selected);
      const std::string item = items_[at];
      if (port_.Ask(DeleteVolumeQuestion(item))) {
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(at));
        port_.DeleteItem(at);
        std::vector<int> values;
        values.reserve(items_.size());
        for (const std::string& i : items_) values.push_back(SavedVolumeValue(i));
        port_.RewriteSavedVolumes(values);
        port_.SetEditText(std::to_string(port_.LastVolume()));
      }
    }
  }
  port_.EnableDeleteButton(false);
  port_.SetEditingBox(false);
}

void SetVolumeBox::OnCancel() {
  if (busy_) return;
  port_.SetEditText(std::to_string(port_.LastVolume()));
  port_.EnableDeleteButton(false);
  port_.SetEditingBox(false);
}

void SetVolumeBox::RestoreBar() {
  // Only the bar display has a box; the mute display keeps its bar hidden.
  if (boxShown_) port_.SetBarVisible(true);
}

void SetVolumeBox::OnListOpened(int dropDownHeight) {
  port_.BringDropDownToFront();
  port_.SetBarVisible(false);
  port_.SetBoxHeight(dropDownHeight + dpi(3));
}

void SetVolumeBox::OnListClosed() {
  RestoreBar();
  port_.SetBoxHeight(dpi(kSetVolumeBoxHeight));
}

void SetVolumeBox::OnSelectionChanged() {
  const int selected = port_.SelectedIndex();
  port_.EnableDeleteButton(selected >= 0 && static_cast<size_t>(selected) < items_.size());
}

void SetVolumeBox::OnClicked() { port_.SetEditingBox(true); }

void SetVolumeBox::OnFocusReceived() {
  // Focus that came with the meter (the main key held to show it, or the
  // meter shown by pointing at the tray icon) does not start an edit.
  if (port_.MainKeyDown()) return;
  const BoxPoint cursor = port_.Cursor();
  const BoxPoint pointed = port_.TrayPointPos();
  if (std::abs(cursor.x - pointed.x) <= kTrayPointFocusTolerancePx &&
      std::abs(cursor.y - pointed.y) <= kTrayPointFocusTolerancePx) {
    return;
  }
  port_.SetEditingBox(true);
}

void SetVolumeBox::OnFocusLost() { RestoreBar(); }

void SetVolumeBox::OnKeyTyped(int code) {
  if (code == kEnterKey && !busy_) {
    OnApply();
    port_.FocusApplyButton();
  }
  if (code == port_.MainKeyCode()) port_.SetEditingBox(false);
}

void SetVolumeBox::OnMeterDrawn(int volume, bool boxShown) {
  port_.SetEditText(std::to_string(volume));
  boxShown_ = boxShown;
  if (boxShown) {
    port_.SetEditingBox(false);
    port_.EnableDeleteButton(false);
  }
}

void SetVolumeBox::OnBoxHidden() { boxShown_ = false; }

}  // namespace volmaru::meter
