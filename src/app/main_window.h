// The main window's portable half: painting its title strip, menu bar and caption buttons,
// the views below them, and the mouse, timer and placement handling. The window procedure
// (platform/win32) only translates messages into these calls and carries out the returned
// window actions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/window_state.h"
#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/ui.h"

namespace zor {

struct AppState;

constexpr int kTitleStripHeight = 24;
constexpr int kStatusLineHeight = 24;
constexpr int kMenuBarLeft = 30;    // x of the first menu-bar item
constexpr int kMenuItemPad = 14;    // item width = text width + pad, at least kMenuItemMinWidth
constexpr int kMenuItemMinWidth = 48;
constexpr int kMenuItemGap = 8;
constexpr int kCaptionRightMargin = 12;  // caption buttons end this far from the right edge

// Keep in the order of the menu bar.
enum MenuBarItem { MenuSettings, MenuFunds, MenuDrawing, MenuReplay, MenuMode, MenuDataApi, MenuAbout, kMenuBarItemCount };
static_assert(kMenuBarItemCount == kMenuBarItems);
const char* menuBarText(int item);

enum CaptionSlot { CaptionMinimize, CaptionMaximize, CaptionClose, kCaptionSlotCount };
static_assert(kCaptionSlotCount == kCaptionSlots);

// What the window must repaint after an event. Crosshair redraws only the crosshair layer over
// the picture painted last.
enum class Repaint { None, TitleStrip, Crosshair, All };

// What the window procedure carries out after a mouse event.
enum class WindowAction { None, Minimize, MaximizeOrRestore, Close };

struct MouseResult {
  Repaint repaint = Repaint::None;
  WindowAction action = WindowAction::None;
  bool capture = false;  // capture the mouse until the button is released
  int menuItem = -1;     // a menu-bar item to open (openMenuBarItem)
};

// Regions of the client area below the title strip, computed from the client size.
struct ShellLayout {
  Rect titleStrip;
  Rect toolbar;     // (0, 24, W, 60)
  Rect tabBar;      // (0, 60, W, 96)
  Rect sidePanel;   // the quote panel: (W - 235, 96, W, H - 48)
  Rect quoteList;   // list view: from the toolbar's bottom to the index strip
  Rect indexStrip;  // (0, H - 46, W, H - 24)
  Rect statusLine;  // the bottom 24 pixels
};
ShellLayout shellLayout(int clientW, int clientH);

// Everything a paint needs is decided here, before painting: a chart view without instruments
// falls back to the list, a selected instrument out of range becomes 0, and the selected
// instrument's bars are loaded.
void prepareFrame(AppState& app);
// Paints the whole client area (the canvas is the off-screen picture of the client size) and
// returns what it measured. Reads the state only: no file is touched, nothing is changed.
LastPainted paintMainWindow(const AppState& app, Canvas& canvas);
// A frame as the window shows it: onPaintPicture, then the crosshair layer (paintOverlay).
void onPaint(AppState& app, Canvas& canvas);
// The picture below the crosshair layer: prepareFrame, paintMainWindow, and the result kept as
// `app.win.painted` for the clicks and timers that follow.
void onPaintPicture(AppState& app, Canvas& canvas);
// The crosshair layer at the mouse over the picture painted last. Reads the state only.
void paintOverlay(const AppState& app, Canvas& canvas);
// The list view shows: listView is set outside the K-line training tabs, or there are no
// instruments.
bool listShown(const AppState& app);

// Creation: timers 1 (700 ms) and 3 (3,000-6,000 ms); `seed` reseeds the random generator.
void onCreate(AppState& app, uint32_t seed);

// Non-client hit test of a client point: true where the title strip acts as a caption (drag,
// double-click maximises), false over the menu-bar items, the caption buttons and below.
bool isCaptionPoint(const AppState& app, int x, int y);

MouseResult onMouseMove(AppState& app, int x, int y);
Repaint onMouseLeave(AppState& app);
MouseResult onLeftButtonDown(AppState& app, int x, int y, unsigned keys);
MouseResult onLeftButtonUp(AppState& app, int x, int y);
MouseResult onLeftDoubleClick(AppState& app, int x, int y, unsigned keys);
// The mouse capture ended without a button release (another window took it).
Repaint onCaptureLost(AppState& app);
// The wheel turned by `delta` (120 a notch, positive away from the user) with `keys` held
// (KeyControl): over the K-line chart, zoom, or with Ctrl scroll 20 bars per notch.
Repaint onMouseWheel(AppState& app, int delta, unsigned keys);

constexpr unsigned KeyControl = 0x0008;  // the platform's MK_CONTROL

// Opens a menu-bar item: its pop-up (shown open until the pop-up closes) or its action.
void openMenuBarItem(AppState& app, int item, int x);
// Runs a menu command (runCommand of the command table); every command ends with a repaint.
void onCommand(AppState& app, int id);

// Like selectStock, and shows the K-line chart of that instrument on the daily period.
void openStock(AppState& app, int index);

// Monday to Friday, 09:30-11:30 or 13:00-15:00, both ends included.
bool isTradingTime(const LocalTime& t);

}  // namespace zor
