// Where the main window opens and when its placement is saved to zor.cfg.
//
// Coordinates are virtual-screen pixels (the process is DPI-aware, so they are physical).
// The saved rectangle is the window's normal (restored) rectangle; WIN_MAX says whether it was
// maximised on top of that.
#pragma once

#include <vector>

#include "platform/canvas.h"

namespace zor {

struct AppState;
struct Config;

struct MonitorArea {
  Rect monitor;  // the whole monitor
  Rect work;     // without the task bar and docked bars
  bool primary = false;
};

struct StartPlacement {
  Rect rect;
  bool maximized = false;
};

constexpr int kDefaultWindowWidth = 1180;
constexpr int kDefaultWindowHeight = 720;
// A saved placement is saved again only when it is at least this large.
constexpr int kMinSavedWidth = 200;
constexpr int kMinSavedHeight = 120;

// The start placement from the saved WIN_* values and the attached monitors. The saved
// rectangle is used when a 100 x 24 pixel piece of its top strip (the part that can be
// grabbed) lies in some work area; its left and top edges are then clamped to the work area
// of the monitor it overlaps most. Otherwise the window opens 1180 x 720 centred in the
// primary work area, and a saved maximised state is ignored.
StartPlacement chooseStartPlacement(const Config& cfg, const std::vector<MonitorArea>& monitors);

// The window moved or changed size (outer rectangle in screen coordinates).
struct WindowPos {
  int x = 0, y = 0, w = 0, h = 0;
  bool maximized = false;
  bool minimized = false;
};

// The placement functions return true when they saved zor.cfg. While the user drags or sizes
// the window, changes are only remembered and saved once when the drag ends. A failed save
// writes the failure into statusText.
bool onWindowPosChanged(AppState& app, const WindowPos& pos);
void onEnterSizeMove(AppState& app);
bool onExitSizeMove(AppState& app);

// The main window is being destroyed: stores its normal rectangle (when at least 200 x 120)
// and the maximised state, saves zor.cfg and stops the real-time timer.
bool onMainWindowDestroyed(AppState& app, const Rect& normal, bool maximized);

}  // namespace zor
