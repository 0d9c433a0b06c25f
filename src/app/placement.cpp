#include "app/placement.h"

#include <algorithm>

#include "app/app_state.h"
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
  app.placementDirty = false;
  if (!writeConfig(app)) setStatus(app, kConfigSaveFailed);
  return true;
}

}  // namespace

StartPlacement chooseStartPlacement(const AppState& app, const std::vector<MonitorArea>& monitors) {
  StartPlacement out;
  if (app.winW > 0 && app.winH > 0) {
    Rect saved{app.winX, app.winY, app.winX + app.winW, app.winY + app.winH};
    const MonitorArea* best = nullptr;
    bool reachable = false;
    for (const MonitorArea& m : monitors) {
      reachable = reachable || grabbable(saved, m.work);
      if (!best || overlapArea(saved, m.work) > overlapArea(saved, best->work)) best = &m;
    }
    if (reachable) {
      out.rect = clampedTopLeft(saved, best->work);
      out.maximized = app.winMax != 0;
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
  app.maximized = pos.maximized;
  if (pos.minimized) return false;
  bool changed = false;
  if (pos.maximized) {
    changed = app.winMax == 0;
    app.winMax = 1;
  } else {
    // Restoring from maximised always counts, even back to the saved rectangle.
    changed = app.winMax != 0;
    app.winMax = 0;
    if (pos.x != app.winX || pos.y != app.winY) {
      app.winX = pos.x;
      app.winY = pos.y;
      changed = true;
    }
    if (pos.w >= kMinSavedWidth && pos.h >= kMinSavedHeight && (pos.w != app.winW || pos.h != app.winH)) {
      app.winW = pos.w;
      app.winH = pos.h;
      changed = true;
    }
  }
  if (!changed) return false;
  if (app.inSizeMove) {
    app.placementDirty = true;
    return false;
  }
  return savePlacement(app);
}

void onEnterSizeMove(AppState& app) { app.inSizeMove = true; }

bool onExitSizeMove(AppState& app) {
  app.inSizeMove = false;
  return app.placementDirty && savePlacement(app);
}

bool onMainWindowDestroyed(AppState& app, const Rect& normal, bool maximized) {
  if (normal.width() >= kMinSavedWidth && normal.height() >= kMinSavedHeight) {
    app.winX = normal.left;
    app.winY = normal.top;
    app.winW = normal.width();
    app.winH = normal.height();
  }
  app.winMax = maximized ? 1 : 0;
  app.inSizeMove = false;
  savePlacement(app);
  app.ui->killTimer(3);
  saveAccountsAtShutdown(app);
  return true;
}

}  // namespace zor
