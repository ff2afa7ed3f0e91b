// Drawing the volume number into a 32 x 32 icon and saving it as
// "Volume.ico".
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "common/handle_win.h"

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

// The new icon, or none. A missing speaker picture (when it is needed)
// shows the message box first. `pixels`, when given, receives the 24-bit
// bottom-up pixel rows for saving.
UniqueIcon RenderVolumeIcon(const RenderInputs& in, std::string* pixels = nullptr);

// The rendered picture at `size` x `size` (the tray shows 16 x 16), each
// pixel the average of the pixels it covers, so the digits keep their shape.
UniqueIcon ScaledIcon(const std::string& pixels, int size);

// Writes the .ico file atomically; false when it could not be written.
bool SaveVolumeIco(const std::string& path, const std::string& pixels);

}  // namespace volmaru::tray
