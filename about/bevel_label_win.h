// The window of a TBevelLabel: a child control of class "TBevelLabel" that
// paints its caption with the relief of bevel_label.h, sizes itself to its
// text and lets the mouse through to its parent. Its caption is the window
// text, so other programs (and tests) read it with WM_GETTEXT.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "about/bevel_label.h"
#include "common/handle_win.h"

namespace volmaru::about {

// Paints `label` into `dc` with its origin at `client`'s top-left corner:
// the background (unless it is nullopt: transparent), then every pass.
void PaintBevelLabel(HDC dc, const TBevelLabel& label, HFONT font, const RECT& client,
                     std::optional<COLORREF> background);

// The size a label of this caption and font takes (prefixes interpreted,
// as the label shows them).
SIZE LabelTextSize(HFONT font, const std::wstring& caption);

// A font of `pixels` height (a character height, as a negative lfHeight).
UniqueFont MakeLabelFont(const wchar_t* face, int pixels, bool bold, bool italic);

class BevelLabelControl final : public BevelLabelView {
 public:
  BevelLabelControl() : label_(this) {}
  ~BevelLabelControl() override = default;
  BevelLabelControl(const BevelLabelControl&) = delete;
  BevelLabelControl& operator=(const BevelLabelControl&) = delete;

  // Creates the child window at (left, top); the default size and font of a
  // new label until it is given others.
  bool Create(HINSTANCE instance, HWND parent, int left, int top);
  HWND hwnd() const { return window_.get(); }
  // The properties; their setters repaint when a value changes.
  TBevelLabel& label() { return label_; }
  const TBevelLabel& label() const { return label_; }
  void SetCaption(const std::string& caption);
  // The label keeps this font (it is not renamed with the window's face).
  void SetFont(UniqueFont font);
  HFONT font() const { return font_.get(); }
  void SetBackground(std::optional<COLORREF> background);
  void SetAutoSize(bool autoSize);
  void Repaint() override;

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void FitText();

  TBevelLabel label_;
  UniqueFont font_;
  std::optional<COLORREF> background_;
  bool autoSize_ = true;
  UniqueWindow window_;
};

}  // namespace volmaru::about
