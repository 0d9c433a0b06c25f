// The areas the main window paints below its title strip: the chart area and the status line
// with the command message.
#pragma once

#include <string>

#include "app/quote_list.h"
#include "chart/chart_context.h"
#include "platform/canvas.h"

namespace zor {

struct AppState;
struct LastPainted;
struct ShellLayout;

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

}  // namespace zor
