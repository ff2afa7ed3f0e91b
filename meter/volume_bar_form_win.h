// TVolumeBarForm: the on-screen volume meter. A borderless, topmost,
// never-activated layered window whose background is the colour key (clicks
// go through it); it paints the dots, the number and the hover label from
// the geometry of meter_geometry.h and carries the set-volume box, whose
// rules live in saved_volume_box.h. It sees the rest of the program only
// through MeterHost.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/form_win.h"
#include "meter/meter_geometry.h"
#include "meter/meter_host.h"
#include "meter/saved_volume_box.h"
#include "settings/settings_store.h"

namespace volmaru::meter {

class TVolumeBarForm : public Form, private SetVolumeBoxPort {
 public:
  TVolumeBarForm() = default;

  // Waits (letting messages run) until the host reports start-up complete,
  // then reads its settings; false when the host went away. `owner` owns
  // the meter window.
  bool Create(HINSTANCE instance, MeterHost& host, HWND owner);

  void RefreshMeter();
  void DrawMeter() override;
  void PlaceMeter();
  void Show();
  void Close();
  void MakeTopmost();
  void Repaint();
  Rect WindowRect() const;
  // The box's controls and the drawn number and hover text take the face.
  void SetFontFace(const std::wstring& face, const std::function<void()>& letMessagesRun) override;

  bool IsEditingBox = false;
  bool AllwaysShow() const { return settings_.AllwaysShow; }
  int ShowTime() const { return settings_.ShowTime; }
  settings::MeterSettings& meterSettings() { return settings_; }

  // What a test of the window reads back.
  const std::wstring& numberText() const { return labelText_; }
  std::wstring BoxEditText() const;
  bool barVisible() const { return barVisible_; }
  uint32_t barColour() const { return barColour_; }
  uint32_t background() const { return background_; }
  const std::vector<std::string>& savedVolumeItems() const { return box_.items(); }

 protected:
  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // SetVolumeBoxPort.
  std::string EditText() override;
  void SetEditText(std::string_view text) override;
  void InsertItem(size_t index, std::string_view text) override;
  void DeleteItem(size_t index) override;
  int SelectedIndex() override;
  void EnableDeleteButton(bool enabled) override;
  void FocusApplyButton() override;
  void BringDropDownToFront() override;
  void SetBoxHeight(int height) override;
  void SetBarVisible(bool visible) override;
  void Inform(std::string_view text, std::string_view title) override;
  bool Ask(std::string_view question) override;
  void SetEditingBox(bool editing) override { IsEditingBox = editing; }
  void PauseTimer() override { host_->PauseTimer(); }
  void ResumeTimer() override { host_->ResumeTimer(); }
  void ProcessPendingMessages() override;
  bool SetVolume(int volume) override { return host_->SetVolume(volume); }
  uint32_t Now() override;
  void SetLastVolumeStepAt(uint32_t now) override { host_->SetLastVolumeStepAt(now); }
  int LastVolume() override { return host_->LastVolume(); }
  int MainKeyCode() override { return host_->MainKeyCode(); }
  bool MainKeyDown() override { return host_->MainKeyDown(); }
  BoxPoint Cursor() override;
  BoxPoint TrayPointPos() override { return host_->TrayPointPos(); }
  void SaveAddedVolume(int index, int volume) override;
  void RewriteSavedVolumes(const std::vector<int>& volumes) override;

  void Paint(HDC dc);
  void MakeFonts();
  void OnDpiChanged(int dpi);
  void Relayout();
  void SetKey(uint32_t key);
  void PlaceNumberLabel();
  SIZE TextSize(const std::wstring& text, HFONT font) const;
  void SavePosition(settings::MeterPosition pos);
  template <typename Write>
  void WriteSettings(Write write);
  void CreateBoxControls(HINSTANCE instance);
  void LayoutBox();
  bool PointerOnBox() const;
  void ApplyShowFocus();
  void OnBoxCommand(int id, int code);
  static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleEdit(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  MeterHost* host_ = nullptr;
  Dpi dpi_;
  std::wstring face_ = L"ＭＳ Ｐゴシック";
  SetVolumeBox box_{*this};
  settings::MeterSettings settings_;
  Placement placement_;
  std::vector<Dot> dots_;
  uint32_t background_ = kMeterBackground;
  uint32_t key_ = kMeterBackground;
  uint32_t barColour_ = 0x00FF00;
  bool barVisible_ = false;
  bool boxVisible_ = false;
  bool comboShown_ = false;  // the drop-down stays hidden until the first drawing
  int boxHeight_ = kBoxHeight;
  std::wstring labelText_;
  uint32_t labelColour_ = 0x00FF00;
  POINT labelPos_{0, 0};
  bool hoverVisible_ = false;
  std::wstring hoverText_;
  POINT hoverPos_{0, 0};
  bool trackingLeave_ = false;
  // "変更" takes the focus when the meter is shown; the meter is shown
  // without activation, so the focus is given when it becomes active.
  bool showFocusPending_ = false;
  HWND savedFocus_ = nullptr;  // the child that had the focus when the meter was deactivated
  UniqueFont numberFont_;
  UniqueFont hoverFont_;
  UniqueFont boxFont_;
  HWND controls_[5] = {};  // label, combo, OK, delete, cancel: children, destroyed with the window
  HWND edit_ = nullptr;    // the combo's edit field
  WNDPROC editProc_ = nullptr;
  UniqueGdiObject navyBrush_;
  UniqueGdiObject creamBrush_;
};

}  // namespace volmaru::meter
