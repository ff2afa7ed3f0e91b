// TVolumeChangeSetteiForm: the settings window "ボルマル の設定". It lives
// hidden from start-up on and is opened modally. Its controls are built from
// the table of settei_layout.h; every value and rule lives in a
// SetteiSession, and this window only moves values between the controls and
// that session. Some of the values are the live holders other parts read at
// each use (pages()).
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/dpi.h"
#include "common/form_win.h"
#include "common/handle_win.h"
#include "settings/window/settei_host.h"
#include "settings/window/settei_layout.h"
#include "settings/window/settei_session.h"

namespace volmaru::settings {

class TVolumeChangeSetteiForm final : public Form, private SetteiUi, private KeyNamePort {
 public:
  TVolumeChangeSetteiForm();
  ~TVolumeChangeSetteiForm() override;

  // Created hidden and owned by the main window (no taskbar button of its
  // own while hidden); `host` outlives the window.
  bool Create(HINSTANCE instance, SetteiHost& host, HWND owner);
  // Opens the window modally: returns once it is closed again. An open
  // window is only brought to the front.
  void ShowModal();

  // The page values; those other parts read live are among them.
  const PageSettings& pages() const;
  // The system's UI face for the pages: kept until they are built, and
  // given again after a change of DPI makes their font anew.
  void SetFontFace(const std::wstring& face, const std::function<void()>& letMessagesRun) override;
  // The tray menu's toggles while the window is open.
  void MenuSwitchToggled(bool noChangeByKey, bool checked);
  // The exit command: the window may close without its question.
  void AllowCloseWithoutQuestion();
  bool HasUnsavedChanges() const { return session_ && session_->HasUnsavedChanges; }
  bool AnyKeyCaptureSlot() const { return session_ && session_->capture.Any(); }

  // Every message of the program's loops passes here first (see
  // common/message_pump_win.h): the keys a capture takes, the wheel over a
  // closed list, and the dialog keys. True when it was handled.
  bool PreTranslate(MSG& msg) noexcept;
  // The wheel does not turn a closed colour list, nor the device list of the
  // icon page, that has the focus.
  bool WheelBlocked(HWND target) const;

  // What a test of the window reads and drives (the pages are built on
  // the first call, as on the first opening).
  HWND Control(int id);
  // Whether the pages have been built yet.
  bool built() const { return built_; }
  SetteiSession& session() { return *session_; }

 protected:
  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  friend class SetteiContainer;

  // SetteiUi
  void ShowMessage(std::string_view text) override;
  bool AskYesNo(std::string_view text) override;
  void ShowPage(SetteiPage page) override;
  void Focus(const FocusTarget& target) override;
  // KeyNamePort
  unsigned ScanCode(int vk) override;
  std::string KeyNameText(uint32_t param) override;

  // The pages, their fonts, lists and hints, at the first opening.
  void BuildControls();
  HWND Ctl(int id) const;
  void CreateControls(HINSTANCE instance);
  HWND CreateControl(HINSTANCE instance, const ControlDesign& design);
  void AddHint(HWND control, std::string_view text);
  void SetHint(HWND control, std::string_view text);
  void Open();
  void Hide();
  void FillControls();
  void FillDeviceLists();
  void BuildDeviceLists();
  void FillScheduleDay();
  void FillDeviceSchedule();
  void RefreshStates();
  void PlaceStepField();
  void ShowPageOnly(int page);
  void Preview();
  void ShowIconFile(const std::string& path);

  // Values of controls.
  std::string Text(int id) const;
  void SetText(int id, std::string_view text);
  bool Checked(int id) const;
  void SetChecked(int id, bool on);
  int Selection(int id) const;
  void SetSelection(int id, int index);
  int TrackPos(int id) const;
  void SetTrack(int id, int pos);
  uint32_t Colour(int id) const;
  void SetColour(int id, uint32_t colour);
  void SetRadio(int first, int count, int index);

  // Handlers.
  LRESULT OnContainerMessage(HWND container, UINT msg, WPARAM wp, LPARAM lp);
  HBRUSH ContainerBrush(HWND container) const;
  void OnCommand(int id, int code, HWND control);
  void OnNotify(const NMHDR& nm);
  void OnScroll(HWND track);
  void OnColourPicked(int id);
  void OnKeyButton(int tag);
  void OnDaySelected(int group);
  void OnOk();
  void OnCancel();
  void OnAltTimer();
  void DrawColourItem(const DRAWITEMSTRUCT& d);
  HBRUSH ControlColour(HWND control, HDC dc);
  // The window's font and every place at the window's DPI (the design is
  // in 96-dpi units): at creation, and again when the window moves to a
  // monitor of another DPI or the scaling changes (WM_DPICHANGED).
  void MakeFont();
  RECT DesignRect(const ControlDesign& design) const;
  void Layout();
  void OnDpiChanged(int dpi, const RECT& suggested);

  SetteiHost* host_ = nullptr;
  HINSTANCE instance_ = nullptr;
  bool built_ = false;
  std::wstring face_;  // the UI face given, empty for the design's
  Dpi dpi_;
  std::unique_ptr<FileSetteiStorage> storage_;
  std::unique_ptr<SetteiSession> session_;
  std::map<int, HWND> controls_;
  std::map<HWND, int> ids_;
  std::array<HWND, kSetteiPageCount> pages_{};
  HWND tab_ = nullptr;
  UniqueWindow tooltip_;
  UniqueFont font_;
  UniqueImageList deviceImages_;
  UniqueGdiObject whiteBrush_;
  UniqueGdiObject greyBrush_;
  UniqueIcon preview_;
  std::map<int, uint32_t> colours_;  // the colour each picker holds
  // The devices the lists were last built for (name and icon).
  std::vector<std::pair<std::string, const void*>> listedDevices_;
  bool pickPending_ = false;
  std::array<COLORREF, 16> customColours_{};
  int filling_ = 0;  // controls are being filled by code
  bool modal_ = false;
  StateInputs lastStates_;
  std::map<int, ControlState> shown_;
};

}  // namespace volmaru::settings
