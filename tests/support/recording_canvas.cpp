#include "recording_canvas.h"

#include <algorithm>

#include "platform/text.h"

namespace zor {

RecordingCanvas::RecordingCanvas(int w, int h) : w_(w), h_(h) { clips_.push_back(Rect{0, 0, w, h}); }

Primitive RecordingCanvas::base(Primitive::Kind k) const {
  Primitive p{};
  p.kind = k;
  p.clip = clips_.back();
  p.font = font_;
  return p;
}

void RecordingCanvas::fillRect(const Rect& r, Color c) {
  Primitive p = base(Primitive::FillRect);
  p.rect = r;
  p.color = c;
  prims_.push_back(std::move(p));
}

void RecordingCanvas::frameRect(const Rect& r, Color c, int thickness) {
  Primitive p = base(Primitive::FrameRect);
  p.rect = r;
  p.color = c;
  p.width = thickness;
  prims_.push_back(std::move(p));
}

void RecordingCanvas::line(Point a, Point b, const Pen& pen) {
  Primitive p = base(Primitive::Line);
  p.pts = {a, b};
  p.color = pen.color;
  p.width = pen.width;
  prims_.push_back(std::move(p));
}

void RecordingCanvas::polyline(const Point* pts, size_t n, const Pen& pen) {
  Primitive p = base(Primitive::Polyline);
  p.pts.assign(pts, pts + n);
  p.color = pen.color;
  p.width = pen.width;
  prims_.push_back(std::move(p));
}

void RecordingCanvas::polygon(const Point* pts, size_t n, const Pen& pen, int64_t fill) {
  Primitive p = base(Primitive::Polygon);
  p.pts.assign(pts, pts + n);
  p.color = pen.color;
  p.width = pen.width;
  p.fill = fill;
  prims_.push_back(std::move(p));
}

void RecordingCanvas::ellipse(const Rect& r, const Pen& pen, int64_t fill) {
  Primitive p = base(Primitive::Ellipse);
  p.rect = r;
  p.color = pen.color;
  p.width = pen.width;
  p.fill = fill;
  prims_.push_back(std::move(p));
}

void RecordingCanvas::alphaFill(const Rect& r, Color c, int alpha) {
  Primitive p = base(Primitive::AlphaFill);
  p.rect = r;
  p.color = c;
  p.alpha = alpha;
  prims_.push_back(std::move(p));
}

Size RecordingCanvas::textSize(std::string_view text) {
  int w = 0;
  for (size_t i = 0; i < text.size();) {
    char32_t cp;
    size_t n = decodeUtf8(text, i, cp);
    w += cp < 0x80 ? font_.height / 2 : font_.height;
    i += n;
  }
  return Size{w, font_.height};
}

void RecordingCanvas::text(int x, int y, std::string_view text, Color c) {
  Primitive p = base(Primitive::Text);
  Size s = textSize(text);
  p.rect = Rect{x, y, x + s.cx, y + s.cy};
  p.text = std::string(text);
  p.color = c;
  prims_.push_back(std::move(p));
}

void RecordingCanvas::textInRect(const Rect& r, std::string_view text, Color c, unsigned align) {
  Primitive p = base(Primitive::Text);
  p.rect = r;
  p.text = std::string(text);
  p.color = c;
  p.align = align;
  prims_.push_back(std::move(p));
}

void RecordingCanvas::icon(int x, int y, int size) {
  Primitive p = base(Primitive::Icon);
  p.rect = Rect{x, y, x + size, y + size};
  prims_.push_back(std::move(p));
}

Color RecordingCanvas::systemColor(SysColor which) {
  switch (which) {
    case SysColor::Menu: return rgb(240, 240, 240);
    case SysColor::MenuText: return rgb(0, 0, 0);
    case SysColor::ButtonFace: return rgb(240, 240, 240);
    case SysColor::ButtonShadow: return rgb(160, 160, 160);
    case SysColor::Highlight: return rgb(0, 120, 215);
    case SysColor::HighlightText: return rgb(255, 255, 255);
    case SysColor::Window: return rgb(255, 255, 255);
    case SysColor::WindowText: return rgb(0, 0, 0);
  }
  return 0;
}

void RecordingCanvas::captionButton(const Rect& r, CaptionButton kind, ButtonState state) {
  Primitive p = base(Primitive::CaptionButtonKind);
  p.rect = r;
  p.extra = int(kind) * 16 + int(state);
  prims_.push_back(std::move(p));
}

void RecordingCanvas::pushClip(const Rect& r) {
  const Rect& c = clips_.back();
  clips_.push_back(Rect{std::max(c.left, r.left), std::max(c.top, r.top), std::min(c.right, r.right),
                        std::min(c.bottom, r.bottom)});
}

void RecordingCanvas::popClip() {
  if (clips_.size() > 1) clips_.pop_back();
}

std::vector<std::string> RecordingCanvas::texts() const {
  std::vector<std::string> out;
  for (const Primitive& p : prims_)
    if (p.kind == Primitive::Text) out.push_back(p.text);
  return out;
}

const Primitive* RecordingCanvas::findText(std::string_view s) const {
  for (const Primitive& p : prims_)
    if (p.kind == Primitive::Text && p.text == s) return &p;
  return nullptr;
}

bool RecordingCanvas::hasTextContaining(std::string_view s) const {
  for (const Primitive& p : prims_)
    if (p.kind == Primitive::Text && p.text.find(s) != std::string::npos) return true;
  return false;
}

}  // namespace zor
