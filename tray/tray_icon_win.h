// The notification-area icon of the main window: an image list of icons
// (0 = the volume picture, 1 = the mute picture), the shown index, the
// tooltip and the balloon. It owns its icons and removes itself from the
// tray when destroyed.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "common/handle_win.h"

namespace volmaru::tray {

inline constexpr UINT kTrayIconId = 1;
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;

class TrayIcon {
 public:
  TrayIcon(HWND owner, std::vector<UniqueIcon> images);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Puts the icon into the notification area. When the shell refuses the
  // add because the icon is already there (an add at log-on that timed out
  // yet went through, or a "TaskbarCreated" from a shell that kept it), the
  // icon is taken over as it is. False only when there is no icon.
  bool Add();
  // After the shell restarted ("TaskbarCreated"): adds it again as it is.
  bool Readd();
  bool added() const { return added_; }
  void Remove();

  void ReplaceImage(size_t index, UniqueIcon icon);
  void ShowImage(size_t index);
  size_t shownImage() const { return shown_; }
  HICON image(size_t index) const { return index < images_.size() ? images_[index].get() : nullptr; }

  void SetTip(const std::wstring& tip);
  const std::wstring& tip() const { return tip_; }
  const std::wstring& balloonText() const { return balloonText_; }
  void SetBalloon(const std::wstring& title, const std::wstring& text);
  // Shows the balloon with the information icon for 10 s.
  void ShowBalloon();

 private:
  NOTIFYICONDATAW Data(UINT flags) const;
  bool Modify(UINT flags);

  HWND owner_;
  std::vector<UniqueIcon> images_;
  size_t shown_ = 0;
  std::wstring tip_;
  std::wstring balloonTitle_;
  std::wstring balloonText_;
  bool added_ = false;
};

}  // namespace volmaru::tray
