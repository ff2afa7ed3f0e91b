// TVolumeChangeSetteiForm: the settings window. It lives hidden from
// start-up on; its page values are the live holders of the settings other
// parts read at each use (pointing option, icon and meter colour choices,
// visible menu items), loaded at creation and at every opening.
#pragma once

#include <atomic>
#include <string>

#include "common/form_win.h"
#include "settings/settings_store.h"

namespace volmaru::settings {

class TVolumeChangeSetteiForm : public Form {
 public:
  // Owned by the main window, like every window of the program: no taskbar
  // button of its own.
  bool Create(HINSTANCE instance, const std::string& settingsPath, HWND owner);
  // Reads the page values from the file again (opening, Cancel).
  void LoadPageValues();
  const PageSettings& pages() const { return pages_; }
  PageSettings& pages() { return pages_; }
  // Edits not yet saved; the exit command clears it and allows the close.
  bool HasUnsavedChanges = false;
  bool CloseAllowed = false;
  // The four key-capture flags (main, up, down, mute): while any is set the
  // keyboard hook posts nothing.
  std::atomic<bool> KeyCaptureSlot[4] = {false, false, false, false};
  bool AnyKeyCaptureSlot() const {
    for (const auto& slot : KeyCaptureSlot) {
      if (slot.load()) return true;
    }
    return false;
  }

 private:
  std::string settingsPath_;
  PageSettings pages_;
};

}  // namespace volmaru::settings
