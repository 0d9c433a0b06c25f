#include "app/placement.h"

#include <algorithm>

#include "app/app_state.h"
#include "app/timers.h"
#include "app/config.h"
#include "app/startup.h"

namespace zor {

namespace {

constexpr int kGrabWidth = 100;   // of the top strip that must stay reachable
constexpr int kGrabHeight = 24;   // the title strip's height

int overlap(int a0, int a1, int b0, int b1) { return std::min(a1, b1) - std::max(a0, b0); }

int64_t overlapArea(const Rect& a, const Rect& b) {
  int w = overlap(a.left, a.right, b.left, b.right), h = overlap(a.top, a.bottom, b.top, b.bottom);
  return w > 0 && h > 0 ? int64_t(w) * h : 0;
}

bool grabbable(const Rect& r, const Rect& work) {
  return overlap(r.left, r.right, work.left, work.right) >= kGrabWidth &&
         overlap(r.top, r.top + kGrabHeight, work.top, work.bottom) >= kGrabHeight;
}

Rect primaryWork(const std::vector<MonitorArea>& monitors) {
  for (const MonitorArea& m : monitors)
    if (m.primary) return m.work;
  if (!monitors.empty()) return monitors.front().work;
  return Rect{0, 0, 1280, 800};
}

Rect clampedTopLeft(Rect r, const Rect& work) {
  int w = r.width(), h = r.height();
  r.left = std::max(r.left, work.left);
  r.top = std::max(r.top, work.top);
  r.right = r.left + w;
  r.bottom = r.top + h;
  return r;
}

bool savePlacement(AppState& app) {
  app.win.placementDirty = false;
  if (!writeConfig(app.config)) setStatus(app, kConfigSaveFailed);
  return true;
}

}  // namespace

StartPlacement chooseStartPlacement(const Config& cfg, const std::vector<MonitorArea>& monitors) {
  StartPlacement out;
  if (cfg.winW > 0 && cfg.winH > 0) {
    Rect saved{cfg.winX, cfg.winY, cfg.winX + cfg.winW, cfg.winY + cfg.winH};
    const MonitorArea* best = nullptr;
    bool reachable = false;
    for (const MonitorArea& m : monitors) {
      reachable = reachable || grabbable(saved, m.work);
      if (!best || overlapArea(saved, m.work) > overlapArea(saved, best->work)) best = &m;
    }
    if (reachable) {
      out.rect = clampedTopLeft(saved, best->work);
      out.maximized = cfg.winMax != 0;
      return out;
    }
  }
  Rect work = primaryWork(monitors);
  Rect r;
  r.left = work.left + (work.width() - kDefaultWindowWidth) / 2;
  r.top = work.top + (work.height() - kDefaultWindowHeight) / 2;
  r.right = r.left + kDefaultWindowWidth;
  r.bottom = r.top + kDefaultWindowHeight;
  out.rect = clampedTopLeft(r, work);
  return out;
}

bool onWindowPosChanged(AppState& app, const WindowPos& pos) {
  app.win.maximized = pos.maximized;
  if (pos.minimized) return false;
  bool changed = false;
  if (pos.maximized) {
    changed = app.config.winMax == 0;
    app.config.winMax = 1;
  } else {
    // Restoring from maximised always counts, even back to the saved rectangle.
    changed = app.config.winMax != 0;
    app.config.winMax = 0;
    if (pos.x != app.config.winX || pos.y != app.config.winY) {
      app.config.winX = pos.x;
      app.config.winY = pos.y;
      changed = true;
    }
    if (pos.w >= kMinSavedWidth && pos.h >= kMinSavedHeight && (pos.w != app.config.winW || pos.h != app.config.winH)) {
      app.config.winW = pos.w;
      app.config.winH = pos.h;
      changed = true;
    }
  }
  if (!changed) return false;
  if (app.win.inSizeMove) {
    app.win.placementDirty = true;
    return false;
  }
  return savePlacement(app);
}

void onEnterSizeMove(AppState& app) { app.win.inSizeMove = true; }

bool onExitSizeMove(AppState& app) {
  app.win.inSizeMove = false;
  return app.win.placementDirty && savePlacement(app);
}

bool onMainWindowDestroyed(AppState& app, const Rect& normal, bool maximized) {
  if (normal.width() >= kMinSavedWidth && normal.height() >= kMinSavedHeight) {
    app.config.winX = normal.left;
    app.config.winY = normal.top;
    app.config.winW = normal.width();
    app.config.winH = normal.height();
  }
  app.config.winMax = maximized ? 1 : 0;
  app.win.inSizeMove = false;
  stopTimer(app, TimerId::LiveFetch);
  saveAtShutdown(app);
  return true;
}

}  // namespace zor
