// Drawing the volume number into a 32 x 32 icon and saving it as
// "Volume.ico".
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "common/handle_win.h"
#include "tray/icon_layout.h"

namespace volmaru::tray {

struct RenderInputs {
  HICON baseImage = nullptr;    // drawn when useDeviceIcon is set (may be none)
  bool useDeviceIcon = false;   // "UseDefAudioDeviceIcon"
  std::string speakerIconPath;  // ExeFolder + "Data\speaker2.ico"
  int number = 0;
  COLORREF backColor = 0xFF0000;
  COLORREF textColor = 0xFFFFFF;
  // Shows the missing-picture message; a plain message box by default.
  std::function<void(std::string_view)> showMessage;
};

inline constexpr const char* kSpeakerMissingText = "ファイルが見つかりません。\r\nアイコン作成に失敗しました。";

// The new icon of `size` x `size` pixels (the design is 32 x 32: the
// picture, the font and the number's place are scaled with it), or none. A
// missing speaker picture (when it is needed) shows the message box first.
// `pixels`, when given, receives the 24-bit bottom-up pixel rows for saving.
UniqueIcon RenderVolumeIcon(const RenderInputs& in, std::string* pixels = nullptr, int size = kIconSize);

// A rendered picture of `from` x `from` pixels reduced to `size` x `size`
// (the tray shows half the drawing's size), each pixel the average of the
// pixels it covers, so the digits keep their shape.
UniqueIcon ScaledIcon(const std::string& pixels, int size, int from = kIconSize);

// Writes the .ico file atomically; false when it could not be written.
bool SaveVolumeIco(const std::string& path, const std::string& pixels);

}  // namespace volmaru::tray
