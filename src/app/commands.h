// The command table: every menu entry, accelerator and toolbar button of the main window runs
// a row of this table, so that a menu and a key for one action can never drift apart.
//
// CONTRACT: the numeric ids are the menu command ids of the platform menus, and scenarios and
// the message trace name them. Never renumber; add rows with new ids.
#pragma once

#include <span>
#include <vector>

#include "platform/ui.h"

namespace zor {

struct AppState;

enum class CommandId : int {
  None = 0,
  // Chart context menu: the periods.
  PeriodDay = 6000,
  PeriodWeek = 6001,
  PeriodMonth = 6002,
  PeriodMin60 = 6003,
  PeriodMin30 = 6004,
  PeriodMin15 = 6005,
  PeriodMin5 = 6006,
  PeriodMin1 = 6007,
  // Intraday chart context menu.
  FlashBuy = 7000,
  FlashSell = 7001,
  // Trading panel context menus.
  ContinueTraining = 8000,
  CancelOrder = 8100,
  // 设置(S) and the menu-bar items that act at once.
  DataDirs = 9000,
  TPlusOne = 9001,
  Funds = 9002,
  TPlusZero = 9003,
  CustomerInfo = 9004,
  OneKeyReset = 9005,
  UpdateCheck = 9006,
  TradeMarkers = 9007,
  // 画图(H): the tools 9100..9111 select a drawing tool.
  ToolTrendLine = 9100,
  ToolHorizontalLine = 9101,
  ToolVerticalLine = 9102,
  ToolGoldenSection = 9103,
  ToolPercentLines = 9104,
  ToolParallelChannel = 9105,
  ToolRectangle = 9106,
  ToolEllipse = 9107,
  ToolArc = 9108,
  ToolTextNote = 9109,
  ToolUpArrow = 9110,
  ToolDownArrow = 9111,
  ClearDrawings = 9120,
  ToggleDrawings = 9121,
  UndoDrawing = 9122,
  DrawingToolbar = 9130,
  DrawingProperties = 9131,
  DefaultDrawingProperties = 9132,
  ToggleDrawingLock = 9140,
  ToggleDrawingVisible = 9141,
  DeleteDrawing = 9142,
  IntradaySubIndicator = 9200,
  IntradayMainIndicator = 9201,
};

struct CommandRow {
  CommandId id;
  const char* text;                      // the menu text ("" for commands without a menu entry)
  void (*run)(AppState&);                // nullptr: the owning subsystem has not arrived yet
  bool (*checked)(const AppState&);      // nullptr: never checked
};

// The row of `id`, or nullptr for an id outside the table.
const CommandRow* findCommand(int id);

// A pop-up menu of the given commands in order; CommandId::None is a separator.
std::vector<MenuEntry> commandMenu(const AppState& app, std::span<const CommandId> ids);

// The pop-up menus of the 设置(S) and 画图(H) items and the chart's period menu.
std::vector<MenuEntry> settingsMenu(const AppState& app);
std::vector<MenuEntry> drawingMenu(const AppState& app);
std::vector<MenuEntry> periodMenu(const AppState& app);

// Runs a command; every command ends with a repaint. Unknown ids only repaint.
void runCommand(AppState& app, int id);

}  // namespace zor
