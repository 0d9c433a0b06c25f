// The bars that frame the chart: the top toolbar (replay code and date fields, the replay
// buttons, "F12交易"; the real-time caption on the real-time tabs; the training bar on the
// K-line training tabs) and the tab bar of the chart's period, indicator and view buttons.
// Both paint their region and register their buttons' hit areas; the buttons act through
// runPanelAction.
#pragma once

#include "platform/canvas.h"

namespace zor {

struct AppState;
struct LastPainted;

// The top toolbar in `area` (0, 24, W, 60).
void paintToolbar(const AppState& app, Canvas& c, const Rect& area, LastPainted& out);

// The tab bar in `area` (0, 60, W, 96). On the K-line training tabs it has no "分时" button.
void paintTabBar(const AppState& app, Canvas& c, const Rect& area, LastPainted& out);

// The replay speeds of the toolbar's speed buttons 0..5, in milliseconds per frame.
constexpr int kReplaySpeedMs[6] = {2000, 667, 333, 167, 83, 42};

}  // namespace zor
