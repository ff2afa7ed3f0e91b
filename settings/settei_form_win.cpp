#include "settings/settei_form_win.h"

#include "settings/time_format_win.h"

namespace volmaru::settings {

bool TVolumeChangeSetteiForm::Create(HINSTANCE instance, const std::string& settingsPath, HWND owner) {
  settingsPath_ = settingsPath;
  LoadPageValues();
  return CreateForm(instance, L"TVolumeChangeSetteiForm", L"ボルマル 設定", WS_OVERLAPPEDWINDOW, 0, owner);
}

void TVolumeChangeSetteiForm::LoadPageValues() {
  ProfileFile file(SystemFiles(), settingsPath_);
  SettingsStore store(file, UserLocaleDateTimeFormat());
  pages_ = store.LoadPages();
}

}  // namespace volmaru::settings
