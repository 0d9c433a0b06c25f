// The Canvas on GDI: every paint draws into an off-screen bitmap (DoubleBuffer) that is copied
// to the window at the end. Texts arrive as UTF-8 and become UTF-16 at the GDI call; fonts are
// created once per face, height and weight and kept for the life of the FontCache.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/canvas.h"

namespace zor {

// 0xRRGGBB to GDI's 0x00BBGGRR and back.
inline COLORREF toColorRef(Color c) { return RGB((c >> 16) & 255, (c >> 8) & 255, c & 255); }
inline Color fromColorRef(COLORREF c) { return rgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

// A memory DC with a bitmap of the target's size; flush() copies it to the target.
struct DoubleBuffer {
  DoubleBuffer(HDC target, int w, int h);
  ~DoubleBuffer();
  DoubleBuffer(const DoubleBuffer&) = delete;
  DoubleBuffer& operator=(const DoubleBuffer&) = delete;
  void flush(HDC target, int x = 0, int y = 0) const;
  HDC dc = nullptr;
  int width = 0, height = 0;

 private:
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// Fonts by {face, pixel height, bold}; the face is UTF-8.
class FontCache {
 public:
  FontCache() = default;
  ~FontCache();
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;
  HFONT get(const Font& f);

 private:
  std::map<std::tuple<std::string, int, bool>, HFONT> fonts_;
};

class GdiCanvas : public Canvas {
 public:
  // `window` gives the visual theme of the caption buttons (classic buttons without one).
  GdiCanvas(HDC dc, int w, int h, FontCache& fonts, HWND window = nullptr);
  ~GdiCanvas() override;

  int width() const override { return w_; }
  int height() const override { return h_; }
  void fillRect(const Rect& r, Color c) override;
  void frameRect(const Rect& r, Color c, int thickness) override;
  void line(Point a, Point b, const Pen& pen) override;
  void polyline(const Point* pts, size_t n, const Pen& pen) override;
  void polygon(const Point* pts, size_t n, const Pen& pen, int64_t fill) override;
  void ellipse(const Rect& r, const Pen& pen, int64_t fill) override;
  void alphaFill(const Rect& r, Color c, int alpha) override;
  void setFont(const Font& f) override;
  Size textSize(std::string_view text) override;
  void text(int x, int y, std::string_view text, Color c) override;
  void textInRect(const Rect& r, std::string_view text, Color c, unsigned align) override;
  void icon(int x, int y, int size) override;
  Color systemColor(SysColor which) override;
  void captionButton(const Rect& r, CaptionButton kind, ButtonState state) override;
  Size captionButtonSize() override;
  void pushClip(const Rect& r) override;
  void popClip() override;

 private:
  HPEN pen(const Pen& p);
  void applyClip();

  HDC dc_;
  int w_, h_;
  FontCache& fonts_;
  HWND window_;
  HGDIOBJ oldFont_ = nullptr, oldPen_ = nullptr, oldBrush_ = nullptr;
  std::vector<Rect> clips_;
  std::map<std::tuple<Color, int, int>, HPEN> pens_;
};

// The program icon (resource 1) at a size, loaded once per size.
HICON programIcon(int size);

}  // namespace zor
