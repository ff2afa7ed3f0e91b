// TLoudnessDialVersionForm: the version window. Created hidden as the last
// window at start-up (its creation gives the meter, settings and version
// windows the system's UI font face and starts the main timer), opened not
// modally from the tray menu, hidden again on close with its size written
// to the settings file.
#pragma once

#include <memory>
#include <string>

#include "about/bevel_label_win.h"
#include "about/version_form.h"
#include "common/form_win.h"

namespace volmaru::about {

class LabelControl;

class TLoudnessDialVersionForm final : public Form, private VersionFormPort, private LinkPort {
 public:
  TLoudnessDialVersionForm();
  ~TLoudnessDialVersionForm() override;

  // `meter` and `settings` (either may be null) take the UI face before this
  // window does. The main timer starts at the end, also when the window
  // could not be made.
  bool Create(HINSTANCE instance, HWND owner, const std::string& exeFolder, const std::string& settingsPath,
              VersionFormHost& host, Form* meter, Form* settings);
  // Shows the window (not modal) in front.
  void Open();

  // What a test looks at (the labels are made on the first call, as on
  // the first opening).
  HWND LinkWindow();
  HWND Label2Window();
  BevelLabelControl& bevelLabel1() {
    BuildLabels();
    return bevel1_;
  }
  BevelLabelControl& bevelLabel2() {
    BuildLabels();
    return bevel2_;
  }
  bool LinkHot() const { return hover_.hot(); }
  HCURSOR HandFileCursor() {
    BuildLabels();
    return handFile_.get();
  }
  // Whether the labels have been made yet.
  bool built() const { return built_; }

 protected:
  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // VersionFormPort.
  std::pair<int, int> OuterSize() override;
  void SetOuterSize(int width, int height) override;
  std::string IconTitleFontFace() override;
  void ApplyFontFace(FaceTarget target, const std::string& face) override;
  int ClientWidth() override;
  Place LabelPlace(VersionLabel label) override;
  void SetLabelLeft(VersionLabel label, int left) override;
  void StartMainTimer() override;
  Dpi WindowDpi() override { return dpi_; }
  // LinkPort.
  void ProcessPendingMessages() override;
  intptr_t OpenAddress(const std::string& address) override;
  void ShowMessage(std::string_view text) override;

  HWND LabelWindow(VersionLabel label) const;
  // The labels, their fonts and the link's cursor, when the window is
  // first shown: a program at rest never needs them.
  void BuildLabels();
  void CreateControls(HINSTANCE instance);
  void OnLinkEnter();
  void OnLinkLeave();
  void Paint(HDC dc);
  void Centre();
  void LoadIcon();
  // The labels' fonts and places at the window's DPI.
  void PlaceLabels();
  void OnDpiChanged(int dpi, const RECT& suggested);

  Dpi dpi_;
  HINSTANCE instance_ = nullptr;
  bool built_ = false;
  std::wstring labelFace_;  // the face of the two plain labels
  std::string exeFolder_;
  std::string settingsPath_;
  VersionFormHost* host_ = nullptr;
  Form* meter_ = nullptr;
  Form* settings_ = nullptr;
  LinkHover hover_;
  UniqueCursor handFile_;
  UniqueIcon icon_;
  UniqueGdiObject background_;
  BevelLabelControl bevel1_;
  BevelLabelControl bevel2_;
  std::unique_ptr<LabelControl> label2_;
  std::unique_ptr<LabelControl> url_;
};

}  // namespace volmaru::about
