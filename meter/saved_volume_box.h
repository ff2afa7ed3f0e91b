// The meter's set-volume box: a drop-down where the user types or picks a
// volume and applies it with "変更", the list of saved volumes behind it
// (stored in [SavedVolume]), "登録削除" and "キャンセル". This holds the list
// and every rule of the box; the meter window feeds it the controls' events
// and carries out what it asks through SetVolumeBoxPort.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/dpi.h"

namespace volmaru::meter {

inline constexpr std::string_view kVolumeRangeMessage = "音量は0から100の間の半角整数を入力してください。";
inline constexpr std::string_view kVolumeRangeTitle = "情報";
inline constexpr std::string_view kVolumeQuestionTitle = "ボルマル";
// The design height of the box when its list is closed.
inline constexpr int kSetVolumeBoxHeight = 67;
// The focus that comes with a meter shown by pointing at the tray icon is
// not the user's: the pointer is then this close to where it pointed.
inline constexpr int kTrayPointFocusTolerancePx = 16;
inline constexpr int kEnterKey = 13;

// "\"" + text + "\"を音量一覧に登録しますか？"
std::string SaveVolumeQuestion(std::string_view text);
// "\"" + item + "\"を音量一覧から登録削除しますか？"
std::string DeleteVolumeQuestion(std::string_view item);

// The edit text as a volume candidate: a decimal integer in half-width
// digits with an optional sign, blanks around it allowed (so "050" is 50).
// Nothing for any other text or a number beyond 32 bits.
std::optional<int> ParseBoxInteger(std::string_view text);

// A saved value as a list item: " " for -1 (an empty entry), the decimal
// number otherwise (values outside 0..100 as they are).
std::string SavedVolumeItem(int value);
// A list item as the value written back: -1 for an item that is not a
// number (the blank one).
int SavedVolumeValue(std::string_view item);

struct BoxPoint {
  int x = 0;
  int y = 0;
};

// What the box needs from the meter window, the main window and the
// settings file.
class SetVolumeBoxPort {
 public:
  virtual ~SetVolumeBoxPort() = default;

  // The drop-down and the buttons. The control's list mirrors the box's
  // items in the same order.
  virtual std::string EditText() = 0;
  virtual void SetEditText(std::string_view text) = 0;
  virtual void InsertItem(size_t index, std::string_view text) = 0;
  virtual void DeleteItem(size_t index) = 0;
  virtual int SelectedIndex() = 0;  // -1 when no item is selected
  virtual void EnableDeleteButton(bool enabled) = 0;
  virtual void FocusApplyButton() = 0;
  virtual void BringDropDownToFront() = 0;
  virtual void SetBoxHeight(int height) = 0;
  virtual void SetBarVisible(bool visible) = 0;

  // Modal boxes: an information box without owner, and a Yes/No question
  // titled "ボルマル" (true for Yes).
  virtual void Inform(std::string_view text, std::string_view title) = 0;
  virtual bool Ask(std::string_view question) = 0;

  // The meter and the main window.
  virtual void SetEditingBox(bool editing) = 0;
  virtual void PauseTimer() = 0;
  virtual void ResumeTimer() = 0;
  virtual void ProcessPendingMessages() = 0;
  // Sets the volume; true when the device took it.
  virtual bool SetVolume(int volume) = 0;
  virtual void DrawMeter() = 0;
  virtual uint32_t Now() = 0;
  virtual void SetLastVolumeStepAt(uint32_t now) = 0;
  virtual int LastVolume() = 0;
  virtual int MainKeyCode() = 0;
  virtual bool MainKeyDown() = 0;
  virtual BoxPoint Cursor() = 0;
  virtual BoxPoint TrayPointPos() = 0;

  // The settings file ([SavedVolume]); failures are not reported.
  virtual void SaveAddedVolume(int index, int volume) = 0;
  virtual void RewriteSavedVolumes(const std::vector<int>& volumes) = 0;
};

class SetVolumeBox {
 public:
  explicit SetVolumeBox(SetVolumeBoxPort& port) : port_(port) {}
  SetVolumeBox(const SetVolumeBox&) = delete;
  SetVolumeBox& operator=(const SetVolumeBox&) = delete;

  // The meter's DPI: the box's heights are design units.
  Dpi dpi;

  // The saved values as read from the file, put into the list (and the
  // control) in list order.
  void Load(const std::vector<int>& saved);
  const std::vector<std::string>& items() const { return items_; }

  // "変更" (also Enter in the drop-down).
  void OnApply();
  // "登録削除".
  void OnDelete();
  // "キャンセル".
  void OnCancel();

  // Events of the drop-down.
  void OnListOpened(int dropDownHeight);
  void OnListClosed();
  void OnSelectionChanged();
  void OnClicked();
  void OnFocusReceived();
  void OnFocusLost();
  // Enter is taken by the box and never reaches the edit field.
  static bool ConsumesKey(int code) { return code == kEnterKey; }
  // A character typed in the edit field (after the field took it, unless
  // the box consumes it).
  void OnKeyTyped(int code);

  // The meter was drawn for `volume`; `boxShown` whether the box is shown
  // with it (the bar display) or hidden (the mute display, or the box
  // switched off).
  void OnMeterDrawn(int volume, bool boxShown);
  // The box was hidden with the bar (the mute display).
  void OnBoxHidden();

 private:
  void AddItem(std::string item);
  void RestoreBar();

  SetVolumeBoxPort& port_;
  std::vector<std::string> items_;
  bool boxShown_ = false;
  bool busy_ = false;  // a question of "変更" or "登録削除" is open
};

}  // namespace volmaru::meter
