// Colours, fonts and the small shared shapes of every chart (K-line, indicator panels,
// intraday chart, crosshair).
#pragma once

#include "platform/canvas.h"

namespace zor {

// ---- colours ----
constexpr Color kChartBackground = rgb(0, 0, 0);
constexpr Color kGridRed = rgb(176, 0, 0);        // grid, axis lines and separators
constexpr Color kAxisLabel = rgb(255, 50, 50);    // value labels, the volume unit box
constexpr Color kSilver = rgb(192, 192, 192);     // titles and neutral text
constexpr Color kRising = rgb(255, 0, 0);         // close >= open, positive MACD bars
constexpr Color kFalling = rgb(0, 255, 255);      // close < open, negative MACD bars
constexpr Color kReadoutFill = rgb(0, 0, 128);    // crosshair read-out boxes
constexpr Color kEmptyMessage = rgb(200, 204, 212);
constexpr Color kStripHighlight = rgb(84, 255, 255);
constexpr Color kWhite = rgb(255, 255, 255);
constexpr Color kYellow = rgb(255, 255, 0);
constexpr Color kMagenta = rgb(255, 0, 255);
constexpr Color kGlyphDisc = rgb(120, 120, 120);
constexpr Color kGlyphMarkLight = rgb(80, 80, 80);
constexpr Color kGlyphMarkDark = rgb(20, 20, 20);

// The eight moving averages of the main panel, in period order.
constexpr Color kMaColors[8] = {rgb(255, 255, 255), rgb(255, 255, 0), rgb(255, 0, 255), rgb(0, 255, 0),
                                rgb(0, 255, 255),   rgb(0, 128, 255), rgb(192, 192, 192), rgb(255, 160, 64)};
// BOLL middle, upper, lower band.
constexpr Color kBollColors[3] = {rgb(255, 220, 90), rgb(200, 160, 255), rgb(80, 200, 120)};
// Formula lines and labels without a colour of their own, by line number mod 6.
constexpr Color kLinePalette[6] = {rgb(255, 255, 255), rgb(255, 255, 0), rgb(255, 0, 255),
                                   rgb(0, 255, 0),     rgb(0, 255, 255), rgb(255, 128, 0)};

inline Color paletteColor(size_t line) { return kLinePalette[line % 6]; }
// A formula colour (0xRRGGBB, negative for none) or the fallback.
inline Color formulaColor(int32_t colour, Color fallback) { return colour >= 0 ? Color(colour & 0xFFFFFF) : fallback; }

// ---- fonts ----
// Axis labels, date strip, crosshair and indicator strip.
inline Font axisFont() { return Font{"Microsoft YaHei UI", 12, false}; }
// Titles and value labels of the volume and sub panels, formula texts.
inline Font panelFont() { return Font{"Microsoft YaHei UI", 12, false}; }
// The main panel's title line and the intraday title.
inline Font titleFont() { return Font{"SimSun", 12, false}; }
// The B and S of deal marks.
inline Font markFont() { return Font{"Arial", 14, true}; }
// The intraday chart's labels and sub panels.
inline Font intradayFont() { return Font{"Arial", 12, false}; }
// Messages of an empty chart: the window's default font.
inline Font messageFont() { return Font{"Microsoft YaHei UI", 14, false}; }

// Text extents in a given font. Layout measures through this so that it can be computed
// before (and apart from) painting.
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  virtual Size size(const Font& f, std::string_view text) = 0;
  int width(const Font& f, std::string_view text) { return size(f, text).cx; }
};

// Measures with a canvas's own fonts.
class CanvasMeasure : public TextMeasure {
 public:
  explicit CanvasMeasure(Canvas& c) : c_(c) {}
  Size size(const Font& f, std::string_view text) override {
    c_.setFont(f);
    return c_.textSize(text);
  }

 private:
  Canvas& c_;
};

}  // namespace zor
