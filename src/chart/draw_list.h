// The draw data of a chart: plain structs in painting order, computed from the state and the
// layout without touching a canvas, then painted by paintDrawList. Tests read the list (or the
// recording canvas it was painted on); the painter never looks back into the state.
#pragma once

#include <string>
#include <cstdint>
#include <vector>

#include "platform/canvas.h"
#include "platform/hit_area.h"

namespace zor {

struct FillOp {
  Rect rect;
  Color color;
};
// A one-pixel outline inside rect.
struct FrameOp {
  Rect rect;
  Color color;
};
struct LineOp {
  Point a, b;
  Pen pen;
};
struct PolylineOp {
  std::vector<Point> pts;
  Pen pen;
};
struct PolygonOp {
  std::vector<Point> pts;
  Color color;
  bool filled = true;
};
struct EllipseOp {
  Rect rect;
  Color color;
  bool filled = false;
};
// Pixels `on` long every `on + off` pixels from `from` along a horizontal or vertical line
// up to and including `to`.
struct DottedOp {
  Point from, to;
  int on = 1, off = 3;
  Color color;
};
// A text with its top-left corner at (x, y); right and centred texts are placed by the
// builder, which measured them.
struct TextOp {
  int x = 0, y = 0;
  std::string text;
  Color color;
  Font font;
};
// One candle: a wick at x from yHigh to yLow (pixels inclusive) and a body [left, right) x
// [bodyTop, bodyBottom), hollow when rising. `lineOnly` draws the wick alone.
struct CandleOp {
  int x = 0, yHigh = 0, yLow = 0;
  int left = 0, right = 0, bodyTop = 0, bodyBottom = 0;
  Color color;
  bool hollow = false;
  bool lineOnly = false;
};
struct PushClipOp {
  Rect rect;
};
struct PopClipOp {};

// The ops of a chart in painting order: each kind in a vector of its own (tests read them by
// kind), `order` naming which op comes next.
struct DrawList {
  enum Kind : uint8_t { Fill, Frame, Line, Polyline, Polygon, Ellipse, Dotted, Text, Candle, PushClip, PopClip };
  struct Ref {
    Kind kind;
    uint32_t index;
  };
  std::vector<Ref> order;
  std::vector<FillOp> fills;
  std::vector<FrameOp> frames;
  std::vector<LineOp> lines;
  std::vector<PolylineOp> polylines;
  std::vector<PolygonOp> polygons;
  std::vector<EllipseOp> ellipses;
  std::vector<DottedOp> dots;
  std::vector<TextOp> texts;
  std::vector<CandleOp> candles;
  std::vector<PushClipOp> clips;

  void add(FillOp op) { put(Fill, fills, std::move(op)); }
  void add(FrameOp op) { put(Frame, frames, std::move(op)); }
  void add(LineOp op) { put(Line, lines, std::move(op)); }
  void add(PolylineOp op) { put(Polyline, polylines, std::move(op)); }
  void add(PolygonOp op) { put(Polygon, polygons, std::move(op)); }
  void add(EllipseOp op) { put(Ellipse, ellipses, std::move(op)); }
  void add(DottedOp op) { put(Dotted, dots, std::move(op)); }
  void add(TextOp op) { put(Text, texts, std::move(op)); }
  void add(CandleOp op) { put(Candle, candles, std::move(op)); }

  void fill(const Rect& r, Color c) { add(FillOp{r, c}); }
  void frame(const Rect& r, Color c) { add(FrameOp{r, c}); }
  void line(Point a, Point b, Color c, int width = 1) { add(LineOp{a, b, Pen{c, width, PenStyle::Solid}}); }
  void hline(int x0, int x1, int y, Color c) { line(Point{x0, y}, Point{x1, y}, c); }
  void vline(int x, int y0, int y1, Color c) { line(Point{x, y0}, Point{x, y1}, c); }
  void dotted(Point from, Point to, int on, int off, Color c) { add(DottedOp{from, to, on, off, c}); }
  void text(int x, int y, std::string s, Color c, const Font& f) { add(TextOp{x, y, std::move(s), c, f}); }
  void pushClip(const Rect& r) { put(PushClip, clips, PushClipOp{r}); }
  void popClip() { order.push_back(Ref{PopClip, 0}); }
  // Appends the ops of `other` after those already here.
  void append(const DrawList& other);

 private:
  template <class T>
  void put(Kind k, std::vector<T>& v, T op) {
    order.push_back(Ref{k, uint32_t(v.size())});
    v.push_back(std::move(op));
  }
};

// Polylines of a series whose missing values lift the pen: points are collected into runs,
// each run of two or more points becoming one polyline (a single point becomes a dot).
class PolylineRuns {
 public:
  PolylineRuns(DrawList& out, Pen pen) : out_(out), pen_(pen) {}
  ~PolylineRuns() { lift(); }
  void add(int x, int y) { run_.push_back(Point{x, y}); }
  void lift();

 private:
  DrawList& out_;
  Pen pen_;
  std::vector<Point> run_;
};

void paintDrawList(Canvas& c, const DrawList& list);

// The texts of a list, in order (tests and masking checks).
std::vector<std::string> drawListTexts(const DrawList& list);

}  // namespace zor
