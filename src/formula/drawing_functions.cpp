// Drawing functions: they append DrawingItems to the run's list, in statement and bar order,
// coloured by the statement being evaluated, and return zeros. POLYLINE, PLOYLINE and
// PARTLINE instead return their broken line as a series.
//
// An item is made only where it can be drawn: an item whose price is missing, or whose
// computed value is not finite, is left out (a missing price would put it nowhere on the
// panel). Every item is charged to the run's work limit by its size, so a text of 60 KB
// repeated on every bar ends the run with its message instead of exhausting memory.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "formula/library.h"
#include "platform/text.h"

namespace zor::fn {

namespace {

// Work charged per item and per byte of its text (a rough measure of the memory it takes).
constexpr int64_t kItemCost = 64;
constexpr int64_t kTextByteCost = 4;

constexpr int32_t kStatementColour = -2;  // stands for the colour of the statement being evaluated

// Appends an item unless a value is not finite; false once the run passes its work limit.
bool addItem(CallArgs& a, int32_t kind, int bar, double value1, double value2, int32_t param,
             std::string text = std::string(), int32_t colour = kStatementColour) {
  if (!std::isfinite(value1) || !std::isfinite(value2)) return true;
  if (!a.ctx.charge(kItemCost + kTextByteCost * int64_t(text.size()))) return false;
  DrawingItem& d = a.ctx.drawings->emplace_back();
  d.kind = kind;
  d.bar = bar;
  d.value1 = value1;
  d.value2 = value2;
  d.param = param;
  d.text = std::move(text);
  d.colour = colour == kStatementColour ? a.ctx.colour : colour;
  return true;
}

// Room for `count` more items, growing geometrically so that many drawing statements do not
// each copy the whole list.
void makeRoom(CallArgs& a, size_t count) {
  std::vector<DrawingItem>& items = *a.ctx.drawings;
  if (items.size() + count > items.capacity()) items.reserve(std::max(items.size() + count, 2 * items.capacity()));
}

size_t trueBars(const double* cond, int n) {
  size_t count = 0;
  for (int i = 0; i < n; ++i) count += isTrue(cond[i]) ? 1 : 0;
  return count;
}

// The text forms of DRAWTEXT and DRAWNUMBER, read from the argument's node: a string literal,
// CON2STR/VAR2STR of a series with some decimals, or STRCAT of two text forms.
struct TextPiece {
  std::string literal;
  std::vector<double> values;  // empty for a literal
  int decimals = 2;
};

double lastValid(const SeriesValue& v, int n) {
  if (!v.data) return v.constant;
  for (int i = n - 1; i >= 0; --i) {
    if (isValid(v.data[i])) return v.data[i];
  }
  return noValue;
}

bool buildTextForm(EvalContext& ctx, const ExprNode& node, std::vector<TextPiece>& pieces) {
  if (node.kind == NodeString) {
    pieces.push_back({node.string, {}, 0});
    return true;
  }
  if (node.kind != NodeCall) return false;
  if (node.text == "CON2STR" || node.text == "VAR2STR") {
    TextPiece piece;
    piece.values.assign(size_t(ctx.n), noValue);
    if (!node.children.empty()) {
      SeriesValue x = ctx.evaluate(node.children[0]);
      for (int i = 0; i < ctx.n; ++i) piece.values[size_t(i)] = x.data ? x.data[i] : x.constant;
      ctx.releaseValue(x);
    }
    if (node.children.size() > 1) {
      SeriesValue d = ctx.evaluate(node.children[1]);
      piece.decimals = roundToInt(lastValid(d, ctx.n), 2);
      ctx.releaseValue(d);
    }
    piece.decimals = std::clamp(piece.decimals, 0, 6);
    pieces.push_back(std::move(piece));
    return true;
  }
  if (node.text == "STRCAT" && node.children.size() >= 2) {
    return buildTextForm(ctx, node.children[0], pieces) && buildTextForm(ctx, node.children[1], pieces);
  }
  return false;
}

std::string textAt(const std::vector<TextPiece>& pieces, int i) {
  std::string s;
  for (const TextPiece& p : pieces) {
    if (p.values.empty()) {
      s += p.literal;
    } else if (isValid(p.values[size_t(i)])) {
      s += strPrintf("%.*f", p.decimals, p.values[size_t(i)]);
    }
  }
  return s;
}

// DRAWTEXT and DRAWNUMBER: an item at each true bar, at the bar's price.
void textItems(CallArgs& a, double* out, bool number) {
  const double* cond = a.series(0);
  const double* price = a.series(1);
  const double* value = number ? a.series(2) : nullptr;
  std::vector<TextPiece> pieces;
  const ExprNode* textNode = a.node(2);
  const bool hasForm = textNode && buildTextForm(a.ctx, *textNode, pieces);
  fillSeries(out, a.n, 0);
  makeRoom(a, trueBars(cond, a.n));
  for (int i = 0; i < a.n && !a.ctx.failed(); ++i) {
    if (!isTrue(cond[i])) continue;
    std::string text;
    if (hasForm) {
      text = textAt(pieces, i);
    } else if (number) {
      // Without a text form the number is shown bar by bar, where it has a value.
      if (!isValid(value[i])) continue;
      text = strPrintf("%.2f", value[i]);
    }
    if (!addItem(a, ItemText, i, price[i], 0, 0, std::move(text))) return;
  }
}

}  // namespace

void drawicon(CallArgs& a, double* out) {
  const double* cond = a.series(0);
  const double* price = a.series(1);
  const int type = a.period(2, 1);
  fillSeries(out, a.n, 0);
  makeRoom(a, trueBars(cond, a.n));
  for (int i = 0; i < a.n; ++i) {
    if (isTrue(cond[i]) && !addItem(a, ItemIcon, i, price[i], 0, type)) return;
  }
}

void drawtext(CallArgs& a, double* out) { textItems(a, out, false); }
void drawnumber(CallArgs& a, double* out) { textItems(a, out, true); }

// Segments from a bar where COND1 holds to the next later bar where COND2 holds; a further
// COND1 bar does not move an open start.
void drawline(CallArgs& a, double* out) {
  const double* c1 = a.series(0);
  const double* p1 = a.series(1);
  const double* c2 = a.series(2);
  const double* p2 = a.series(3);
  fillSeries(out, a.n, 0);
  int start = -1;
  for (int i = 0; i < a.n; ++i) {
    if (start < 0) {
      if (isTrue(c1[i])) start = i;
    } else if (isTrue(c2[i])) {
      if (!addItem(a, ItemSegment, start, p1[start], p2[i], i)) return;
      start = -1;
    }
  }
}

void stickline(CallArgs& a, double* out) {
  const double* cond = a.series(0);
  const double* p1 = a.series(1);
  const double* p2 = a.series(2);
  const double* width = a.series(3);
  fillSeries(out, a.n, 0);
  makeRoom(a, trueBars(cond, a.n));
  for (int i = 0; i < a.n; ++i) {
    if (!isTrue(cond[i])) continue;
    // A missing width is stored below 1, which the charts draw as a thin stick.
    if (!addItem(a, ItemStick, i, p1[i], p2[i], truncToInt(width[i], 0))) return;
  }
}

void drawband(CallArgs& a, double* out) {
  const double* v1 = a.series(0);
  const double* v2 = a.series(2);
  const int32_t colour1 = truncToInt(a.scalar(1, 0), 0);
  const int32_t colour2 = truncToInt(a.scalar(3, 0), 0);
  fillSeries(out, a.n, 0);
  for (int i = 0; i < a.n; ++i) {
    if (!isValid(v1[i]) || !isValid(v2[i])) continue;
    const int32_t chosen = v1[i] > v2[i] ? colour1 : colour2;
    if (!addItem(a, ItemBandColumn, i, v1[i], v2[i], 0, std::string(), chosen == 0 ? kStatementColour : chosen)) return;
  }
}

void drawsl(CallArgs& a, double* out) {
  const double* cond = a.series(0);
  const double* price = a.series(1);
  const double k = a.scalar(2, 0);
  const int64_t len = std::max(0, a.period(3, 0));
  const int direction = a.period(4, 0);
  const int64_t last = a.n - 1;
  fillSeries(out, a.n, 0);
  for (int i = 0; i < a.n; ++i) {
    if (!isTrue(cond[i]) || !isValid(price[i])) continue;
    if (k >= 9999) {
      if (!addItem(a, ItemStick, i, price[i], price[i], 1)) return;
      continue;
    }
    int64_t s = i, e = std::min<int64_t>(i + len, last);
    if (direction == 1) {
      s = std::max<int64_t>(i - len, 0);
      e = i;
    } else if (direction == 2) {
      s = std::max<int64_t>(i - len, 0);
    }
    if (s == e) continue;
    if (!addItem(a, ItemSegment, int(s), price[i] + double(s - i) * k, price[i] + double(e - i) * k, int32_t(e))) return;
  }
}

void drawnumberfix(CallArgs& a, double* out) {
  fillSeries(out, a.n, 0);
  if (!isTrue(a.scalar(0, noValue))) return;
  addItem(a, ItemText, -1, a.scalar(1, 0), a.scalar(2, 0), a.period(3, 0), strPrintf("%.2f", a.scalar(4, 0)));
}

// Shown only when COND's last value is true, aligned by the fourth argument (right-aligned at
// 1) unless that argument is the text itself.
void drawtextfix(CallArgs& a, double* out) {
  fillSeries(out, a.n, 0);
  if (!isTrue(a.scalar(0, noValue))) return;
  const bool fourthIsText = a.isStringLiteral(3);
  std::string text;
  if (a.isStringLiteral(4)) text = a.node(4)->string;
  else if (fourthIsText) text = a.node(3)->string;
  addItem(a, ItemText, -1, a.scalar(1, 0), a.scalar(2, 0), fourthIsText ? 0 : a.period(3, 0), std::move(text));
}

// A line across the whole plot at each true bar.
void vertline(CallArgs& a, double* out) {
  const double* cond = a.series(0);
  fillSeries(out, a.n, 0);
  makeRoom(a, trueBars(cond, a.n));
  for (int i = 0; i < a.n; ++i) {
    if (isTrue(cond[i]) && !addItem(a, ItemVertLine, i, cond[i], cond[i], 1)) return;
  }
}

// POLYLINE, PLOYLINE, PARTLINE.
void polyline(CallArgs& a, double* out) {
  const double* cond = a.series(0);
  const double* price = a.series(1);
  for (int i = 0; i < a.n; ++i) out[i] = (isTrue(cond[i]) && isValid(price[i])) ? price[i] : noValue;
}

// A candle as two sticks: the thin low-high shadow and the wider open-close body.
void drawkline(CallArgs& a, double* out) {
  const double* high = a.series(0);
  const double* open = a.series(1);
  const double* low = a.series(2);
  const double* close = a.series(3);
  fillSeries(out, a.n, 0);
  makeRoom(a, 2 * size_t(a.n));
  for (int i = 0; i < a.n; ++i) {
    if (!isValid(high[i]) || !isValid(open[i]) || !isValid(low[i]) || !isValid(close[i])) continue;
    if (!addItem(a, ItemStick, i, low[i], high[i], 1)) return;
    if (!addItem(a, ItemStick, i, open[i], close[i], 4)) return;
  }
}

// Coordinates in thousandths of the panel; missing ones are 0.
void drawrectrel(CallArgs& a, double* out) {
  fillSeries(out, a.n, 0);
  const double right = a.scalar(2, 0) / 1000, bottom = a.scalar(3, 0) / 1000;
  if (!std::isfinite(right) || !std::isfinite(bottom)) return;
  const size_t before = a.ctx.drawings->size();
  if (!addItem(a, ItemRelRect, -1, a.scalar(0, 0) / 1000, a.scalar(1, 0) / 1000, 0)) return;
  if (a.ctx.drawings->size() > before) {
    a.ctx.drawings->back().value3 = right;
    a.ctx.drawings->back().value4 = bottom;
  }
}

void drawgbk(CallArgs& a, double* out) {
  fillSeries(out, a.n, 0);
  if (!isTrue(a.scalar(0, noValue))) return;
  const double c1 = a.scalar(1, noValue), c2 = a.scalar(2, noValue);
  int32_t colour = 0;
  if (isValid(c1) && truncToInt(c1, 0) != 0) colour = truncToInt(c1, 0);
  else if (isValid(c2)) colour = truncToInt(c2, 0);
  if (colour == 0) return;
  addItem(a, ItemBackground, -1, 0, 0, 0, std::string(), colour);
}

}  // namespace zor::fn
