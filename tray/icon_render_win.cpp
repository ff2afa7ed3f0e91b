#include "tray/icon_render_win.h"

#include <cstring>

#include "common/dpi.h"
#include "common/file_win.h"
#include "common/message_box_win.h"
#include "common/text_win.h"
#include "settings/file_port.h"
#include "tray/ico_file.h"
#include "tray/icon_layout.h"

namespace volmaru::tray {
namespace {

std::wstring DefaultFontFace() {
  LOGFONTW lf{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  return lf.lfFaceName;
}

}  // namespace

namespace {

UniqueBitmap Dib24(int size, void** bits) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = size;
  bi.bmiHeader.biHeight = size;  // bottom-up, as an .ico stores it
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  return UniqueBitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, bits, nullptr, 0));
}

// An icon from a colour bitmap with no transparent pixel.
UniqueIcon OpaqueIcon(HBITMAP colour, int size) {
  const std::string maskBits(static_cast<size_t>((size + 15) / 16 * 2) * static_cast<size_t>(size), '\0');
  UniqueBitmap mask(CreateBitmap(size, size, 1, 1, maskBits.data()));
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmMask = mask.get();
  info.hbmColor = colour;
  return UniqueIcon(CreateIconIndirect(&info));
}

}  // namespace

UniqueIcon ScaledIcon(const std::string& pixels, int size, int from) {
  void* srcBits = nullptr;
  void* dstBits = nullptr;
  UniqueBitmap src = Dib24(from, &srcBits);
  UniqueBitmap dst = Dib24(size, &dstBits);
  UniqueDc srcDc(CreateCompatibleDC(nullptr));
  UniqueDc dstDc(CreateCompatibleDC(nullptr));
  const size_t bytes = static_cast<size_t>((from * 3 + 3) & ~3) * static_cast<size_t>(from);
  if (!src || !dst || !srcDc || !dstDc || pixels.size() < bytes) return {};
  std::memcpy(srcBits, pixels.data(), bytes);
  {
    SelectGuard a(srcDc.get(), src.get());
    SelectGuard b(dstDc.get(), dst.get());
    SetStretchBltMode(dstDc.get(), HALFTONE);
    SetBrushOrgEx(dstDc.get(), 0, 0, nullptr);
    StretchBlt(dstDc.get(), 0, 0, size, size, srcDc.get(), 0, 0, from, from, SRCCOPY);
    GdiFlush();
  }
  return OpaqueIcon(dst.get(), size);
}

UniqueIcon RenderVolumeIcon(const RenderInputs& in, std::string* pixels, int size) {
  // The design is 32 x 32; a larger drawing scales every place with it.
  const Dpi scale{size * kDesignDpi / kIconSize};
  UniqueIcon speaker;
  if (!in.useDeviceIcon) {
    if (!FileExists(in.speakerIconPath)) {
      if (in.showMessage)
        in.showMessage(kSpeakerMissingText);
      else
        ShowMessageBox(nullptr, kSpeakerMissingText, "ボルマル", MB_OK);
      return {};
    }
    speaker.reset(static_cast<HICON>(
        LoadImageW(nullptr, Widen(in.speakerIconPath).c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE)));
  }

  void* bits = nullptr;
  UniqueBitmap colour = Dib24(size, &bits);
  UniqueDc dc(CreateCompatibleDC(nullptr));
  if (!colour || !dc) return {};
  {
    SelectGuard selectBitmap(dc.get(), colour.get());
    UniqueGdiObject brush(CreateSolidBrush(in.backColor));
    const RECT all{0, 0, size, size};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(brush.get()));
    const HICON base = in.useDeviceIcon ? in.baseImage : speaker.get();
    // The picture fills the drawing: a device's large icon is of the system
    // DPI's size (40 or 48 pixels above 96 dpi), not always the design's.
    if (base) DrawIconEx(dc.get(), 0, 0, base, size, size, 0, nullptr, DI_NORMAL);

    const IconTextLayout layout = LayoutForNumber(in.number);
    LOGFONTW lf{};
    lf.lfHeight = -scale(layout.pixelHeight);
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = NONANTIALIASED_QUALITY;
    const std::wstring face = DefaultFontFace();
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    UniqueFont font(CreateFontIndirectW(&lf));
    SelectGuard selectFont(dc.get(), font.get());
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), in.textColor);
    const std::wstring text = std::to_wstring(in.number);
    TextOutW(dc.get(), scale(layout.x), scale(layout.y), text.c_str(), static_cast<int>(text.size()));
    GdiFlush();
  }
  const int stride = (size * 3 + 3) & ~3;
  if (pixels) pixels->assign(static_cast<const char*>(bits), static_cast<size_t>(stride) * static_cast<size_t>(size));

  // No transparency: an all-zero AND mask leaves every pixel opaque.
  return OpaqueIcon(colour.get(), size);
}

bool SaveVolumeIco(const std::string& path, const std::string& pixels) {
  const std::string ico = EncodeIco24(reinterpret_cast<const uint8_t*>(pixels.data()), kIconSize, kIconSize);
  // A picture that is drawn again at the next change: no flush to disk.
  return settings::SystemFiles().ReplaceFile(path, ico, false);
}

}  // namespace volmaru::tray
