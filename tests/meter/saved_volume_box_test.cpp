#include "meter/saved_volume_box.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "settings/settings_store.h"
#include "tests/settings/fake_files.h"

namespace volmaru::meter {
namespace {

constexpr const char* kPath = "/docs/Settei.ini";

// The meter window, the main window and the settings file as the box sees
// them: the control's list, the modal boxes answered from a script, the
// timer holds, the volume device, and a real store over an in-memory file.
class FakeBoxPort final : public SetVolumeBoxPort {
 public:
  settings::testing::FakeFiles fs;
  settings::ProfileFile file{fs, kPath};
  settings::SettingsStore store{file, settings::JapaneseDateTimeFormat()};

  std::string edit = "100";
  std::vector<std::string> control;  // the drop-down's own list
  int selected = -1;
  bool deleteEnabled = false;
  bool applyFocused = false;
  bool editing = false;
  bool barVisible = true;
  int boxHeight = kSetVolumeBoxHeight;
  int dropDownRaised = 0;
  std::deque<bool> answers;  // Yes/No of the next questions
  std::vector<std::string> questions;
  std::vector<std::pair<std::string, std::string>> informs;
  int holds = 0;
  int pauses = 0;
  bool timerHeldDuringBoxes = true;
  bool deviceAccepts = true;
  bool throwOnSet = false;
  int volume = 40;
  int lastVolume = 40;
  std::vector<int> setCalls;
  int draws = 0;
  uint32_t now = 5000;
  uint32_t lastVolumeStepAt = 0;
  int mainKeyCode = 29;
  bool mainKeyDown = false;
  BoxPoint cursor{500, 500};
  BoxPoint trayPoint{1900, 1070};
  std::function<void()> duringQuestion;  // runs inside the modal box
  std::vector<std::string> log;

  std::string EditText() override { return edit; }
  void SetEditText(std::string_view text) override { edit = std::string(text); }
  void InsertItem(size_t index, std::string_view text) override {
    control.insert(control.begin() + static_cast<std::ptrdiff_t>(index), std::string(text));
  }
  void DeleteItem(size_t index) override {
    control.erase(control.begin() + static_cast<std::ptrdiff_t>(index));
    if (selected == static_cast<int>(index)) selected = -1;
  }
  int SelectedIndex() override { return selected; }
  void EnableDeleteButton(bool enabled) override { deleteEnabled = enabled; }
  void FocusApplyButton() override { applyFocused = true; }
  void BringDropDownToFront() override { ++dropDownRaised; }
  void SetBoxHeight(int height) override { boxHeight = height; }
  void SetBarVisible(bool visible) override { barVisible = visible; }
  void Inform(std::string_view text, std::string_view title) override {
    if (holds == 0) timerHeldDuringBoxes = false;
    informs.emplace_back(text, title);
    log.push_back("inform");
  }
  bool Ask(std::string_view question) override {
    if (holds == 0) timerHeldDuringBoxes = false;
    questions.emplace_back(question);
    log.push_back("ask");
    if (duringQuestion) duringQuestion();
    if (answers.empty()) ADD_FAILURE() << "unexpected question " << question;
    const bool yes = !answers.empty() && answers.front();
    if (!answers.empty()) answers.pop_front();
    return yes;
  }
  void SetEditingBox(bool e) override { editing = e; }
  void PauseTimer() override {
    ++holds;
    ++pauses;
  }
  void ResumeTimer() override { --holds; }
  void ProcessPendingMessages() override { log.push_back("pump"); }
  bool SetVolume(int v) override {
    setCalls.push_back(v);
    log.push_back("set " + std::to_string(v));
    if (throwOnSet) throw std::runtime_error("mixer error");
    if (!deviceAccepts) return false;
    volume = lastVolume = v;
    return true;
  }
  void DrawMeter() override {
    ++draws;
    log.push_back("draw");
    edit = std::to_string(volume);  // what the meter's drawing does to the edit
  }
  uint32_t Now() override { return now; }
  void SetLastVolumeStepAt(uint32_t t) override { lastVolumeStepAt = t; }
  int LastVolume() override { return lastVolume; }
  int MainKeyCode() override { return mainKeyCode; }
  bool MainKeyDown() override { return mainKeyDown; }
  BoxPoint Cursor() override { return cursor; }
  BoxPoint TrayPointPos() override { return trayPoint; }
  void SaveAddedVolume(int index, int v) override {
    log.push_back("save");
    store.AddSavedVolume(index, v);
  }
  void RewriteSavedVolumes(const std::vector<int>& volumes) override {
    log.push_back("rewrite");
    store.RewriteSavedVolumes(volumes);
  }

  std::string& Text() { return fs.files[kPath]; }
  std::vector<std::string> Keys() { return file.Keys("SavedVolume"); }
  std::string Key(const std::string& key) { return file.Read("SavedVolume", key).value_or("<missing>"); }
};

class SetVolumeBoxTest : public ::testing::Test {
 protected:
  FakeBoxPort port;
  SetVolumeBox box{port};

  // Types `text` and presses "変更".
  void Apply(const std::string& text) {
    port.edit = text;
    box.OnApply();
  }
  void ExpectListMirrored() { EXPECT_EQ(port.control, box.items()); }
};

TEST_F(SetVolumeBoxTest, LoadingShowsBlanksAndKeepsOddValues) {
  port.Text() = "[SavedVolume]\r\nCount=5\r\n0=30\r\n1=-1\r\n3=250\r\n4=-5\r\n";
  box.Load(port.store.LoadMeter().SavedVolumes);
  // Key 2 is missing: a blank entry like the -1.
  // "-5" sorts as "5" with a mark.
  EXPECT_EQ(box.items(), (std::vector<std::string>{" ", " ", "250", "30", "-5"}));
  ExpectListMirrored();
}

TEST_F(SetVolumeBoxTest, SavingThreeGivesTextOrderAndFileOrder) {
  port.answers = {true, true, true};
  Apply("5");
  Apply("20");
  Apply("100");
  EXPECT_EQ(box.items(), (std::vector<std::string>{"100", "20", "5"}));
  ExpectListMirrored();
  EXPECT_EQ(port.Key("0"), "5");
  EXPECT_EQ(port.Key("1"), "20");
  EXPECT_EQ(port.Key("2"), "100");
  EXPECT_EQ(port.Key("Count"), "3");
  EXPECT_EQ(port.questions,
            (std::vector<std::string>{"\"5\"を音量一覧に登録しますか？", "\"20\"を音量一覧に登録しますか？",
                                      "\"100\"を音量一覧に登録しますか？"}));

  // Deleting "20" rewrites the whole section in list order.
  port.selected = 1;
  box.OnSelectionChanged();
  EXPECT_TRUE(port.deleteEnabled);
  port.answers = {true};
  port.lastVolume = 77;
  box.OnDelete();
  EXPECT_EQ(port.questions.back(), "\"20\"を音量一覧から登録削除しますか？");
  EXPECT_EQ(box.items(), (std::vector<std::string>{"100", "5"}));
  ExpectListMirrored();
  EXPECT_EQ(port.Keys(), (std::vector<std::string>{"0", "1", "Count"}));
  EXPECT_EQ(port.Key("0"), "100");
  EXPECT_EQ(port.Key("1"), "5");
  EXPECT_EQ(port.Key("Count"), "2");
  EXPECT_EQ(port.edit, "77");  // the last volume
  EXPECT_FALSE(port.deleteEnabled);
  EXPECT_FALSE(port.editing);
}

TEST_F(SetVolumeBoxTest, TheComparisonIsOnTheText) {
  port.Text() = "[SavedVolume]\r\nCount=1\r\n0=50\r\n";
  box.Load(port.store.LoadMeter().SavedVolumes);
  // "50" is there: no question.
  Apply("50");
  EXPECT_TRUE(port.questions.empty());
  EXPECT_EQ(port.volume, 50);
  // "050" is not: asked again, and Yes adds a second "50".
  port.answers = {true};
  Apply("050");
  EXPECT_EQ(port.questions, (std::vector<std::string>{"\"050\"を音量一覧に登録しますか？"}));
  EXPECT_EQ(box.items(), (std::vector<std::string>{"50", "50"}));
  ExpectListMirrored();
  EXPECT_EQ(port.Key("1"), "50");
  EXPECT_EQ(port.Key("Count"), "2");
  EXPECT_EQ(port.setCalls.back(), 50);
}

TEST_F(SetVolumeBoxTest, MissingKeyIsBlankAndWrittenBackAsMinusOne) {
  port.Text() = "[SavedVolume]\r\nCount=3\r\n0=10\r\n2=90\r\n";
  box.Load(port.store.LoadMeter().SavedVolumes);
  EXPECT_EQ(box.items(), (std::vector<std::string>{" ", "10", "90"}));
  port.selected = 2;
  port.answers = {true};
  box.OnDelete();
  EXPECT_EQ(port.Key("0"), "-1");
  EXPECT_EQ(port.Key("1"), "10");
  EXPECT_EQ(port.Key("Count"), "2");
  EXPECT_EQ(port.Keys().size(), 3u);
  // The blank entry itself can be deleted too.
  port.selected = 0;
  port.answers = {true};
  box.OnDelete();
  EXPECT_EQ(port.questions.back(), "\" \"を音量一覧から登録削除しますか？");
  EXPECT_EQ(port.Keys(), (std::vector<std::string>{"0", "Count"}));
  EXPECT_EQ(port.Key("0"), "10");
}

TEST_F(SetVolumeBoxTest, NoStillSetsTheVolume) {
  port.answers = {false};
  Apply("35");
  EXPECT_EQ(port.setCalls, (std::vector<int>{35}));
  EXPECT_TRUE(box.items().empty());
  EXPECT_FALSE(port.fs.files.count(kPath));  // nothing written
  EXPECT_EQ(port.draws, 1);
  EXPECT_EQ(port.lastVolumeStepAt, 5000u);
}

TEST_F(SetVolumeBoxTest, EnterWithZeroSetsZeroAndAsks) {
  port.answers = {true};
  port.edit = "0";
  port.now = 123456;
  box.OnKeyTyped(kEnterKey);
  EXPECT_EQ(port.questions, (std::vector<std::string>{"\"0\"を音量一覧に登録しますか？"}));
  EXPECT_EQ(port.setCalls, (std::vector<int>{0}));
  EXPECT_EQ(port.volume, 0);
  EXPECT_EQ(port.Key("0"), "0");
  EXPECT_TRUE(port.applyFocused);
  EXPECT_EQ(port.lastVolumeStepAt, 123456u);
  EXPECT_TRUE(SetVolumeBox::ConsumesKey(kEnterKey));
  EXPECT_FALSE(SetVolumeBox::ConsumesKey('5'));
}

TEST_F(SetVolumeBoxTest, FailedSetNeitherRedrawsNorUnsaves) {
  port.deviceAccepts = false;
  port.answers = {true};
  Apply("60");
  EXPECT_EQ(port.setCalls, (std::vector<int>{60}));
  EXPECT_EQ(port.draws, 0);
  EXPECT_EQ(port.lastVolumeStepAt, 0u);
  EXPECT_EQ(box.items(), (std::vector<std::string>{"60"}));
  EXPECT_EQ(port.Key("0"), "60");
  EXPECT_EQ(port.holds, 0);
  EXPECT_FALSE(port.editing);
}

TEST_F(SetVolumeBoxTest, OutOfRangeAndNonNumbersOnlyInform) {
  for (const std::string text : {"250", "101", "-1", "abc", "", " ", "3.5", "５０", "$20", "0x10", "99999999999"}) {
    port.informs.clear();
    Apply(text);
    ASSERT_EQ(port.informs.size(), 1u) << text;
    EXPECT_EQ(port.informs[0].first, "音量は0から100の間の半角整数を入力してください。");
    EXPECT_EQ(port.informs[0].second, "情報");
  }
  EXPECT_TRUE(port.setCalls.empty());
  EXPECT_TRUE(port.questions.empty());
  EXPECT_TRUE(box.items().empty());
  EXPECT_EQ(port.draws, 0);
  EXPECT_EQ(port.holds, 0);
  EXPECT_EQ(port.pauses, 11);
  EXPECT_FALSE(port.editing);
  // The ends of the range are volumes.
  port.answers = {false, false};
  Apply("100");
  Apply(" 0 ");
  EXPECT_EQ(port.setCalls, (std::vector<int>{100, 0}));
}

TEST_F(SetVolumeBoxTest, TimerHeldThroughTheBoxesAndResumedInEveryCase) {
  port.answers = {true};
  Apply("45");
  EXPECT_TRUE(port.timerHeldDuringBoxes);
  EXPECT_EQ(port.holds, 0);
  // A device error leaves the box usable and the timer running.
  port.throwOnSet = true;
  port.answers = {false};
  port.editing = false;
  EXPECT_THROW(Apply("46"), std::runtime_error);
  EXPECT_EQ(port.holds, 0);
  EXPECT_FALSE(port.editing);
  EXPECT_FALSE(port.deleteEnabled);
  port.throwOnSet = false;
  port.answers = {false};
  Apply("47");
  EXPECT_EQ(port.setCalls.back(), 47);  // not stuck as busy
}

TEST_F(SetVolumeBoxTest, ApplyStepsInOrder) {
  port.answers = {true};
  port.deleteEnabled = true;
  bool editingWhileAsked = false;
  port.duringQuestion = [&] { editingWhileAsked = port.editing; };
  Apply("30");
  EXPECT_TRUE(editingWhileAsked);  // the meter does not hide under the question
  EXPECT_EQ(port.log, (std::vector<std::string>{"ask", "save", "set 30", "pump", "draw", "pump"}));
  EXPECT_FALSE(port.editing);
  EXPECT_FALSE(port.deleteEnabled);
  EXPECT_EQ(port.edit, "30");
}

TEST_F(SetVolumeBoxTest, SecondCommandWhileAQuestionIsOpenIsIgnored) {
  box.Load({10});
  port.answers = {true};
  port.duringQuestion = [&] {
    port.duringQuestion = nullptr;
    port.edit = "70";
    box.OnApply();  // "変更" clicked again under the question
    box.OnKeyTyped(kEnterKey);
    port.selected = 0;
    box.OnDelete();
    box.OnCancel();
  };
  Apply("60");
  EXPECT_EQ(port.questions.size(), 1u);
  EXPECT_EQ(port.setCalls, (std::vector<int>{60}));
  EXPECT_EQ(box.items(), (std::vector<std::string>{"10", "60"}));
  EXPECT_FALSE(port.applyFocused);
  ExpectListMirrored();
}

TEST_F(SetVolumeBoxTest, DeleteWithoutSelectionOrWithNoChangesNothing) {
  port.Text() = "[SavedVolume]\r\nCount=2\r\n0=10\r\n1=20\r\n";
  box.Load(port.store.LoadMeter().SavedVolumes);
  const std::string before = port.Text();
  port.editing = true;
  port.deleteEnabled = true;
  port.selected = -1;
  box.OnDelete();
  EXPECT_TRUE(port.questions.empty());
  EXPECT_FALSE(port.deleteEnabled);
  EXPECT_FALSE(port.editing);
  port.selected = 7;  // beyond the list
  box.OnDelete();
  EXPECT_TRUE(port.questions.empty());
  port.selected = 0;
  port.answers = {false};
  port.edit = "typed";
  box.OnDelete();
  EXPECT_EQ(port.questions.size(), 1u);
  EXPECT_EQ(box.items().size(), 2u);
  EXPECT_EQ(port.Text(), before);
  EXPECT_EQ(port.edit, "typed");
}

TEST_F(SetVolumeBoxTest, CancelRestoresTheLastVolume) {
  port.edit = "12";
  port.lastVolume = 64;
  port.editing = true;
  port.deleteEnabled = true;
  box.OnCancel();
  EXPECT_EQ(port.edit, "64");
  EXPECT_FALSE(port.editing);
  EXPECT_FALSE(port.deleteEnabled);
  EXPECT_TRUE(port.setCalls.empty());
}

TEST_F(SetVolumeBoxTest, ListOpeningGrowsTheBoxAndHidesTheBar) {
  box.OnMeterDrawn(40, true);
  box.OnListOpened(200);
  EXPECT_EQ(port.boxHeight, 203);
  EXPECT_FALSE(port.barVisible);
  EXPECT_EQ(port.dropDownRaised, 1);
  box.OnListClosed();
  EXPECT_EQ(port.boxHeight, 67);
  EXPECT_TRUE(port.barVisible);
  box.OnListOpened(120);
  box.OnFocusLost();
  EXPECT_TRUE(port.barVisible);
}

TEST_F(SetVolumeBoxTest, MuteDisplayKeepsItsBarHidden) {
  box.OnMeterDrawn(40, true);
  box.OnListOpened(200);
  // The meter switches to "ミュート": the box goes, and with it the focus.
  box.OnBoxHidden();
  port.barVisible = false;
  box.OnFocusLost();
  box.OnListClosed();
  EXPECT_FALSE(port.barVisible);
  EXPECT_EQ(port.boxHeight, 67);
  // Drawn with the box switched off: no box events bring the bar back.
  box.OnMeterDrawn(40, false);
  port.barVisible = false;
  box.OnFocusLost();
  EXPECT_FALSE(port.barVisible);
}

TEST_F(SetVolumeBoxTest, SelectionEnablesDeleteExactlyWhenAnItemIsSelected) {
  box.Load({10, 20});
  port.selected = 0;
  box.OnSelectionChanged();
  EXPECT_TRUE(port.deleteEnabled);
  port.selected = -1;
  box.OnSelectionChanged();
  EXPECT_FALSE(port.deleteEnabled);
  port.selected = 1;
  box.OnSelectionChanged();
  EXPECT_TRUE(port.deleteEnabled);
  port.selected = -1;
  box.OnSelectionChanged();
  EXPECT_FALSE(port.deleteEnabled);
  port.selected = 2;
  box.OnSelectionChanged();
  EXPECT_FALSE(port.deleteEnabled);
  box.OnClicked();
  EXPECT_TRUE(port.editing);
}

TEST_F(SetVolumeBoxTest, FocusStartsAnEditOnlyWhenTheUserBroughtIt) {
  box.OnFocusReceived();
  EXPECT_TRUE(port.editing);
  port.editing = false;
  port.mainKeyDown = true;
  box.OnFocusReceived();
  EXPECT_FALSE(port.editing);
  port.mainKeyDown = false;
  // Within 16 pixels of the pointed spot on both axes.
  for (const BoxPoint near : {BoxPoint{1900, 1070}, BoxPoint{1884, 1086}, BoxPoint{1916, 1054}}) {
    port.cursor = near;
    box.OnFocusReceived();
    EXPECT_FALSE(port.editing) << near.x << "," << near.y;
  }
  for (const BoxPoint away : {BoxPoint{1883, 1070}, BoxPoint{1900, 1087}, BoxPoint{1917, 1053}}) {
    port.editing = false;
    port.cursor = away;
    box.OnFocusReceived();
    EXPECT_TRUE(port.editing) << away.x << "," << away.y;
  }
}

TEST_F(SetVolumeBoxTest, MainKeyCharacterEndsTheEdit) {
  port.editing = true;
  port.mainKeyCode = 'K';
  box.OnKeyTyped('j');
  EXPECT_TRUE(port.editing);
  box.OnKeyTyped('K');
  EXPECT_FALSE(port.editing);
  EXPECT_TRUE(port.setCalls.empty());
  EXPECT_FALSE(port.applyFocused);
}

TEST_F(SetVolumeBoxTest, DrawingShowsTheVolumeAndEndsTheEdit) {
  port.editing = true;
  port.deleteEnabled = true;
  box.OnMeterDrawn(73, true);
  EXPECT_EQ(port.edit, "73");
  EXPECT_FALSE(port.editing);
  EXPECT_FALSE(port.deleteEnabled);
  // Without the box the edit still follows, the rest is left alone.
  port.editing = true;
  port.deleteEnabled = true;
  box.OnMeterDrawn(12, false);
  EXPECT_EQ(port.edit, "12");
  EXPECT_TRUE(port.editing);
  EXPECT_TRUE(port.deleteEnabled);
}

TEST(SetVolumeBoxTextTest, ParsingAndItems) {
  EXPECT_EQ(ParseBoxInteger("050"), 50);
  EXPECT_EQ(ParseBoxInteger(" 35 "), 35);
  EXPECT_EQ(ParseBoxInteger("+7"), 7);
  EXPECT_EQ(ParseBoxInteger("-0"), 0);
  EXPECT_EQ(ParseBoxInteger("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseBoxInteger("2147483648"), std::nullopt);
  EXPECT_EQ(ParseBoxInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseBoxInteger("9"), 9);
  EXPECT_EQ(ParseBoxInteger("1234567890"), 1234567890);
  EXPECT_EQ(ParseBoxInteger("-"), std::nullopt);
  EXPECT_EQ(ParseBoxInteger("1 0"), std::nullopt);
  EXPECT_EQ(SavedVolumeItem(-1), " ");
  EXPECT_EQ(SavedVolumeItem(0), "0");
  EXPECT_EQ(SavedVolumeItem(-5), "-5");
  EXPECT_EQ(SavedVolumeValue(" "), -1);
  EXPECT_EQ(SavedVolumeValue("250"), 250);
  EXPECT_EQ(SaveVolumeQuestion("035"), "\"035\"を音量一覧に登録しますか？");
  EXPECT_EQ(DeleteVolumeQuestion("5"), "\"5\"を音量一覧から登録削除しますか？");
}

}  // namespace
}  // namespace volmaru::meter
