// The right button's menus: the intraday chart's own menu, and the K-line or intraday chart's
// period menu elsewhere on a chart. The chosen entry runs its command at once.
#pragma once

namespace zor {

struct AppState;

// The right button was released at client point (x, y); true when a menu was shown.
bool onRightButtonUp(AppState& app, int x, int y);

}  // namespace zor
