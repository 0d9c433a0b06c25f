#include "app/context_menus.h"

#include "app/app_state.h"
#include "app/commands.h"
#include "app/main_window.h"
#include "app/shell_panels.h"

namespace zor {

namespace {

// The intraday chart's menu: flash trades and its indicator pickers, with their keys shown.
std::vector<MenuEntry> intradayMenu() {
  return {
      {"闪电买入(1)\t21", int(CommandId::FlashBuy)},
      {"闪电卖出(2)\t23", int(CommandId::FlashSell)},
      {},
      {"分时副图指标(指标库)…\tF8", int(CommandId::IntradaySubIndicator)},
      {"分时主图指标(指标库)…", int(CommandId::IntradayMainIndicator)},
  };
}

}  // namespace

bool onRightButtonUp(AppState& app, int x, int y) {
  if (listShown(app) || app.view.tradeView) return false;
  const LastPainted& p = app.win.painted;
  std::vector<MenuEntry> menu;
  if (intradayShown(app) && p.intraday.valid && p.intraday.chartArea.contains(x, y)) {
    menu = intradayMenu();
  } else if ((p.chart.valid && p.chart.chartArea.contains(x, y)) ||
             (p.intraday.valid && p.intraday.chartArea.contains(x, y))) {
    // Drawings answer the right button with their own menu once they exist.
    menu = periodMenu(app);
  } else {
    return false;
  }
  int id = app.ui->popupMenu(menu, x, y);
  if (id != 0) runCommand(app, id);
  return true;
}

}  // namespace zor
