// The painting seam. Every view paints through a Canvas: the Windows program implements it
// with GDI on an off-screen bitmap, tests with a recording canvas that keeps the primitives
// and texts. Coordinates are client pixels; colours are 0xRRGGBB.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zor {

using Color = uint32_t;  // 0xRRGGBB

constexpr Color rgb(int r, int g, int b) { return Color((r & 255) << 16 | (g & 255) << 8 | (b & 255)); }

struct Point {
  int x = 0, y = 0;
};

struct Size {
  int cx = 0, cy = 0;
};

// Half-open rectangle: left and top inside, right and bottom outside.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool empty() const { return right <= left || bottom <= top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Font {
  std::string face = "Microsoft YaHei UI";
  int height = 14;     // character height in pixels
  bool bold = false;
  friend bool operator==(const Font&, const Font&) = default;
};

enum class PenStyle { Solid, Dash, Dot };

// System colours the shell paints with (the user's theme decides them on Windows).
enum class SysColor { Menu, MenuText, ButtonFace, ButtonShadow, Highlight, HighlightText, Window, WindowText };

enum class CaptionButton { Minimize, Maximize, Restore, Close };
enum class ButtonState { Normal, Hot, Pressed };

struct Pen {
  Color color = 0xFFFFFF;
  int width = 1;
  PenStyle style = PenStyle::Solid;
};

// Horizontal and vertical placement of a text inside a rectangle.
enum TextAlign : unsigned {
  AlignLeft = 0,
  AlignCenter = 1,
  AlignRight = 2,
  AlignTop = 0,
  AlignVCenter = 4,
  AlignBottom = 8,
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual int width() const = 0;
  virtual int height() const = 0;

  virtual void fillRect(const Rect& r, Color c) = 0;
  // A rectangle outline of the given thickness, drawn inside r.
  virtual void frameRect(const Rect& r, Color c, int thickness = 1) = 0;
  virtual void line(Point a, Point b, const Pen& pen) = 0;
  virtual void polyline(const Point* pts, size_t n, const Pen& pen) = 0;
  // Filled polygon; fill < 0 draws the outline only.
  virtual void polygon(const Point* pts, size_t n, const Pen& pen, int64_t fill) = 0;
  // Ellipse inscribed in r; fill < 0 draws the outline only.
  virtual void ellipse(const Rect& r, const Pen& pen, int64_t fill) = 0;
  // Fills r with c at the given opacity (0 transparent .. 255 opaque).
  virtual void alphaFill(const Rect& r, Color c, int alpha) = 0;

  virtual void setFont(const Font& f) = 0;
  // Extent of a single-line UTF-8 text in the current font.
  virtual Size textSize(std::string_view text) = 0;
  // Draws a single-line text with its top-left corner at (x, y).
  virtual void text(int x, int y, std::string_view text, Color c) = 0;
  // Draws a single-line text placed in r by `align` (TextAlign flags), clipped to r.
  virtual void textInRect(const Rect& r, std::string_view text, Color c, unsigned align) = 0;

  // The program's icon (resource 1) drawn at size × size pixels.
  virtual void icon(int x, int y, int size) = 0;

  virtual Color systemColor(SysColor which) = 0;
  // A window caption button in the visual theme (classic look without a theme).
  virtual void captionButton(const Rect& r, CaptionButton kind, ButtonState state) = 0;
  // The system's caption-button size (the window's own title strip uses it).
  virtual Size captionButtonSize() { return Size{36, 22}; }

  // Clipping nests: push intersects with the current clip, pop restores the previous one.
  virtual void pushClip(const Rect& r) = 0;
  virtual void popClip() = 0;
};

}  // namespace zor
