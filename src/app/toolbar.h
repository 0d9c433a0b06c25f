// The bars that frame the chart: the top toolbar (replay code and date fields, the replay
// buttons, "F12交易"; the real-time caption on the real-time tabs; the training bar on the
// K-line training tabs) and the tab bar of the chart's period, indicator and view buttons.
// Both paint their region and register their buttons' hit areas; the buttons act through
// runPanelAction.
#pragma once

#include <vector>

#include "app/bar_button.h"
#include "chart/chart_style.h"
#include "chart/view_state.h"
#include "platform/canvas.h"
#include "training/replay_state.h"

namespace zor {

struct AppState;
struct LastPainted;

// The tab bar's buttons in `area`, measured in the bar's font. `trainingTab`: no "分时".
std::vector<BarButton> tabBarLayout(const ChartView& v, bool trainingTab, const Rect& area, TextMeasure& m);

// The replay row's buttons (the fields are not buttons) in the toolbar `area`: the start or
// stop button, "下一天▶", while a replay runs the pause and speed buttons, and "F12交易".
std::vector<BarButton> replayRowLayout(const ReplayState& r, const Rect& area, TextMeasure& m);

// The top toolbar in `area` (0, 24, W, 60).
void paintToolbar(const AppState& app, Canvas& c, const Rect& area, LastPainted& out);

// The tab bar in `area` (0, 60, W, 96). On the K-line training tabs it has no "分时" button.
void paintTabBar(const AppState& app, Canvas& c, const Rect& area, LastPainted& out);

// The replay speeds of the toolbar's speed buttons 0..5, in milliseconds per frame.
constexpr int kReplaySpeedMs[6] = {2000, 667, 333, 167, 83, 42};

}  // namespace zor
