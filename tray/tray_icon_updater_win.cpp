#include "tray/tray_icon_updater_win.h"

#include "common/text_win.h"
#include "settings/file_port.h"
#include "tray/icon_layout.h"
#include "tray/icon_render_win.h"

namespace volmaru::tray {
namespace {

bool FileExists(const std::string& path) {
  const DWORD attrs = GetFileAttributesW(Widen(path).c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool UpdateTrayIcon(int number, const TrayIconContext& ctx, TrayIcon* trayIcon, bool& iconUpdating) {
  iconUpdating = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{iconUpdating};

  const std::string speaker = ctx.exeFolder + "Data\\speaker2.ico";
  UniqueIcon speakerIcon;
  HICON base = ctx.deviceIcon;
  if (ChooseBaseImage(base != nullptr, FileExists(speaker)) == BaseImage::kSpeakerFile) {
    speakerIcon.reset(static_cast<HICON>(
        LoadImageW(nullptr, Widen(speaker).c_str(), IMAGE_ICON, kIconSize, kIconSize, LR_LOADFROMFILE)));
    base = speakerIcon.get();
  }
  static const std::vector<TDefDeviceTrayIconData> kNoProfiles;
  const settings::IconColours colours = ChooseIconColours(
      ctx.changeIconColorByDevice, ctx.profiles ? *ctx.profiles : kNoProfiles, ctx.defaultDeviceName, ctx.global);
  RenderInputs in;
  in.baseImage = base;
  in.useDeviceIcon = ctx.useDefAudioDeviceIcon;
  in.speakerIconPath = speaker;
  in.number = number;
  in.backColor = colours.Back;
  in.textColor = colours.Text;
  std::string pixels;
  UniqueIcon icon = RenderVolumeIcon(in, &pixels);
  if (!icon) return false;
  // The folder may have been deleted while the program runs.
  settings::FilePort& files = settings::SystemFiles();
  const std::string dir = ctx.dataFolder.substr(0, ctx.dataFolder.size() - 1);
  if (!files.DirectoryExists(dir)) files.CreateDirectories(dir);
  SaveVolumeIco(ctx.dataFolder + "Volume.ico", pixels);
  if (trayIcon) {
    // The tray shows 16 x 16: the list keeps a scaled copy.
    const int small = GetSystemMetrics(SM_CXSMICON);
    UniqueIcon scaled = ScaledIcon(pixels, small);
    trayIcon->ReplaceImage(0, scaled ? std::move(scaled) : std::move(icon));
    trayIcon->ShowImage(0);
  }
  return true;
}

}  // namespace volmaru::tray
