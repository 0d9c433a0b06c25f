// The areas the main window paints around and below its title strip until their own
// subsystems take them over: the quote-list area of the list view, the chart area and the
// status line with the command message.
#pragma once

#include <string>

#include "chart/chart_context.h"
#include "platform/canvas.h"

namespace zor {

struct AppState;
struct LastPainted;
struct ShellLayout;

constexpr int kQuoteListHeaderHeight = 22;
constexpr int kQuoteListRowHeight = 22;

// Rows a quote list of `height` pixels shows: max(1, (height - 22) / 22).
int quoteListRows(int height);

// The quote list: header row and one row per instrument from `listTop`, each row registering
// a hit area of kind QuoteRow with its instrument index (into `out`, with the list's rectangle
// and row count). Without instruments only the header shows.
void paintQuoteListArea(const AppState& app, Canvas& c, const Rect& area, LastPainted& out);

// The chart view: the K-line chart, or the intraday chart (intradayShown), in the chart area;
// registers their hit areas and keeps their geometry in `out`.
void paintChartArea(const AppState& app, Canvas& c, const ShellLayout& layout, LastPainted& out);
// The crosshair layer over the chart painted last (app.win.painted), at the mouse.
void paintChartOverlay(const AppState& app, Canvas& c);
// True when the crosshair layer shows something with the mouse at (x, y).
bool crosshairShownAt(const LastPainted& painted, int x, int y);

// What the charts read of the application state.
ChartContext chartContextOf(const AppState& app);
// The intraday chart replaces the K-line chart: `trend` is on, no K-line training tab is
// current and the shown instrument is not a running game's.
bool intradayShown(const AppState& app);

// The status line: the composite state line on the left and `statusText` right-aligned.
void paintStatusLine(const AppState& app, Canvas& c, const Rect& area);

// The composite text of the status line at local time `now` ("%04d-%02d-%02d %02d:%02d:%02d").
std::string statusLineText(const AppState& app, const std::string& now);

// The quote list's large-number format: "%.2f亿", "%.1f万", "%.0f", or "" for 0 and less.
std::string largeNumberText(double v);

}  // namespace zor
