#include "tray/tray_icon_updater_win.h"

#include "common/file_win.h"
#include "common/text_win.h"
#include "settings/file_port.h"
#include "tray/icon_layout.h"
#include "tray/icon_render_win.h"

namespace volmaru::tray {
bool RenderTrayPictures(int number, const TrayIconContext& ctx, TrayPictures& out) {
  const std::string speaker = ctx.exeFolder + "Data\\speaker2.ico";
  const int drawSize = 2 * (ctx.traySize > 0 ? ctx.traySize : kIconSize / 2);
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
  out.designPixels.clear();
  out.design = RenderVolumeIcon(in, &out.designPixels);
  if (!out.design) return false;
  // The tray's own drawing: the 32 x 32 one at 96 dpi, a larger one above.
  std::string trayPixels;
  if (drawSize != kIconSize) {
    if (speakerIcon) {
      // The file's picture at the design size, the tray's at its own.
      speakerIcon.reset(static_cast<HICON>(
          LoadImageW(nullptr, Widen(speaker).c_str(), IMAGE_ICON, drawSize, drawSize, LR_LOADFROMFILE)));
      in.baseImage = speakerIcon.get();
    }
    if (!RenderVolumeIcon(in, &trayPixels, drawSize)) trayPixels.clear();
  }
  // The tray shows half the drawing's size: a reduced copy.
  const int small = drawSize / 2;
  out.tray = trayPixels.empty() ? ScaledIcon(out.designPixels, small) : ScaledIcon(trayPixels, small, drawSize);
  return true;
}

bool UpdateTrayIcon(int number, const TrayIconContext& ctx, TrayIcon* trayIcon, bool& iconUpdating) {
  iconUpdating = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{iconUpdating};

  TrayPictures pictures;
  if (!RenderTrayPictures(number, ctx, pictures)) return false;
  // The folder may have been deleted while the program runs.
  settings::FilePort& files = settings::SystemFiles();
  const std::string dir = ctx.dataFolder.substr(0, ctx.dataFolder.size() - 1);
  if (!files.DirectoryExists(dir)) files.CreateDirectories(dir);
  SaveVolumeIco(ctx.dataFolder + "Volume.ico", pictures.designPixels);
  if (trayIcon) {
    trayIcon->ReplaceImage(0, pictures.tray ? std::move(pictures.tray) : std::move(pictures.design));
    trayIcon->ShowImage(0);
  }
  return true;
}

}  // namespace volmaru::tray
