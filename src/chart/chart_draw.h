// Small builders of draw data shared by the charts: placed texts, the panel menu glyph, dotted
// grid lines, number texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "chart/chart_style.h"
#include "chart/draw_list.h"

namespace zor {

// Texts with their top at y that start at x, are centred on x, or end at x. Each returns the
// text's width.
int textLeft(DrawList& out, TextMeasure& m, const Font& f, int x, int y, std::string_view s, Color c);
int textCenter(DrawList& out, TextMeasure& m, const Font& f, int x, int y, std::string_view s, Color c);
int textRight(DrawList& out, TextMeasure& m, const Font& f, int x, int y, std::string_view s, Color c);

// Grid-red dots `on` pixels long every `on + off` pixels from x0 up to x1 at row y.
void dottedHLine(DrawList& out, int x0, int x1, int y, int on, int off);

// The 12 x 12 grey disc with a dark chevron that opens a panel's indicator menu; its rows span
// y - 6 .. y + 5 and it is centred on x + 6. Without `chevron` the disc alone.
void panelMenuGlyph(DrawList& out, int x, int y, bool chevron = true);

// "%.2f" and friends into a std::string.
std::string fixed(double v, int decimals);

// Parameter values as a title shows them: each "%g", joined by ",".
std::string joinValues(const std::vector<double>& values);

}  // namespace zor
