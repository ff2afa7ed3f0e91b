// TVolumeBarForm: the on-screen volume meter. A borderless, topmost,
// never-activated layered window whose background is the colour key (clicks
// go through it); it paints the dots, the number and the hover label from
// the geometry of meter_geometry.h and carries the set-volume box.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window_state.h"
#include "common/form_win.h"
#include "meter/meter_geometry.h"
#include "settings/settings_store.h"

namespace volmaru::app {
class TVolumeChangeForm;
}
namespace volmaru::settings {
class TVolumeChangeSetteiForm;
}

namespace volmaru::meter {

class TVolumeBarForm : public Form {
 public:
  // Waits (letting messages run) until the main window reports start-up
  // complete, then reads its settings; false when the main window went away.
  bool Create(HINSTANCE instance, app::TVolumeChangeForm& main, settings::TVolumeChangeSetteiForm& settei);

  void RefreshMeter();
  void DrawMeter();
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

 protected:
  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Paint(HDC dc);
  void SetKey(uint32_t key);
  void PlaceNumberLabel();
  SIZE TextSize(const std::wstring& text, HFONT font) const;
  void SavePosition(settings::MeterPosition pos);
  int CurrentVolume() const;
  bool MuteFlag() const;
  void CreateBoxControls(HINSTANCE instance);
  void LayoutBox();

  app::TVolumeChangeForm* main_ = nullptr;
  settings::TVolumeChangeSetteiForm* settei_ = nullptr;
  settings::MeterSettings settings_;
  Placement placement_;
  std::vector<Dot> dots_;
  uint32_t background_ = kMeterBackground;
  uint32_t key_ = kMeterBackground;
  uint32_t barColour_ = 0x00FF00;
  bool barVisible_ = false;
  bool boxVisible_ = false;
  std::wstring labelText_;
  uint32_t labelColour_ = 0x00FF00;
  POINT labelPos_{0, 0};
  bool hoverVisible_ = false;
  std::wstring hoverText_;
  POINT hoverPos_{0, 0};
  bool trackingLeave_ = false;
  UniqueFont numberFont_;
  UniqueFont hoverFont_;
  UniqueFont boxFont_;
  HWND box_[5] = {};  // label, combo, OK, delete, cancel: children, destroyed with the window
  UniqueGdiObject navyBrush_;
  UniqueGdiObject creamBrush_;
};

}  // namespace volmaru::meter
