#include "app/commands.h"

#include <algorithm>
#include <iterator>

#include "app/app_state.h"
#include "app/setup_dialogs.h"
#include "platform/text.h"

namespace zor {

namespace {

void tradeRule(AppState& app, bool tPlusOne) { setStatus(app, setTradeRule(app.trading, tPlusOne)); }

// A cancelled dialog, or a save that failed, leaves the table as it was.
void editDataDirs(AppState& app) {
  if (dataDirDialog(app, DataDirOrigin::Menu) == DataDirOutcome::Saved) rebuildInstrumentTable(app);
}

// Asks first: the reset cannot be undone. The training account is not touched.
void oneKeyResetCommand(AppState& app) {
  int answer = app.ui->messageBox(
      "确定要执行「一键重置」吗？\n\n此操作将清空：\n  · 当日委托 / 历史委托\n  · 当日成交 / 历史成交\n"
      "  · 全部持仓，现金恢复为初始 100 万\n\n该操作不可恢复！\n\n【是】确认重置    【否】取消",
      "一键重置确认", MsgWarning | MsgYesNo);
  if (answer == ResultYes) setStatus(app, oneKeyReset(app.trading));
}

void toggleTradeMarkers(AppState& app) {
  app.view.dealMarks = !app.view.dealMarks;
  setStatus(app, app.view.dealMarks ? "成交标记已开启：B=买入(红) / S=卖出(绿)" : "成交标记已关闭");
}

// The chart's period menu: the period, the K-line chart, the newest bars at the automatic zoom.
template <int kPeriod>
void choosePeriod(AppState& app) {
  app.view.period = kPeriod;
  app.view.trend = false;
  app.view.scrollBack = 0;
  app.view.barCount = 0;
}

// Keep sorted by id: findCommand searches by halves.
constexpr CommandRow kCommands[] = {
    {CommandId::PeriodDay, "日线", choosePeriod<zor::PeriodDay>, nullptr},
    {CommandId::PeriodWeek, "周线", choosePeriod<zor::PeriodWeek>, nullptr},
    {CommandId::PeriodMonth, "月线", choosePeriod<zor::PeriodMonth>, nullptr},
    {CommandId::PeriodMin60, "60分钟", choosePeriod<zor::PeriodMin60>, nullptr},
    {CommandId::PeriodMin30, "30分钟", choosePeriod<zor::PeriodMin30>, nullptr},
    {CommandId::PeriodMin15, "15分钟", choosePeriod<zor::PeriodMin15>, nullptr},
    {CommandId::PeriodMin5, "5分钟", choosePeriod<zor::PeriodMin5>, nullptr},
    {CommandId::PeriodMin1, "1分钟", choosePeriod<zor::PeriodMin1>, nullptr},
    {CommandId::FlashBuy, "闪电买入(1)", nullptr, nullptr},
    {CommandId::FlashSell, "闪电卖出(2)", nullptr, nullptr},
    {CommandId::ContinueTraining, "继续训练", nullptr, nullptr},
    {CommandId::CancelOrder, "撤销委托", nullptr, nullptr},
    {CommandId::DataDirs, "数据配置(D)...", editDataDirs, nullptr},
    {CommandId::TPlusOne, "T+1 交易规则（当日买入不可卖）", [](AppState& a) { tradeRule(a, true); },
     [](const AppState& a) { return a.trading.tPlusOne; }},
    {CommandId::Funds, "", nullptr, nullptr},
    {CommandId::TPlusZero, "T+0 交易规则（当日可回转）", [](AppState& a) { tradeRule(a, false); },
     [](const AppState& a) { return !a.trading.tPlusOne; }},
    {CommandId::CustomerInfo, "客户信息（姓名/账号）...", nullptr, nullptr},
    {CommandId::OneKeyReset, "一键重置（清空交易记录并还原）...", oneKeyResetCommand, nullptr},
    {CommandId::UpdateCheck, "在线更新（检查新版本）(U)...", nullptr, nullptr},
    {CommandId::TradeMarkers, "显示成交标记(B/S)", toggleTradeMarkers,
     [](const AppState& a) { return a.view.dealMarks; }},
    {CommandId::ToolTrendLine, "直线/趋势线", nullptr, nullptr},
    {CommandId::ToolHorizontalLine, "水平线(价位)", nullptr, nullptr},
    {CommandId::ToolVerticalLine, "竖线(时间)", nullptr, nullptr},
    {CommandId::ToolGoldenSection, "黄金分割", nullptr, nullptr},
    {CommandId::ToolPercentLines, "百分比线", nullptr, nullptr},
    {CommandId::ToolParallelChannel, "平行通道", nullptr, nullptr},
    {CommandId::ToolRectangle, "矩形框", nullptr, nullptr},
    {CommandId::ToolEllipse, "圆/椭圆", nullptr, nullptr},
    {CommandId::ToolArc, "圆弧", nullptr, nullptr},
    {CommandId::ToolTextNote, "文字标注", nullptr, nullptr},
    {CommandId::ToolUpArrow, "向上箭头", nullptr, nullptr},
    {CommandId::ToolDownArrow, "向下箭头", nullptr, nullptr},
    {CommandId::ClearDrawings, "清空画线", nullptr, nullptr},
    {CommandId::ToggleDrawings, "隐藏/显示画线(Alt+F11)", nullptr, nullptr},
    {CommandId::UndoDrawing, "撤销上一步(Ctrl+Z)", nullptr, nullptr},
    {CommandId::DrawingToolbar, "画线工具栏(Alt+F12 / F9)…", nullptr, nullptr},
    {CommandId::DrawingProperties, "单根画线属性设置(Ctrl+D)…", nullptr, nullptr},
    {CommandId::DefaultDrawingProperties, "默认新画线属性…", nullptr, nullptr},
    {CommandId::ToggleDrawingLock, "锁定画线", nullptr, nullptr},
    {CommandId::ToggleDrawingVisible, "隐藏本条", nullptr, nullptr},
    {CommandId::DeleteDrawing, "删除此画线", nullptr, nullptr},
    {CommandId::IntradaySubIndicator, "分时副图指标(指标库)…", nullptr, nullptr},
    {CommandId::IntradayMainIndicator, "分时主图指标(指标库)…", nullptr, nullptr},
};

constexpr CommandId kSettingsMenu[] = {
    CommandId::DataDirs,    CommandId::None,        CommandId::TPlusOne,     CommandId::TPlusZero,
    CommandId::None,        CommandId::TradeMarkers, CommandId::CustomerInfo, CommandId::None,
    CommandId::OneKeyReset, CommandId::None,        CommandId::UpdateCheck,
};

constexpr CommandId kDrawingMenu[] = {
    CommandId::DrawingToolbar,      CommandId::None,
    CommandId::ToolTrendLine,       CommandId::ToolHorizontalLine,
    CommandId::ToolVerticalLine,    CommandId::ToolGoldenSection,
    CommandId::ToolPercentLines,    CommandId::ToolParallelChannel,
    CommandId::ToolRectangle,       CommandId::ToolEllipse,
    CommandId::ToolArc,             CommandId::ToolTextNote,
    CommandId::ToolUpArrow,         CommandId::ToolDownArrow,
    CommandId::None,                CommandId::DrawingProperties,
    CommandId::DefaultDrawingProperties, CommandId::None,
    CommandId::UndoDrawing,         CommandId::ClearDrawings,
    CommandId::ToggleDrawings,
};

constexpr CommandId kPeriodMenu[] = {
    CommandId::PeriodDay,   CommandId::PeriodWeek,  CommandId::PeriodMonth, CommandId::None,
    CommandId::PeriodMin1,  CommandId::PeriodMin5,  CommandId::PeriodMin15, CommandId::PeriodMin30,
    CommandId::PeriodMin60,
};

}  // namespace

const CommandRow* findCommand(int id) {
  auto it = std::lower_bound(std::begin(kCommands), std::end(kCommands), id,
                             [](const CommandRow& r, int v) { return int(r.id) < v; });
  return it != std::end(kCommands) && int(it->id) == id ? &*it : nullptr;
}

std::vector<MenuEntry> commandMenu(const AppState& app, std::span<const CommandId> ids) {
  std::vector<MenuEntry> out;
  out.reserve(ids.size());
  for (CommandId id : ids) {
    const CommandRow* row = id == CommandId::None ? nullptr : findCommand(int(id));
    if (!row) {
      out.push_back({});  // separator
      continue;
    }
    out.push_back({row->text, int(row->id), row->checked && row->checked(app)});
  }
  return out;
}

std::vector<MenuEntry> settingsMenu(const AppState& app) { return commandMenu(app, kSettingsMenu); }
std::vector<MenuEntry> drawingMenu(const AppState& app) { return commandMenu(app, kDrawingMenu); }
std::vector<MenuEntry> periodMenu(const AppState& app) { return commandMenu(app, kPeriodMenu); }

void runCommand(AppState& app, int id) {
  const CommandRow* row = findCommand(id);
  if (row && row->run) row->run(app);
  app.ui->requestRepaint();
}

}  // namespace zor
