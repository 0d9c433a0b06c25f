// A Canvas that records what was painted, so that layout, texts, hit areas and masking can
// be checked without a window. Text metrics are deterministic: an ASCII character is
// height / 2 pixels wide, any other character `height` pixels.
#pragma once

#include <string>
#include <vector>

#include "platform/canvas.h"

namespace zor {

struct Primitive {
  enum Kind { FillRect, FrameRect, Line, Polyline, Polygon, Ellipse, AlphaFill, Text, Icon, CaptionButtonKind };
  Kind kind;
  Rect rect;                // FillRect, FrameRect, Ellipse, AlphaFill, text rectangle, icon, caption button
  std::vector<Point> pts;   // Line (two points), Polyline, Polygon
  Color color = 0;
  int width = 1;
  int64_t fill = -1;
  int alpha = 255;
  std::string text;
  Font font;
  unsigned align = 0;
  Rect clip;                // the clip in force
  int extra = 0;            // caption button kind * 16 + state
};

class RecordingCanvas : public Canvas {
 public:
  RecordingCanvas(int w, int h);

  int width() const override { return w_; }
  int height() const override { return h_; }
  void fillRect(const Rect& r, Color c) override;
  void frameRect(const Rect& r, Color c, int thickness) override;
  void line(Point a, Point b, const Pen& pen) override;
  void polyline(const Point* pts, size_t n, const Pen& pen) override;
  void polygon(const Point* pts, size_t n, const Pen& pen, int64_t fill) override;
  void ellipse(const Rect& r, const Pen& pen, int64_t fill) override;
  void alphaFill(const Rect& r, Color c, int alpha) override;
  void setFont(const Font& f) override { font_ = f; }
  Size textSize(std::string_view text) override;
  void text(int x, int y, std::string_view text, Color c) override;
  void textInRect(const Rect& r, std::string_view text, Color c, unsigned align) override;
  void icon(int x, int y, int size) override;
  Color systemColor(SysColor which) override;
  void captionButton(const Rect& r, CaptionButton kind, ButtonState state) override;
  void pushClip(const Rect& r) override;
  void popClip() override;

  const std::vector<Primitive>& primitives() const { return prims_; }
  // The texts drawn, in order.
  std::vector<std::string> texts() const;
  // The first text primitive whose text equals `s`, or nullptr.
  const Primitive* findText(std::string_view s) const;
  bool hasTextContaining(std::string_view s) const;
  void clear() { prims_.clear(); }

 private:
  Primitive base(Primitive::Kind k) const;
  int w_, h_;
  Font font_;
  std::vector<Rect> clips_;
  std::vector<Primitive> prims_;
};

}  // namespace zor
