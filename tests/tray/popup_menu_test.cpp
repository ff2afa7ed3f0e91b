#include "tray/popup_menu.h"

#include <gtest/gtest.h>

namespace volmaru::tray {
namespace {

TEST(PopupMenuTest, ItemsInOrderWithCaptionsAndTags) {
  const PopupMenuModel menu;
  std::vector<std::string> rows;
  for (const MenuItem& it : menu.items()) {
    rows.push_back(std::string(it.name) + "|" + it.caption + "|" + std::to_string(it.tag));
  }
  EXPECT_EQ(rows, (std::vector<std::string>{
                      "MenuStartUp|スタートアップに登録(&U)|0",
                      "MenuSettei|設定画面を開く(&S)|0",
                      "N2||0",
                      "MenuNoChangeByKey|キーボード操作では音量変更しない(&N)|100",
                      "MenuNoChangeByMouse|マウス操作では音量変更しない(&F)|101",
                      "MenuNoShowBalloonHint|バルーンヒント(トースト通知)を表示しない(&B)|102",
                      "N6||0",
                      "MenuShowVolume|音量メーターの表示(&O)|103",
                      "MenuMute|ミュート(&M)|104",
                      "N4||0",
                      "MenuChangeDefAudioDevice|既定の再生デバイス|0",
                      "N7||0",
                      "MenuGetAudioEndVol|既定の再生デバイスに対応する(&D)|105",
                      "N1||0",
                      "MenuOpenSound|コントロールパネルの「サウンド」を開く(&C)|106",
                      "MenuOpenVolumeCtrl|「音量ミキサー」を開く(&A)|107",
                      "N5||0",
                      "MenuHelp|ヘルプ(&H)|0",
                      "MenuAbout|バージョン情報(&V)|0",
                      "N3||0",
                      "MenuRestart|ボルマルの再起動(&R)|0",
                      "MenuEnd|ボルマルの終了(&E)|0",
                  }));
  for (const MenuItem& it : menu.items()) {
    EXPECT_EQ(it.separator, it.name.front() == 'N') << it.name;
    EXPECT_FALSE(it.checked) << it.name << ": nothing starts checked";
    EXPECT_TRUE(it.enabled && it.visible) << it.name;
    EXPECT_EQ(&menu.item(it.id), &it) << "items are indexed by their id";
  }
}

TEST(PopupMenuTest, AllEntriesOffLeavesOnlyTagZeroItemsAndSeparators) {
  PopupMenuModel menu;
  menu.ApplyVisibility({false, false, false, false, false, false, false, false});
  for (const MenuItem& it : menu.items()) EXPECT_EQ(it.visible, it.tag == 0) << it.name;
  std::array<bool, 8> some{};
  some[4] = true;  // ミュート
  menu.ApplyVisibility(some);
  EXPECT_TRUE(menu.item(MenuId::MenuMute).visible);
  EXPECT_FALSE(menu.item(MenuId::MenuShowVolume).visible);
  EXPECT_TRUE(menu.item(MenuId::MenuEnd).visible);
}

}  // namespace
}  // namespace volmaru::tray
