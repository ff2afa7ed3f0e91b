#include "tray/popup_menu.h"

namespace volmaru::tray {

PopupMenuModel::PopupMenuModel() {
  auto add = [this](MenuId id, std::string_view name, std::string_view caption, int tag) {
    items_.push_back(MenuItem{id, name, std::string(caption), tag, false, true, false, true});
  };
  auto separator = [this](MenuId id, std::string_view name) {
    items_.push_back(MenuItem{id, name, {}, 0, true, true, false, true});
  };
  // The two shell items get their captions at start-up from the Windows
  // version; these are the ones of Windows 6 and later.
  add(MenuId::MenuStartUp, "MenuStartUp", kCaptionStartUpAdd, 0);
  add(MenuId::MenuSettei, "MenuSettei", "設定画面を開く(&S)", 0);
  separator(MenuId::N2, "N2");
  add(MenuId::MenuNoChangeByKey, "MenuNoChangeByKey", "キーボード操作では音量変更しない(&N)", 100);
  add(MenuId::MenuNoChangeByMouse, "MenuNoChangeByMouse", "マウス操作では音量変更しない(&F)", 101);
  add(MenuId::MenuNoShowBalloonHint, "MenuNoShowBalloonHint", "バルーンヒント(トースト通知)を表示しない(&B)", 102);
  separator(MenuId::N6, "N6");
  add(MenuId::MenuShowVolume, "MenuShowVolume", "音量メーターの表示(&O)", 103);
  add(MenuId::MenuMute, "MenuMute", kCaptionMute, 104);
  separator(MenuId::N4, "N4");
  add(MenuId::MenuChangeDefAudioDevice, "MenuChangeDefAudioDevice", "既定の再生デバイス", 0);
  separator(MenuId::N7, "N7");
  add(MenuId::MenuGetAudioEndVol, "MenuGetAudioEndVol", "既定の再生デバイスに対応する(&D)", 105);
  separator(MenuId::N1, "N1");
  add(MenuId::MenuOpenSound, "MenuOpenSound", "コントロールパネルの「サウンド」を開く(&C)", 106);
  add(MenuId::MenuOpenVolumeCtrl, "MenuOpenVolumeCtrl", "「音量ミキサー」を開く(&A)", 107);
  separator(MenuId::N5, "N5");
  add(MenuId::MenuHelp, "MenuHelp", "ヘルプ(&H)", 0);
  add(MenuId::MenuAbout, "MenuAbout", "バージョン情報(&V)", 0);
  separator(MenuId::N3, "N3");
  add(MenuId::MenuRestart, "MenuRestart", "ボルマルの再起動(&R)", 0);
  add(MenuId::MenuEnd, "MenuEnd", "ボルマルの終了(&E)", 0);
}

void PopupMenuModel::ApplyVisibility(const std::array<bool, 8>& visibleEntries) {
  for (MenuItem& it : items_) {
    if (it.tag < 100) {
      it.visible = true;
    } else {
      const int entry = it.tag - 100;
      it.visible = entry < static_cast<int>(visibleEntries.size()) && visibleEntries[static_cast<size_t>(entry)];
    }
  }
}

}  // namespace volmaru::tray
