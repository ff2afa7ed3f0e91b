#include "tray/tray_icon_win.h"

#include <cwchar>

namespace volmaru::tray {

TrayIcon::TrayIcon(HWND owner, std::vector<UniqueIcon> images) : owner_(owner), images_(std::move(images)) {}

TrayIcon::~TrayIcon() { Remove(); }

NOTIFYICONDATAW TrayIcon::Data(UINT flags) const {
  NOTIFYICONDATAW d{};
  d.cbSize = sizeof d;
  d.hWnd = owner_;
  d.uID = kTrayIconId;
  d.uFlags = flags;
  d.uCallbackMessage = kTrayCallbackMessage;
  d.hIcon = image(shown_);
  // The shell cuts longer texts; so do we, at the same limits.
  wcsncpy(d.szTip, tip_.c_str(), ARRAYSIZE(d.szTip) - 1);
  wcsncpy(d.szInfoTitle, balloonTitle_.c_str(), ARRAYSIZE(d.szInfoTitle) - 1);
  wcsncpy(d.szInfo, balloonText_.c_str(), ARRAYSIZE(d.szInfo) - 1);
  d.dwInfoFlags = NIIF_INFO;
  d.uTimeout = 10000;
  return d;
}

bool TrayIcon::Add() {
  NOTIFYICONDATAW d = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
  // A modify succeeds only for an icon that exists: then it is ours, with
  // our picture, tip and callback set again by that same modify.
  added_ = Shell_NotifyIconW(NIM_ADD, &d) != FALSE || Shell_NotifyIconW(NIM_MODIFY, &d) != FALSE;
  return added_;
}

bool TrayIcon::Readd() {
  added_ = false;
  return Add();
}

void TrayIcon::Remove() {
  if (!added_) return;
  NOTIFYICONDATAW d = Data(0);
  Shell_NotifyIconW(NIM_DELETE, &d);
  added_ = false;
}

bool TrayIcon::Modify(UINT flags) {
  if (!added_) return false;
  NOTIFYICONDATAW d = Data(flags);
  return Shell_NotifyIconW(NIM_MODIFY, &d) != FALSE;
}

void TrayIcon::ReplaceImage(size_t index, UniqueIcon icon) {
  if (index >= images_.size()) images_.resize(index + 1);
  images_[index] = std::move(icon);
  if (index == shown_) Modify(NIF_ICON);
}

void TrayIcon::ShowImage(size_t index) {
  shown_ = index;
  Modify(NIF_ICON);
}

void TrayIcon::SetTip(const std::wstring& tip) {
  tip_ = tip;
  Modify(NIF_TIP);
}

void TrayIcon::SetBalloon(const std::wstring& title, const std::wstring& text) {
  balloonTitle_ = title;
  balloonText_ = text;
}

void TrayIcon::ShowBalloon() { Modify(NIF_INFO); }

}  // namespace volmaru::tray
