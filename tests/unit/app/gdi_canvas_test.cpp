// The GDI canvas on a 32-bit off-screen bitmap (Windows build only): colour byte order,
// outlines, alpha blending, nested clipping, text placement and the double buffer's copy.
#ifdef _WIN32
#include <gtest/gtest.h>

#include "platform/gdi_canvas_win32.h"

namespace zor {
namespace {

// A top-down 32-bit DIB selected into a memory DC, so pixels can be read back directly.
struct Surface {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = nullptr;
  uint32_t* px = nullptr;
  HGDIOBJ old = nullptr;
  int w, h;
  Surface(int w_, int h_) : w(w_), h(h_) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    px = static_cast<uint32_t*>(bits);
    old = SelectObject(dc, bmp);
  }
  ~Surface() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  Color at(int x, int y) const {
    GdiFlush();
    return px[y * w + x] & 0xFFFFFF;  // DIB pixels are 0x00RRGGBB, like Color
  }
};

TEST(GdiCanvas, FillsOutlinesAndClips) {
  Surface s(64, 48);
  FontCache fonts;
  GdiCanvas c(s.dc, s.w, s.h, fonts);
  c.fillRect(Rect{0, 0, 64, 48}, rgb(0, 0, 255));
  c.fillRect(Rect{2, 2, 10, 10}, rgb(255, 0, 0));
  EXPECT_EQ(s.at(2, 2), rgb(255, 0, 0));
  EXPECT_EQ(s.at(9, 9), rgb(255, 0, 0));
  EXPECT_EQ(s.at(10, 10), rgb(0, 0, 255));  // right and bottom are outside

  c.frameRect(Rect{20, 2, 40, 22}, rgb(0, 255, 0), 2);
  EXPECT_EQ(s.at(20, 2), rgb(0, 255, 0));
  EXPECT_EQ(s.at(21, 12), rgb(0, 255, 0));
  EXPECT_EQ(s.at(22, 12), rgb(0, 0, 255));  // inside the 2-pixel outline
  EXPECT_EQ(s.at(39, 21), rgb(0, 255, 0));

  c.pushClip(Rect{0, 30, 32, 48});
  c.pushClip(Rect{16, 0, 64, 40});  // nested: only (16..32, 30..40) remains
  c.fillRect(Rect{0, 24, 64, 48}, rgb(255, 255, 0));
  c.popClip();
  c.popClip();
  EXPECT_EQ(s.at(20, 35), rgb(255, 255, 0));
  EXPECT_EQ(s.at(10, 35), rgb(0, 0, 255));
  EXPECT_EQ(s.at(20, 42), rgb(0, 0, 255));
  EXPECT_EQ(s.at(40, 35), rgb(0, 0, 255));
  c.fillRect(Rect{60, 44, 64, 48}, rgb(1, 2, 3));  // clipping is gone again
  EXPECT_EQ(s.at(63, 47), rgb(1, 2, 3));
}

TEST(GdiCanvas, AlphaFillBlends) {
  Surface s(16, 16);
  FontCache fonts;
  GdiCanvas c(s.dc, s.w, s.h, fonts);
  c.fillRect(Rect{0, 0, 16, 16}, rgb(0, 0, 200));
  c.alphaFill(Rect{0, 0, 8, 16}, rgb(200, 0, 0), 128);
  Color mixed = s.at(4, 4);
  EXPECT_NEAR(int((mixed >> 16) & 255), 100, 2);
  EXPECT_NEAR(int(mixed & 255), 100, 2);
  EXPECT_EQ(s.at(12, 4), rgb(0, 0, 200));
  c.alphaFill(Rect{8, 0, 16, 16}, rgb(9, 9, 9), 0);  // transparent: nothing
  EXPECT_EQ(s.at(12, 4), rgb(0, 0, 200));
}

TEST(GdiCanvas, TextStaysInItsRectangle) {
  Surface s(200, 40);
  FontCache fonts;
  GdiCanvas c(s.dc, s.w, s.h, fonts);
  c.fillRect(Rect{0, 0, 200, 40}, rgb(0, 0, 0));
  c.setFont(Font{"Arial", 16, true});
  Size sz = c.textSize("WWWW");
  EXPECT_GT(sz.cx, 20);
  EXPECT_GE(sz.cy, 16);
  EXPECT_EQ(c.textSize("").cx, 0);
  c.textInRect(Rect{100, 0, 200, 40}, "WWWW", rgb(255, 255, 255), AlignRight | AlignVCenter);
  int lit = 0, outside = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x)
      if (s.at(x, y) != 0) (x >= 200 - sz.cx - 1 ? lit : outside)++;
  EXPECT_GT(lit, 20);
  EXPECT_EQ(outside, 0);
}

TEST(GdiCanvas, DoubleBufferCopiesWhatWasPainted) {
  Surface target(32, 32);
  FontCache fonts;
  {
    DoubleBuffer buf(target.dc, 32, 32);
    GdiCanvas c(buf.dc, 32, 32, fonts);
    c.fillRect(Rect{0, 0, 32, 32}, rgb(10, 20, 30));
    c.line(Point{0, 5}, Point{32, 5}, Pen{rgb(250, 250, 250)});
    buf.flush(target.dc);
  }
  EXPECT_EQ(target.at(31, 31), rgb(10, 20, 30));
  EXPECT_EQ(target.at(16, 5), rgb(250, 250, 250));
}

}  // namespace
}  // namespace zor
#endif
