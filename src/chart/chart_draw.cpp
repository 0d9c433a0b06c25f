#include "chart/chart_draw.h"

#include <algorithm>
#include <cstdio>

namespace zor {

int textLeft(DrawList& out, TextMeasure& m, const Font& f, int x, int y, std::string_view s, Color c) {
  int w = m.width(f, s);
  out.text(x, y, std::string(s), c, f);
  return w;
}

int textCenter(DrawList& out, TextMeasure& m, const Font& f, int x, int y, std::string_view s, Color c) {
  int w = m.width(f, s);
  out.text(x - w / 2, y, std::string(s), c, f);
  return w;
}

int textRight(DrawList& out, TextMeasure& m, const Font& f, int x, int y, std::string_view s, Color c) {
  int w = m.width(f, s);
  out.text(x - w, y, std::string(s), c, f);
  return w;
}

void dottedHLine(DrawList& out, int x0, int x1, int y, int on, int off) {
  if (x1 < x0) return;
  out.dotted(Point{x0, y}, Point{x1, y}, on, off, kGridRed);
}

void panelMenuGlyph(DrawList& out, int x, int y, bool chevron) {
  static const int kRowWidths[12] = {4, 8, 10, 10, 12, 12, 12, 12, 10, 10, 8, 4};
  for (int r = 0; r < 12; ++r) {
    int left = x + 6 - kRowWidths[r] / 2;
    out.fill(Rect{left, y - 6 + r, left + kRowWidths[r], y - 5 + r}, kGlyphDisc);
  }
  if (!chevron) return;
  auto dot = [&](int px, int py, Color c) { out.fill(Rect{px, py, px + 1, py + 1}, c); };
  dot(x + 3, y - 2, kGlyphMarkLight);
  dot(x + 8, y - 2, kGlyphMarkLight);
  for (auto [dx, dy] : {std::pair{3, -1}, {8, -1}, {4, 0}, {7, 0}, {5, 1}, {6, 1}}) dot(x + dx, y + dy, kGlyphMarkDark);
}

std::string fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", std::clamp(decimals, 0, 6), v);
  return buf;
}

std::string joinValues(const std::vector<double>& values) {
  std::string s;
  char buf[32];
  for (size_t i = 0; i < values.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%g", values[i]);
    if (i) s += ',';
    s += buf;
  }
  return s;
}

}  // namespace zor
