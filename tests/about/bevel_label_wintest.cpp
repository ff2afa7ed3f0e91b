// The embossed label painted by the real GDI into a bitmap: where the light
// edge, the dark shadow and the text land, pixel by pixel, against the
// glyph's own shape; the disabled look; the control window around it; and the
// font face given to a window's controls (the bevel label keeps its own).
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "about/bevel_label_win.h"
#include "common/font_face_win.h"
#include "common/handle_win.h"
#include "common/text_win.h"

namespace volmaru::about {
namespace {

constexpr int kW = 120;
constexpr int kH = 60;
constexpr COLORREF kLime = 0x00FF00;

// A 32-bit top-down DIB section selected into a memory DC.
class Canvas {
 public:
  Canvas() : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = kW;
    bi.bmiHeader.biHeight = -kH;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(dc_.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<uint32_t*>(bits);
    old_ = SelectObject(dc_.get(), bitmap_.get());
  }
  ~Canvas() { SelectObject(dc_.get(), old_); }
  HDC dc() const { return dc_.get(); }
  // As a COLORREF (0x00BBGGRR).
  COLORREF At(int x, int y) const {
    GdiFlush();
    const uint32_t p = bits_[y * kW + x];  // 0x00RRGGBB in memory order B, G, R
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

 private:
  UniqueDc dc_;
  UniqueBitmap bitmap_;
  uint32_t* bits_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// Crisp glyph edges, so every pixel is either text or not.
UniqueFont CrispFont() {
  LOGFONTW lf{};
  lf.lfHeight = -36;
  lf.lfWeight = FW_BOLD;
  lf.lfQuality = NONANTIALIASED_QUALITY;
  wcscpy(lf.lfFaceName, L"Tahoma");
  return UniqueFont(CreateFontIndirectW(&lf));
}

// Where the text alone lands at (0, 0): the glyph's shape.
std::vector<bool> GlyphMask(HFONT font, const std::wstring& text) {
  Canvas c;
  const RECT all{0, 0, kW, kH};
  FillRect(c.dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SelectGuard select(c.dc(), font);
  SetBkMode(c.dc(), TRANSPARENT);
  SetTextColor(c.dc(), 0);
  TextOutW(c.dc(), 0, 0, text.c_str(), static_cast<int>(text.size()));
  std::vector<bool> mask(kW * kH);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) mask[y * kW + x] = c.At(x, y) == 0;
  }
  return mask;
}

bool In(const std::vector<bool>& mask, int x, int y) {
  return x >= 0 && y >= 0 && x < kW && y < kH && mask[y * kW + x];
}

TEST(BevelLabelPaintTest, DefaultTypeHasAOnePixelLightEdgeAndATwoPixelShadow) {
  const UniqueFont font = CrispFont();
  ASSERT_TRUE(font);
  TBevelLabel label;
  label.SetCaption("H");
  label.SetFontColor(0xFF00FF);
  ASSERT_EQ(label.BevelType(), TBevelType::btRightBottom);
  ASSERT_EQ(label.BevelWidth(), 2);
  const COLORREF light = BlendColour(0xFF00FF, 0xFFFFFF);
  const COLORREF dark = BlendColour(0xFF00FF, 0x000000);

  Canvas c;
  PaintBevelLabel(c.dc(), label, font.get(), RECT{0, 0, kW, kH}, kLime);
  const std::vector<bool> m = GlyphMask(font.get(), L"H");

  int text = 0, shadow = 0, shadowTwoOnly = 0, edge = 0, wrong = 0;
  std::string firstWrong;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      COLORREF want = kLime;
      if (In(m, x, y)) {
        want = 0xFF00FF;
        ++text;
      } else if (In(m, x - 1, y - 1) || In(m, x - 2, y - 2)) {
        want = dark;
        ++shadow;
        if (!In(m, x - 1, y - 1)) ++shadowTwoOnly;
      } else if (In(m, x + 1, y + 1)) {
        want = light;
        ++edge;
      }
      if (c.At(x, y) != want) {
        if (wrong++ == 0) {
          char buf[96];
          snprintf(buf, sizeof buf, "(%d,%d) is %06lX, want %06lX", x, y, c.At(x, y), want);
          firstWrong = buf;
        }
      }
    }
  }
  EXPECT_GT(text, 50);
  EXPECT_GT(shadow, 0);
  EXPECT_GT(shadowTwoOnly, 0);  // the shadow is two pixels deep
  EXPECT_GT(edge, 0);
  EXPECT_EQ(wrong, 0) << firstWrong;
}

TEST(BevelLabelPaintTest, DisabledLabelIsWhiteWithAGreyEngraving) {
  const UniqueFont font = CrispFont();
  TBevelLabel label;
  label.SetCaption("H");
  label.SetBevelType(TBevelType::btLeftTop);
  label.SetEnabled(false);
  Canvas c;
  PaintBevelLabel(c.dc(), label, font.get(), RECT{0, 0, kW, kH}, kLime);
  const std::vector<bool> m = GlyphMask(font.get(), L"H");
  int wrong = 0, white = 0, grey = 0;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      COLORREF want = kLime;
      if (In(m, x + 1, y + 1)) {
        want = GetSysColor(COLOR_GRAYTEXT);
        ++grey;
      } else if (In(m, x, y)) {
        want = 0xFFFFFF;
        ++white;
      } else if (In(m, x - 1, y - 1)) {
        want = GetSysColor(COLOR_BTNHIGHLIGHT);
      }
      if (c.At(x, y) != want) ++wrong;
    }
  }
  EXPECT_GT(white, 0);
  EXPECT_GT(grey, 0);
  EXPECT_EQ(wrong, 0);
}

TEST(BevelLabelPaintTest, NoBackgroundLeavesWhatIsUnderTheLabel) {
  const UniqueFont font = CrispFont();
  TBevelLabel label;
  label.SetCaption("H");
  Canvas c;
  const RECT all{0, 0, kW, kH};
  UniqueGdiObject blue(CreateSolidBrush(0xFF0000));
  FillRect(c.dc(), &all, static_cast<HBRUSH>(blue.get()));
  PaintBevelLabel(c.dc(), label, font.get(), RECT{10, 10, kW, kH}, std::nullopt);
  EXPECT_EQ(c.At(kW - 1, kH - 1), 0xFF0000u);
  EXPECT_EQ(c.At(11, 11), 0xFF0000u);
}

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

HWND PlainWindow() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VolmaruBevelTestParent";
  RegisterClassExW(&wc);
  return CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr, nullptr, wc.hInstance,
                         nullptr);
}

TEST(BevelLabelControlTest, CaptionIsTheWindowTextAndTheSizeFollowsIt) {
  UniqueWindow parent(PlainWindow());
  ASSERT_TRUE(parent);
  BevelLabelControl c;
  ASSERT_TRUE(c.Create(GetModuleHandleW(nullptr), parent.get(), 7, 9));
  RECT r;
  GetWindowRect(c.hwnd(), &r);
  EXPECT_EQ(r.right - r.left, TBevelLabel::kDefaultWidth);
  EXPECT_EQ(r.bottom - r.top, TBevelLabel::kDefaultHeight);
  LOGFONTW lf{};
  GetObjectW(c.font(), sizeof lf, &lf);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  const WindowDc screen(nullptr);
  EXPECT_EQ(-lf.lfHeight, MulDiv(20, GetDeviceCaps(screen.get(), LOGPIXELSY), 72));

  c.SetFont(CrispFont());
  c.SetCaption("ボルマル");
  wchar_t text[32] = {};
  GetWindowTextW(c.hwnd(), text, 32);
  EXPECT_STREQ(text, L"ボルマル");
  EXPECT_EQ(c.label().Caption(), "ボルマル");
  const SIZE want = LabelTextSize(c.font(), L"ボルマル");
  GetWindowRect(c.hwnd(), &r);
  EXPECT_EQ(r.right - r.left, want.cx);
  EXPECT_EQ(r.bottom - r.top, want.cy);
  MapWindowPoints(nullptr, parent.get(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 7);
  EXPECT_EQ(r.top, 9);

  // Text set from outside takes the same way.
  SendMessageW(c.hwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"A&&B"));
  EXPECT_EQ(c.label().Caption(), "A&&B");
  // The pointer goes through to the parent, as over a label that is no window.
  EXPECT_EQ(SendMessageW(c.hwnd(), WM_NCHITTEST, 0, 0), HTTRANSPARENT);
  EnableWindow(c.hwnd(), FALSE);
  EXPECT_FALSE(c.label().Enabled());
}

std::wstring FaceOf(HWND wnd) {
  const auto font = reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0));
  LOGFONTW lf{};
  if (!font || !GetObjectW(font, sizeof lf, &lf)) return L"";
  return lf.lfFaceName;
}

TEST(FontFaceTest, ControlsTakeTheFaceAndKeepTheirSizeWhileTheBevelLabelKeepsItsFont) {
  UniqueWindow parent(PlainWindow());
  const HINSTANCE inst = GetModuleHandleW(nullptr);
  LOGFONTW base{};
  base.lfHeight = -13;
  base.lfWeight = FW_BOLD;
  base.lfItalic = TRUE;
  wcscpy(base.lfFaceName, L"Tahoma");
  UniqueFont shared(CreateFontIndirectW(&base));
  const HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 50, 20, parent.get(), nullptr, inst, nullptr);
  const HWND button =
      CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD, 0, 30, 50, 20, parent.get(), nullptr, inst, nullptr);
  const HWND group =
      CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 60, 200, 100, parent.get(), nullptr, inst, nullptr);
  const HWND inner = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 50, 20, group, nullptr, inst, nullptr);
  const HWND noFont = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 50, 20, parent.get(), nullptr, inst, nullptr);
  for (HWND w : {edit, button, group, inner}) SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(shared.get()), 0);
  BevelLabelControl bevel;
  ASSERT_TRUE(bevel.Create(inst, parent.get(), 0, 0));
  bevel.SetFont(CrispFont());

  FaceFonts fonts;
  int pumped = 0;
  fonts.Apply(parent.get(), L"Courier New", [&] { ++pumped; });

  for (HWND w : {edit, button, group, inner}) {
    EXPECT_EQ(FaceOf(w), L"Courier New");
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -13);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_TRUE(lf.lfItalic);
  }
  // One replacement for the font they shared.
  EXPECT_EQ(SendMessageW(edit, WM_GETFONT, 0, 0), SendMessageW(inner, WM_GETFONT, 0, 0));
  EXPECT_EQ(FaceOf(bevel.hwnd()), L"Tahoma");
  EXPECT_EQ(SendMessageW(noFont, WM_GETFONT, 0, 0), 0);
  // Messages ran once for the window and once before each of its controls.
  EXPECT_EQ(pumped, 1 + 5 + 1);
}

}  // namespace
}  // namespace volmaru::about
