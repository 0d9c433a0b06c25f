#include "app/main_window.h"

#include <algorithm>
#include <array>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/hit_dispatch.h"
#include "app/setup_dialogs.h"
#include "app/shell_panels.h"
#include "app/startup.h"
#include "app/quote_panel.h"
#include "app/index_strip.h"
#include "app/toolbar.h"
#include "chart/chart_layout.h"
#include "app/timers.h"
#include "chart/chart_navigation.h"
#include "formula/formula_store.h"
#include "platform/random.h"
#include "platform/text.h"
#include "platform/trace_log.h"

namespace zor {

namespace {

// Keep in the order of MenuBarItem.
constexpr const char* kMenuBarTexts[kMenuBarItemCount] = {"设置(S)", "资金(Z)", "画图(H)", "复盘(G)",
                                                          "训练模式(M)", "数据接口", "关于(A)"};

constexpr Color kMenuOpenFill = rgb(169, 205, 245);
constexpr Color kMenuHoverFill = rgb(214, 232, 251);
constexpr Color kMenuOutline = rgb(58, 141, 229);

const HitArea* firstHitAt(const AppState& app, int x, int y) {
  for (const HitArea& h : app.win.painted.hitAreas)
    if (h.contains(x, y)) return &h;
  return nullptr;
}

// The menu-bar item rectangles for the current font metrics.
std::array<Rect, kMenuBarItemCount> menuBarLayout(Canvas& c) {
  std::array<Rect, kMenuBarItemCount> rects{};
  c.setFont(Font{"Microsoft YaHei", 14, false});
  int x = kMenuBarLeft;
  for (int i = 0; i < kMenuBarItemCount; ++i) {
    int w = std::max(kMenuItemMinWidth, c.textSize(kMenuBarTexts[i]).cx + kMenuItemPad);
    rects[size_t(i)] = Rect{x, 0, x + w, kTitleStripHeight};
    x += w + kMenuItemGap;
  }
  return rects;
}

// The title is centred in the strip; in a window too narrow for that it starts after the menu
// bar instead of running under the items, and it never runs under the caption buttons.
void paintTitleStrip(Canvas& c, int menuRight, int buttonsLeft) {
  int w = c.width();
  c.fillRect(Rect{0, 0, w, kTitleStripHeight}, c.systemColor(SysColor::Menu));
  c.line(Point{0, kTitleStripHeight - 1}, Point{w, kTitleStripHeight - 1}, Pen{c.systemColor(SysColor::ButtonShadow)});
  c.icon(5, 4, 16);
  c.setFont(Font{"Microsoft YaHei", 15, true});
  int tw = c.textSize(kProgramTitle).cx;
  Color text = c.systemColor(SysColor::MenuText);
  if ((w - tw) / 2 >= menuRight + kMenuItemGap) {
    c.textInRect(Rect{0, 0, w, kTitleStripHeight}, kProgramTitle, text, AlignCenter | AlignVCenter);
    return;
  }
  Rect r{menuRight + kMenuItemGap, 0, std::max(menuRight + kMenuItemGap, buttonsLeft), kTitleStripHeight};
  c.pushClip(r);
  c.textInRect(r, kProgramTitle, text, AlignLeft | AlignVCenter);
  c.popClip();
}

void paintMenuBar(const AppState& app, Canvas& c, const std::array<Rect, kMenuBarItemCount>& rects, LastPainted& out) {
  c.setFont(Font{"Microsoft YaHei", 14, false});
  Color text = c.systemColor(SysColor::MenuText);
  for (int i = 0; i < kMenuBarItemCount; ++i) {
    const Rect& r = rects[size_t(i)];
    if (i == app.win.openMenu || i == app.win.hoverMenu) {
      c.fillRect(r, i == app.win.openMenu ? kMenuOpenFill : kMenuHoverFill);
      c.frameRect(r, kMenuOutline, 1);
    }
    c.textInRect(r, kMenuBarTexts[i], text, AlignCenter | AlignVCenter);
    HitArea h = HitArea::of(r, HitKind::MenuBarItem, i);
    out.menuRects[size_t(i)] = h;
    out.hitAreas.push_back(h);
  }
}

void paintCaptionButtons(const AppState& app, Canvas& c, LastPainted& out) {
  Size s = c.captionButtonSize();
  int bw = std::max(1, s.cx);
  // Large system metrics (high DPI) still have to fit the fixed 24-pixel strip.
  int bh = std::clamp(s.cy, 1, kTitleStripHeight);
  int x0 = c.width() - 3 * bw - kCaptionRightMargin;
  int top = (kTitleStripHeight - bh) / 2;
  for (int i = 0; i < kCaptionSlotCount; ++i) {
    Rect r{x0 + i * bw, top, x0 + (i + 1) * bw, top + bh};
    CaptionButton kind = i == CaptionMinimize   ? CaptionButton::Minimize
                         : i == CaptionMaximize ? (app.win.maximized ? CaptionButton::Restore : CaptionButton::Maximize)
                                                : CaptionButton::Close;
    size_t k = size_t(i);
    ButtonState state = app.win.captionPressed[k] ? ButtonState::Pressed
                        : app.win.captionHover[k] ? ButtonState::Hot
                                                  : ButtonState::Normal;
    c.captionButton(r, kind, state);
    HitArea h = HitArea::of(r, HitKind::CaptionButton, i);
    out.captionRects[k] = h;
    out.hitAreas.push_back(h);
  }
}

WindowAction captionAction(int slot) {
  switch (slot) {
    case CaptionMinimize: return WindowAction::Minimize;
    case CaptionMaximize: return WindowAction::MaximizeOrRestore;
    default: return WindowAction::Close;
  }
}

}  // namespace

const char* menuBarText(int item) { return item >= 0 && item < kMenuBarItemCount ? kMenuBarTexts[item] : ""; }

ShellLayout shellLayout(int w, int h) {
  auto band = [w](int top, int bottom) { return Rect{0, top, w, std::max(top, bottom)}; };
  ShellLayout l;
  l.titleStrip = band(0, kTitleStripHeight);
  l.toolbar = band(kTitleStripHeight, 60);
  l.tabBar = band(60, kChartTop);
  l.sidePanel = Rect{w - kSidePanelWidth, kChartTop, w, std::max(kChartTop, h - kChartBottomMargin)};
  l.indexStrip = band(std::max(60, h - 46), h - kStatusLineHeight);
  l.statusLine = band(std::max(60, h - kStatusLineHeight), h);
  l.quoteList = band(60, l.indexStrip.top);
  return l;
}

bool listShown(const AppState& app) {
  // A game's tabs have no list: it would show the game's instrument with its quote.
  return app.market.stocks.empty() || (app.view.listView && !isKlineTrainingTab(app.mode.tradeTab));
}

void prepareFrame(AppState& app) {
  prepareIndexStrip(app);
  if (!app.view.listView && app.market.stocks.empty()) {
    // A chart needs an instrument: fall back to the list at once rather than a black frame.
    app.view.listView = true;
    app.view.barCount = 0;
  }
  if (!listShown(app)) {
    if (!app.market.valid(app.view.curIdx)) app.view.curIdx = 0;
    loadStockOnDemand(app, app.view.curIdx);
    // The charts look their formulas up while painting; the user's file is read before.
    loadUserFormulas(userFormulaStore());
  }
}

LastPainted paintMainWindow(const AppState& app, Canvas& c) {
  LastPainted out;
  int w = c.width(), h = c.height();
  out.clientW = w;
  out.clientH = h;
  c.fillRect(Rect{0, 0, w, h}, rgb(0, 0, 0));
  std::array<Rect, kMenuBarItemCount> menu = menuBarLayout(c);
  int buttonsLeft = w - 3 * std::max(1, c.captionButtonSize().cx) - kCaptionRightMargin;
  paintTitleStrip(c, menu.back().right, buttonsLeft);
  paintMenuBar(app, c, menu, out);
  paintCaptionButtons(app, c, out);
  c.setFont(Font{"Microsoft YaHei UI", 14, false});
  ShellLayout layout = shellLayout(w, h);

  // The trading view arrives with the trading panel; until then it shows the view above it.
  paintToolbar(app, c, layout.toolbar, out);
  if (listShown(app)) {
    paintQuoteList(app, c, layout.quoteList, out);
    paintCodeEntryBox(app, c);
  } else {
    paintTabBar(app, c, layout.tabBar, out);
    paintChartArea(app, c, layout, out);
    paintQuotePanel(app, c, layout.sidePanel);
  }
  paintIndexStrip(app, c, layout.indexStrip);
  paintStatusLine(app, c, layout.statusLine);
  return out;
}

void onPaint(AppState& app, Canvas& c) {
  onPaintPicture(app, c);
  paintOverlay(app, c);
}

void onPaintPicture(AppState& app, Canvas& c) {
  prepareFrame(app);
  app.win.painted = paintMainWindow(app, c);
}

void paintOverlay(const AppState& app, Canvas& c) { paintChartOverlay(app, c); }

void onCreate(AppState& app, uint32_t seed) {
  startTimer(app, TimerId::Blink);
  seedRandom(seed);
  startTimer(app, TimerId::LiveFetch);
}

bool isCaptionPoint(const AppState& app, int x, int y) {
  if (y < 0 || y >= kTitleStripHeight) return false;
  for (const HitArea& r : app.win.painted.menuRects)
    if (r.contains(x, y)) return false;
  for (const HitArea& r : app.win.painted.captionRects)
    if (r.contains(x, y)) return false;
  return true;
}

MouseResult onMouseMove(AppState& app, int x, int y) {
  MouseResult res;
  // ---- crosshair: shown before or after the move means its layer changes ----
  const bool crosshair = (app.win.mouseInside && crosshairShownAt(app.win.painted, app.win.mouseX, app.win.mouseY)) ||
                         crosshairShownAt(app.win.painted, x, y);
  app.win.mouseX = x;
  app.win.mouseY = y;
  app.win.mouseInside = true;

  std::array<bool, 3> hover{};
  for (size_t i = 0; i < hover.size(); ++i) hover[i] = app.win.painted.captionRects[i].contains(x, y);
  int menu = -1;
  for (int i = 0; i < kMenuBarItemCount; ++i)
    if (app.win.painted.menuRects[size_t(i)].contains(x, y)) menu = i;
  if (hover != app.win.captionHover && msgTraceOn())
    traceLine("HOVER btn x=%d y=%d -> %d%d%d", x, y, int(hover[0]), int(hover[1]), int(hover[2]));
  bool stripChanged = hover != app.win.captionHover || menu != app.win.hoverMenu;
  app.win.captionHover = hover;
  app.win.hoverMenu = menu;

  HitRef hit;
  for (const HitArea& h : app.win.painted.hitAreas)
    if (isPressReleaseKind(h.kind) && h.contains(x, y)) {
      hit = h.ref();
      break;
    }
  if (hit != app.win.hover) {
    app.win.hover = hit;
    res.repaint = Repaint::All;
  } else if (stripChanged) {
    res.repaint = crosshair ? Repaint::All : Repaint::TitleStrip;
  } else if (crosshair) {
    res.repaint = Repaint::Crosshair;
  }
  return res;
}

Repaint onMouseLeave(AppState& app) {
  bool strip = app.win.hoverMenu != -1 || app.win.captionHover != std::array<bool, 3>{};
  bool all = !app.win.hover.empty();
  // The crosshair layer disappears with the mouse.
  bool crosshair = app.win.mouseInside && crosshairShownAt(app.win.painted, app.win.mouseX, app.win.mouseY);
  app.win.mouseInside = false;
  app.win.hoverMenu = -1;
  app.win.captionHover = {};
  app.win.hover = {};
  if (all || (strip && crosshair)) return Repaint::All;
  return strip ? Repaint::TitleStrip : crosshair ? Repaint::Crosshair : Repaint::None;
}

MouseResult onLeftButtonDown(AppState& app, int x, int y, unsigned keys) {
  MouseResult res;
  app.win.mouseX = x;
  app.win.mouseY = y;
  if (y >= 0 && y < kTitleStripHeight) {
    for (int i = 0; i < kCaptionSlotCount; ++i) {
      if (!app.win.painted.captionRects[size_t(i)].contains(x, y)) continue;
      app.win.captionPressed[size_t(i)] = true;
      res.action = captionAction(i);
      res.capture = true;
      res.repaint = Repaint::TitleStrip;
      return res;
    }
    for (int i = 0; i < kMenuBarItemCount; ++i) {
      if (!app.win.painted.menuRects[size_t(i)].contains(x, y)) continue;
      openMenuBarItem(app, i, x);
      res.repaint = Repaint::All;
      return res;
    }
    return res;
  }
  // The record lists' scroll bars and the drawing tools join here with the trading panel and
  // the drawing subsystem.
  if (listShown(app) && clickListHeader(app, x, y)) {
    res.repaint = Repaint::All;
    return res;
  }
  const HitArea* h = firstHitAt(app, x, y);
  if (!h) return res;
  if (isPressReleaseKind(h->kind)) {
    app.win.pressed = h->ref();
    res.capture = true;
    res.repaint = Repaint::All;
    return res;
  }
  // The area may go with the paint its action causes: act on a copy.
  HitArea area = *h;
  if (runHitArea(app, area)) res.repaint = Repaint::All;
  return res;
}

MouseResult onLeftButtonUp(AppState& app, int x, int y) {
  MouseResult res;
  if (app.win.captionPressed != std::array<bool, 3>{}) {
    app.win.captionPressed = {};
    res.repaint = Repaint::TitleStrip;
  }
  if (!app.win.pressed.empty()) {
    HitRef pressed = app.win.pressed;
    app.win.pressed = {};
    res.repaint = Repaint::All;
    // Released over the button it pressed: the button acts.
    const HitArea* h = firstHitAt(app, x, y);
    if (h && h->ref() == pressed) {
      HitArea area = *h;
      runHitArea(app, area);
    }
  }
  return res;
}

Repaint onCaptureLost(AppState& app) {
  // Unlike a release, a lost capture never runs the pressed button's action.
  bool strip = app.win.captionPressed != std::array<bool, 3>{};
  bool all = !app.win.pressed.empty();
  app.win.captionPressed = {};
  app.win.pressed = {};
  return all ? Repaint::All : strip ? Repaint::TitleStrip : Repaint::None;
}

namespace {

// A double click on the K-line chart: on the sub panel or the volume panel it gives that panel
// the other's height, or gives it back; anywhere else in the chart it restores both.
bool toggleMaximisedPanel(AppState& app, int x, int y) {
  const ChartGeometry& g = app.win.painted.chart;
  if (listShown(app) || !g.valid || !g.chartArea.contains(x, y)) return false;
  ChartView& v = app.view;
  const int before = v.panelFill;
  if (v.showSub && g.subRect.contains(x, y))
    v.panelFill = v.panelFill == FillSub ? FillNone : FillSub;
  else if (v.showVol && g.volRect.contains(x, y))
    v.panelFill = v.panelFill == FillVolume ? FillNone : FillVolume;
  else
    v.panelFill = FillNone;
  return v.panelFill != before;
}

}  // namespace

Repaint onMouseWheel(AppState& app, int delta, unsigned keys) {
  if (delta == 0) return Repaint::None;
  const int notches = delta / 120 != 0 ? delta / 120 : (delta > 0 ? 1 : -1);
  if (listShown(app) && !app.view.tradeView) {
    // Three rows a notch; towards the user scrolls down the list.
    int n = int(app.market.stocks.size());
    int rows = std::max(1, app.win.painted.listRows);
    int top = std::clamp(app.list.listTop - 3 * notches, 0, std::max(0, n - rows));
    if (top == app.list.listTop) return Repaint::None;
    app.list.listTop = top;
    return Repaint::All;
  }
  if (listShown(app) || !app.win.painted.chart.valid) return Repaint::None;
  bool changed = false;
  if (keys & KeyControl) {
    // Towards the user goes back in time.
    changed = scrollChart(app.view, -20 * notches);
  } else {
    for (int i = 0; i < std::abs(notches); ++i)
      changed = zoomChart(app.view, app.win.painted.chart, notches > 0, !app.market.stocks.empty()) || changed;
  }
  return changed ? Repaint::All : Repaint::None;
}

MouseResult onLeftDoubleClick(AppState& app, int x, int y, unsigned keys) {
  if (toggleMaximisedPanel(app, x, y)) {
    MouseResult res = onLeftButtonDown(app, x, y, keys);
    res.repaint = Repaint::All;
    return res;
  }
  if (listShown(app) && y >= kTitleStripHeight) {
    const HitArea* h = firstHitAt(app, x, y);
    if (h && h->kind == HitKind::QuoteRow) {
      openStock(app, h->index);
      MouseResult res;
      res.repaint = Repaint::All;
      return res;
    }
  }
  // The second press of a fast double click counts as a press of its own.
  return onLeftButtonDown(app, x, y, keys);
}

void openMenuBarItem(AppState& app, int item, int x) {
  switch (item) {
    case MenuSettings:
    case MenuDrawing: {
      app.win.openMenu = item;
      app.ui->requestRepaint();
      int id = app.ui->popupMenu(item == MenuSettings ? settingsMenu(app) : drawingMenu(app), x, kTitleStripHeight);
      app.win.openMenu = -1;
      app.ui->requestRepaint();
      if (id != 0) onCommand(app, id);
      break;
    }
    case MenuFunds:
      onCommand(app, int(CommandId::Funds));
      break;
    case MenuMode: {
      // Leaving the panel without a choice keeps the current mode.
      int mode = modeDialog(app);
      if (mode > 0) applyStartMode(app, mode);
      app.ui->requestRepaint();
      break;
    }
    case MenuAbout:
      aboutWindow(app);
      break;
    default:
      // 复盘 (trading view) and 数据接口 (connection dialog) arrive with the trading and quote
      // windows.
      break;
  }
}

void onCommand(AppState& app, int id) { runCommand(app, id); }

void openStock(AppState& app, int index) {
  if (!app.market.valid(index)) return;
  selectStock(app, index);
  app.view.trend = false;
  app.view.listView = false;
  app.view.period = PeriodDay;
  app.view.barCount = 0;
  app.view.scrollBack = 0;
  app.list.codeEntry.clear();
}

bool isTradingTime(const LocalTime& t) {
  if (t.weekday < 1 || t.weekday > 5) return false;
  int hm = t.hour * 100 + t.minute;
  return (hm >= 930 && hm <= 1130) || (hm >= 1300 && hm <= 1500);
}

}  // namespace zor
