#include "chart/draw_list.h"

#include <algorithm>

namespace zor {

void PolylineRuns::lift() {
  if (run_.size() >= 2) {
    out_.add(PolylineOp{std::move(run_), pen_});
  } else if (run_.size() == 1) {
    // A lone value between two gaps still shows as one pixel.
    Point p = run_[0];
    out_.fill(Rect{p.x, p.y, p.x + std::max(1, pen_.width), p.y + std::max(1, pen_.width)}, pen_.color);
  }
  run_.clear();
}

namespace {

struct Painter {
  Canvas& c;
  Font font{"", -1, false};

  void setFont(const Font& f) {
    if (f == font) return;
    c.setFont(f);
    font = f;
  }

  void operator()(const FillOp& op) { c.fillRect(op.rect, op.color); }
  void operator()(const FrameOp& op) { c.frameRect(op.rect, op.color, 1); }
  void operator()(const LineOp& op) { c.line(op.a, op.b, op.pen); }
  void operator()(const PolylineOp& op) { c.polyline(op.pts.data(), op.pts.size(), op.pen); }
  void operator()(const PolygonOp& op) {
    c.polygon(op.pts.data(), op.pts.size(), Pen{op.color, 1, PenStyle::Solid}, op.filled ? int64_t(op.color) : -1);
  }
  void operator()(const EllipseOp& op) {
    c.ellipse(op.rect, Pen{op.color, 1, PenStyle::Solid}, op.filled ? int64_t(op.color) : -1);
  }
  void operator()(const DottedOp& op) {
    // One filled run per dot: a dotted grid line of a wide chart is a few hundred of them.
    const int step = std::max(1, op.on + op.off);
    const int on = std::max(1, op.on);
    if (op.from.y == op.to.y) {
      for (int x = op.from.x; x <= op.to.x; x += step)
        c.fillRect(Rect{x, op.from.y, std::min(x + on, op.to.x + 1), op.from.y + 1}, op.color);
    } else {
      for (int y = op.from.y; y <= op.to.y; y += step)
        c.fillRect(Rect{op.from.x, y, op.from.x + 1, std::min(y + on, op.to.y + 1)}, op.color);
    }
  }
  void operator()(const TextOp& op) {
    setFont(op.font);
    c.text(op.x, op.y, op.text, op.color);
  }
  void operator()(const CandleOp& op) {
    if (op.lineOnly) {
      c.fillRect(Rect{op.x, op.yHigh, op.x + 1, op.yLow + 1}, op.color);
      return;
    }
    c.fillRect(Rect{op.x, op.yHigh, op.x + 1, op.bodyTop}, op.color);
    c.fillRect(Rect{op.x, op.bodyBottom, op.x + 1, op.yLow + 1}, op.color);
    Rect body{op.left, op.bodyTop, op.right, op.bodyBottom};
    if (op.hollow)
      c.frameRect(body, op.color, 1);
    else
      c.fillRect(body, op.color);
  }
  void operator()(const PushClipOp& op) { c.pushClip(op.rect); }
  void operator()(const PopClipOp&) { c.popClip(); }
};

}  // namespace

void DrawList::append(const DrawList& o) {
  for (const Ref& r : o.order) {
    switch (r.kind) {
      case Fill: add(o.fills[r.index]); break;
      case Frame: add(o.frames[r.index]); break;
      case Line: add(o.lines[r.index]); break;
      case Polyline: add(o.polylines[r.index]); break;
      case Polygon: add(o.polygons[r.index]); break;
      case Ellipse: add(o.ellipses[r.index]); break;
      case Dotted: add(o.dots[r.index]); break;
      case Text: add(o.texts[r.index]); break;
      case Candle: add(o.candles[r.index]); break;
      case PushClip: pushClip(o.clips[r.index].rect); break;
      case PopClip: popClip(); break;
    }
  }
}

void paintDrawList(Canvas& c, const DrawList& list) {
  Painter p{c};
  for (const DrawList::Ref& r : list.order) {
    switch (r.kind) {
      case DrawList::Fill: p(list.fills[r.index]); break;
      case DrawList::Frame: p(list.frames[r.index]); break;
      case DrawList::Line: p(list.lines[r.index]); break;
      case DrawList::Polyline: p(list.polylines[r.index]); break;
      case DrawList::Polygon: p(list.polygons[r.index]); break;
      case DrawList::Ellipse: p(list.ellipses[r.index]); break;
      case DrawList::Dotted: p(list.dots[r.index]); break;
      case DrawList::Text: p(list.texts[r.index]); break;
      case DrawList::Candle: p(list.candles[r.index]); break;
      case DrawList::PushClip: p(list.clips[r.index]); break;
      case DrawList::PopClip: p(PopClipOp{}); break;
    }
  }
}

std::vector<std::string> drawListTexts(const DrawList& list) {
  std::vector<std::string> out;
  for (const DrawList::Ref& r : list.order)
    if (r.kind == DrawList::Text) out.push_back(list.texts[r.index].text);
  return out;
}

}  // namespace zor
