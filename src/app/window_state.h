// The main window's part of the application state: mouse, hover and press state, focus, the
// command message line, and what the last paint measured.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "chart/chart_geometry.h"
#include "platform/canvas.h"
#include "platform/hit_area.h"

namespace zor {

class DialogHost;

constexpr size_t kStatusMax = 255;  // statusText, in bytes

constexpr int kMenuBarItems = 7;
constexpr int kCaptionSlots = 3;
constexpr int kQuoteListColumns = 14;

// What a paint measured, returned by the painter and kept until the next paint. Clicks, hover
// and the quote-list refresh read it, so that they always refer to what the user sees.
struct LastPainted {
  int clientW = 0, clientH = 0;
  std::vector<HitArea> hitAreas;                     // in painting order; the first hit wins
  std::array<HitArea, kMenuBarItems> menuRects{};    // the menu-bar items
  std::array<HitArea, kCaptionSlots> captionRects{};  // minimise, maximise/restore, close
  Rect quoteList;    // the quote list's rectangle in list view, empty otherwise
  int listRows = 0;  // rows the quote list shows: max(1, (height - 22) / 22), 0 when not shown
  Rect listHeader;   // the quote list's header row; a click there sorts by the column under it
  int listColumns = 0;                                 // columns shown, at least 3
  std::array<int, kQuoteListColumns> listColumnRight{};  // right edge of each column shown
  ChartGeometry chart;         // the K-line chart as painted (crosshair, panel clicks, zoom)
  IntradayGeometry intraday;   // the intraday chart as painted (crosshair)
};

struct WindowState {
  void* mainWnd = nullptr;  // the platform's window handle
  LastPainted painted;
  HitRef hover;    // the press-and-release button under the mouse
  HitRef pressed;  // the press-and-release button held down
  int openMenu = -1;   // menu-bar item whose pop-up is open
  int hoverMenu = -1;  // menu-bar item under the mouse
  std::array<bool, kCaptionSlots> captionHover{};
  std::array<bool, kCaptionSlots> captionPressed{};
  bool maximized = false;
  int mouseX = 0, mouseY = 0;
  bool mouseInside = false;
  bool blink = false;
  bool panelFieldFocused = false;
  int tradeFocus = 0;  // focused trading-panel field, 0 none
  bool tradePanelClosed = false;
  std::string statusText;  // one-line confirmations and errors of commands
  // The platform's dialog runner (none in tools and headless tests), and how many windows that
  // return a result are open: while any is, the main window takes no keyboard or mouse input.
  DialogHost* dialogs = nullptr;
  int modalDepth = 0;
  int screenW = 1280;           // width of the whole display in pixels (quote-list column scale)
  bool inSizeMove = false;      // the user is dragging or sizing the window
  bool placementDirty = false;  // a placement change waits for the end of that drag
};

}  // namespace zor
