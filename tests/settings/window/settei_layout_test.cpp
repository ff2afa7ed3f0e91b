#include "settings/window/settei_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "common/text.h"

namespace volmaru::settings {
namespace {

using namespace ctl;

struct Box {
  int x, y, w, h;
};
Box BoxOf(const ControlDesign& c) { return {c.x, c.y, c.w, c.h}; }
bool Within(const Box& in, const Box& out) {
  return in.x >= out.x && in.y >= out.y && in.x + in.w <= out.x + out.w && in.y + in.h <= out.y + out.h;
}
bool Overlap(const Box& a, const Box& b) {
  return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

// The group boxes `c` lies in, innermost first.
std::vector<int> Groups(const ControlDesign& c) {
  std::vector<int> out;
  for (int g = c.group; g; g = FindControl(g)->group) out.push_back(g);
  return out;
}

// Width of a caption in bold 13-pixel text as Wine draws it with Japanese
// fonts: full-width characters take 15 pixels, the others 8 (the Windows
// tests measure the real font).
int TextWidth(std::string_view utf8) {
  int w = 0;
  for (char16_t ch : Utf8ToUtf16(utf8)) w += ch < 0x100 ? 8 : 15;
  return w;
}

TEST(SetteiLayoutTest, EveryControlLiesInsideItsPageOrPanel) {
  for (const ControlDesign& c : SetteiControls()) {
    Box outer{0, 0, kPageWidth, kPageHeight};
    if (c.parent) {
      const ControlDesign* p = FindControl(c.parent);
      ASSERT_NE(p, nullptr) << c.id;
      ASSERT_EQ(p->kind, ControlKind::kPanel) << c.id;
      EXPECT_EQ(p->page, c.page) << c.id;
      outer = {0, 0, p->w, p->h};
    }
    EXPECT_TRUE(Within(BoxOf(c), outer)) << "control " << c.id << " (" << c.caption << ") leaves its container";
  }
}

TEST(SetteiLayoutTest, GroupMembersLieBelowTheGroupsCaption) {
  for (const ControlDesign& c : SetteiControls()) {
    if (!c.group) continue;
    const ControlDesign* g = FindControl(c.group);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->kind, ControlKind::kGroup) << c.id;
    EXPECT_EQ(g->parent, c.parent) << "a group's members share its container: " << c.id;
    const Box inner{g->x + 4, g->y + 16, g->w - 8, g->h - 20};
    EXPECT_TRUE(Within(BoxOf(c), inner)) << "control " << c.id << " (" << c.caption << ") is not inside group "
                                         << g->caption;
  }
}

TEST(SetteiLayoutTest, NoTwoControlsOverlap) {
  const auto all = SetteiControls();
  for (size_t i = 0; i < all.size(); ++i) {
    for (size_t j = i + 1; j < all.size(); ++j) {
      const ControlDesign& a = all[i];
      const ControlDesign& b = all[j];
      if (a.page != b.page || a.parent != b.parent) continue;
      const auto ga = Groups(a);
      const auto gb = Groups(b);
      // A group box holds its members.
      if (std::find(gb.begin(), gb.end(), a.id) != gb.end()) continue;
      if (std::find(ga.begin(), ga.end(), b.id) != ga.end()) continue;
      EXPECT_FALSE(Overlap(BoxOf(a), BoxOf(b)))
          << a.id << " (" << a.caption << ") and " << b.id << " (" << b.caption << ") overlap";
    }
  }
}

TEST(SetteiLayoutTest, CaptionsFitTheirControls) {
  for (const ControlDesign& c : SetteiControls()) {
    if (c.caption.empty() || c.kind == ControlKind::kGroup) continue;
    int room = c.w;
    if (c.kind == ControlKind::kCheck || c.kind == ControlKind::kRadio) room -= 20;  // the box
    if (c.kind == ControlKind::kButton) room -= 8;
    const int lines = c.flags & kMultiLine ? c.h / 16 : 1;
    EXPECT_LE(TextWidth(c.caption), room * lines) << "control " << c.id << " clips \"" << c.caption << '"';
    if (c.flags & kMultiLine) {
      EXPECT_GE(lines, 2) << c.id;
    }
  }
}

// The tab order is the table's order: within one container each control
// follows the one before it on the same row or on a lower one.
TEST(SetteiLayoutTest, TabOrderFollowsTheReadingOrder) {
  std::map<std::tuple<int, int, int>, const ControlDesign*> last;
  for (const ControlDesign& c : SetteiControls()) {
    const auto key = std::make_tuple(c.page, c.parent, c.group);
    if (const ControlDesign* prev = last[key]) {
      const bool sameRow = std::abs(c.y - prev->y) <= 8;
      EXPECT_TRUE(sameRow ? c.x > prev->x : c.y > prev->y)
          << "control " << c.id << " (" << c.caption << ") comes before " << prev->id << " (" << prev->caption
          << ") in reading order";
    }
    last[key] = &c;
  }
}

TEST(SetteiLayoutTest, RadioRunsStartAGroup) {
  const ControlDesign* prev = nullptr;
  for (const ControlDesign& c : SetteiControls()) {
    if (c.kind == ControlKind::kRadio && (!prev || prev->kind != ControlKind::kRadio)) {
      EXPECT_TRUE(c.flags & kGroupStart) << c.id;
    }
    if (prev && prev->kind == ControlKind::kRadio && c.kind != ControlKind::kRadio) {
      EXPECT_TRUE(c.flags & kGroupStart || c.kind == ControlKind::kGroup || c.kind == ControlKind::kPanel ||
                  c.page != prev->page)
          << "the control after a radio run starts a new group: " << c.id;
    }
    prev = &c;
  }
}

TEST(SetteiLayoutTest, TheDigitFields) {
  std::set<int> digits;
  for (const ControlDesign& c : SetteiControls()) {
    if (c.flags & kDigitsOnly) {
      EXPECT_EQ(c.kind, ControlKind::kEdit);
      digits.insert(c.id);
    }
  }
  std::set<int> want = {kEditStep, kEditShowTime, kEditNormalVolume, kEditDeviceHour, kEditDeviceMinute};
  for (int b = 0; b < 3; ++b) {
    for (int part : {kBandStartHour, kBandStartMinute, kBandEndHour, kBandEndMinute}) want.insert(Band(b, part));
  }
  EXPECT_EQ(digits, want);
  EXPECT_EQ(digits.size(), 17u);
}

TEST(SetteiLayoutTest, TheCaptionsOfThePages) {
  std::multiset<std::string_view> captions;
  for (const ControlDesign& c : SetteiControls()) captions.insert(c.caption);
  for (std::string_view want :
       {"画面上の位置",
        "下",
        "中央",
        "上",
        "右",
        "左",
        "常時表示する",
        "表示時間:",
        "秒",
        "(1～30秒)",
        "色",
        "音量アイコンの色と同色にする",
        "同色にしない",
        "文字色と同色",
        "背景色と同色",
        "既定の再生デバイスによって音量メーターの色を変える",
        "再生デバイス名:",
        "メインキーを押しただけで音量メーターを表示する",
        "タスクトレイアイコンをポイントしたら音量メーターを表示する",
        "タスクトレイアイコンをクリックかポイントしてから音量メーターが表示されるまでの時間:",
        "0",
        "2秒",
        "音量変更ボックスを表示しない",
        "音量アイコンの色",
        "文字色:",
        "背景色:",
        "音量アイコンに既定の再生デバイスのアイコンを使う",
        "既定の再生デバイスによって音量アイコンの色を変える",
        "(コントロールパネルで既定の再生デバイスを変更した場合は音量アイコンをポイントするまでアイコンは変更されませ"
        "ん。)",
        "キーボード操作では音量変更しない",
        "マウス操作では音量変更しない",
        "キーボードでの操作",
        "メインキー:",
        "ミュート:",
        "音量上昇:",
        "音量下降:",
        "変更",
        "各キーを変更するには[変更]ボタンをクリックしてから設定したいキーを押してください。",
        "1回の操作での変化音量:",
        "(1～100)",
        "音量変更連続操作時の遅延時間:",
        "小",
        "大",
        "マウスホイール回転での音量変更はデフォルトと逆向きにする",
        "時間帯によって音量を変える",
        "通常の音量",
        "通常の音量:",
        "(0～100)",
        "確認",
        "OK",
        "設定日",
        "毎日",
        "日",
        "月",
        "火",
        "水",
        "木",
        "金",
        "土",
        "再生デバイス",
        "毎日指定した時間に既定の再生デバイスを指定した再生デバイスに変更します。",
        "指定する再生デバイス:",
        "このデバイスに変更する",
        "変更時刻",
        ":",
        "(00:00～23:59を入力してください)",
        "ポップアップメニューに表示しないメニュー項目はチェックを外してください",
        "[既定の再生デバイス]に表示しないデバイスはチェックを外してください"}) {
    EXPECT_TRUE(captions.count(want)) << want;
  }
  EXPECT_EQ(captions.count("変更"), 4u);
  EXPECT_EQ(captions.count("確認"), 4u) << "the normal volume's and the three bands'";
}

TEST(SetteiLayoutTest, IdsAreUniqueAndKnown) {
  std::set<int> ids;
  for (const ControlDesign& c : SetteiControls()) {
    EXPECT_TRUE(ids.insert(c.id).second) << c.id;
    EXPECT_EQ(FindControl(c.id), &c);
    EXPECT_GE(c.page, 0);
    EXPECT_LT(c.page, kSetteiPageCount);
  }
  EXPECT_EQ(FindControl(kOk), nullptr) << "OK and Cancel are the window's, not a page's";
  for (int tag = 0; tag < kKeySlots; ++tag) {
    EXPECT_EQ(FindControl(ChangeButton(tag))->caption, "変更");
    EXPECT_EQ(FindControl(KeyNameField(tag))->kind, ControlKind::kEdit);
    EXPECT_EQ(FindControl(KeyCodeLabel(tag))->kind, ControlKind::kLabel);
  }
  EXPECT_NE(ChangeButton(1), ChangeButton(2));
  EXPECT_NE(KeyNameField(2), KeyNameField(3));
  EXPECT_NE(KeyCodeLabel(0), KeyCodeLabel(3));
}

// The end-to-end checks find controls by these ids
// (tests/e2e/groups/70-settings-window.sh): a change here changes them there.
static_assert(kOk == 1 && kCancel == 2);
static_assert(kEditShowTime == 208 && kCheckPointing == 225);
static_assert(kEditVolumeUpKey == 412 && kLabelVolumeUpKeyCode == 413 && kBtnVolumeUpKeyChange == 414);
static_assert(kEditStep == 421 && kCheckVolumeSchedule == 500);
static_assert(Band(0, kBandStartHour) == 540 && Band(0, kBandLabel) == 548 && kComboScheduleDevice == 583);

// --- states -------------------------------------------------------------------

StateInputs Endpoint() {
  StateInputs in;
  in.useEndpoint = true;
  in.scheduleUse = true;
  return in;
}

TEST(SetteiStatesTest, TheMixerPathDisablesTheSchedulePageAndTheDeviceControls) {
  StateInputs in;
  in.scheduleUse = true;
  for (const ControlDesign& c : SetteiControls()) {
    if (c.page == 3) {
      EXPECT_FALSE(StateOf(c.id, in).enabled) << c.id;
    }
  }
  EXPECT_FALSE(StateOf(kCheckUseDeviceIcon, in).enabled);
  EXPECT_FALSE(StateOf(kLabelIconNote, in).enabled);
  EXPECT_FALSE(StateOf(kPanelIconEndpoint, in).visible);
  EXPECT_FALSE(StateOf(kListDevices, in).visible);
  EXPECT_FALSE(StateOf(kLabelDevices, in).visible);
  EXPECT_TRUE(StateOf(kListVisibleMenu, in).visible);
  for (const ControlDesign& c : SetteiControls()) {
    if (c.page == 3) {
      EXPECT_TRUE(StateOf(c.id, Endpoint()).enabled) << c.id;
    }
  }
  EXPECT_TRUE(StateOf(kPanelIconEndpoint, Endpoint()).visible);
  EXPECT_TRUE(StateOf(kListDevices, Endpoint()).visible);
}

TEST(SetteiStatesTest, TheScheduleSwitchShowsTheBandPanel) {
  StateInputs in = Endpoint();
  EXPECT_TRUE(StateOf(kPanelBands, in).visible);
  in.scheduleUse = false;
  EXPECT_FALSE(StateOf(kPanelBands, in).visible);
  EXPECT_TRUE(StateOf(kGroupDevice, in).visible) << "the daily device change does not depend on it";
}

TEST(SetteiStatesTest, DependentStatesReachTheirControls) {
  StateInputs in = Endpoint();
  in.dependent.meterDevicePanelEnabled = true;
  EXPECT_TRUE(StateOf(kComboMeterDevice, in).enabled);
  EXPECT_TRUE(StateOf(kColorBoxMeterDevice, in).enabled);
  EXPECT_EQ(DependentBackground(kPanelMeterDevice, in), 0xFFFFFFu);
  in.dependent.meterDevicePanelEnabled = false;
  EXPECT_FALSE(StateOf(kComboMeterDevice, in).enabled);
  EXPECT_TRUE(StateOf(kLabelMeterDevice, in).enabled) << "black on the panel's grey, readable";
  EXPECT_EQ(DependentBackground(kPanelMeterDevice, in), 0x808080u);
  EXPECT_EQ(DependentBackground(kColorBoxMeterDevice, in), 0x808080u);

  in.dependent.meterPickerEnabled = false;
  EXPECT_FALSE(StateOf(kColorBoxVolumeBar, in).enabled);
  EXPECT_EQ(DependentBackground(kColorBoxVolumeBar, in), 0x808080u);
  in.dependent.showTimeEnabled = false;
  EXPECT_FALSE(StateOf(kEditShowTime, in).enabled);
  in.dependent.iconDevicePanelEnabled = true;
  in.dependent.iconGlobalGroupEnabled = false;
  EXPECT_TRUE(StateOf(kColorBoxIconDeviceBack, in).enabled);
  EXPECT_FALSE(StateOf(kColorBoxIconText, in).enabled);
  EXPECT_FALSE(StateOf(kGroupIconColour, in).enabled);
  EXPECT_EQ(DependentBackground(kColorBoxIconText, in), 0x808080u);
  EXPECT_EQ(DependentBackground(kColorBoxIconDeviceText, in), 0xFFFFFFu);
  in.dependent.wheelBoxEnabled = false;
  EXPECT_FALSE(StateOf(kCheckWheelHoko, in).enabled);
  in.dependent.keyboardGroupVisible = false;
  EXPECT_FALSE(StateOf(kGroupKeyboard, in).visible);
  EXPECT_FALSE(StateOf(kBtnMainKeyChange, in).visible);
  EXPECT_FALSE(StateOf(kLabelKeyNote, in).visible);
  EXPECT_TRUE(StateOf(kEditStep, in).visible) << "the step also serves the wheel";
  EXPECT_EQ(DependentBackground(kEditStep, in), std::nullopt);
}

TEST(SetteiStatesTest, KeyCaptureDisablesWhatCouldTakeTheKey) {
  StateInputs in = Endpoint();
  in.dependent = ComputeDependentStates({});
  for (int slot = 0; slot < kKeySlots; ++slot) {
    in.captureSlot = slot;
    EXPECT_FALSE(StateOf(kOk, in).enabled);
    EXPECT_TRUE(StateOf(kCancel, in).enabled);
    EXPECT_TRUE(StateOf(ChangeButton(slot), in).enabled) << "its own button confirms";
    for (int other = 0; other < kKeySlots; ++other) {
      EXPECT_FALSE(StateOf(KeyNameField(other), in).enabled);
      if (other != slot) {
        EXPECT_FALSE(StateOf(ChangeButton(other), in).enabled);
      }
    }
    for (int id :
         std::initializer_list<int>{kEditStep, kCheckMainKeyOnly, kCheckPointing, kTrackTrayWait, kCheckVolumeSchedule,
                                    kPanelBands, kEditNormalVolume, Band(2, kBandEndMinute)}) {
      EXPECT_FALSE(StateOf(id, in).enabled) << id;
    }
    for (int id : std::initializer_list<int>{kCheckNoBox, kCheckWheelHoko, kEditShowTime, kComboScheduleDevice,
                                             kListVisibleMenu}) {
      EXPECT_TRUE(StateOf(id, in).enabled) << id;
    }
  }
  in.captureSlot = -1;
  for (int id : std::initializer_list<int>{kOk, kEditStep, kEditMainKey, kBtnMuteKeyChange, kPanelBands}) {
    EXPECT_TRUE(StateOf(id, in).enabled) << id;
  }
  // The end of a capture gives each control back the state it has without
  // one: the mixer path's schedule switch stays off, the endpoint path's
  // comes back.
  StateInputs mixer;
  mixer.dependent = ComputeDependentStates({});
  mixer.captureSlot = 0;
  ASSERT_FALSE(StateOf(kCheckVolumeSchedule, mixer).enabled) << "off during the capture";
  mixer.captureSlot = -1;
  EXPECT_FALSE(StateOf(kCheckVolumeSchedule, mixer).enabled) << "ending a capture does not enable the mixer path's";
  EXPECT_TRUE(StateOf(kOk, mixer).enabled);
  StateInputs endpoint = Endpoint();
  endpoint.dependent = ComputeDependentStates({});
  endpoint.captureSlot = 2;
  ASSERT_FALSE(StateOf(kCheckVolumeSchedule, endpoint).enabled);
  endpoint.captureSlot = -1;
  EXPECT_TRUE(StateOf(kCheckVolumeSchedule, endpoint).enabled) << "the endpoint path's comes back";
}

TEST(SetteiColoursTest, StandardColoursAndTheCustomEntry) {
  EXPECT_EQ(StandardColours().size(), 16u);
  EXPECT_EQ(ColourEntry(0x00FF00), 11) << "lime, the meter's colour";
  EXPECT_EQ(StandardColours()[10].name, "ライム");
  EXPECT_EQ(ColourEntry(0xFFFFFF), 16);
  EXPECT_EQ(ColourEntry(0xFF0000), 13) << "blue";
  EXPECT_EQ(ColourEntry(0x000000), 1);
  EXPECT_EQ(ColourEntry(0x123456), 0);
  std::set<uint32_t> unique;
  for (const NamedColour& c : StandardColours()) unique.insert(c.colour);
  EXPECT_EQ(unique.size(), 16u);
}

// What the user reads, word for word: the position radios in their order,
// the key labels, and the hints of the buttons and band fields.
TEST(SetteiTextsTest, CaptionsAndHintsReadAsTheUserSeesThem) {
  const char* positions[] = {"下", "中央", "上", "右", "左"};
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(FindControl(kRadioPosition0 + i));
    EXPECT_EQ(FindControl(kRadioPosition0 + i)->caption, positions[i]) << "radio " << i;
  }
  EXPECT_EQ(FindControl(kLabelMainKey)->caption, "メインキー:");
  EXPECT_EQ(FindControl(kLabelUpKey)->caption, "音量上昇:");
  EXPECT_EQ(FindControl(kLabelDownKey)->caption, "音量下降:");
  EXPECT_EQ(kChangeKeyHint, "変更するには、ここをクリックしてから設定したいキーを押してください。");
  EXPECT_EQ(kConfirmKeyHint, "ここをクリックしてキーを確定してください。");
  EXPECT_EQ(kCheckVolumeHint, "ここをクリックすると音量を確認できます。");
  EXPECT_EQ(kBandTimeHint, "1度設定した時間帯を無効にするには\r時間の欄をすべて空欄にしてください。");
  EXPECT_EQ(kSaveFailedMessage, "設定を保存できませんでした。");
  EXPECT_EQ(kCloseQuestion, "設定が変更されていますが、保存しますか？");
}

}  // namespace
}  // namespace volmaru::settings
