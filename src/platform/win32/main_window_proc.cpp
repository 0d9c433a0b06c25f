#include "platform/win32/main_window_proc.h"

#include <windowsx.h>

#include <ctime>
#include <memory>

#include "app/app_state.h"
#include "app/dialog.h"
#include "app/context_menus.h"
#include "app/keyboard.h"
#include "app/main_window.h"
#include "app/placement.h"
#include "app/state_query.h"
#include "app/timers.h"
#include "platform/trace_log.h"
#include "platform/gdi_canvas_win32.h"
#include "platform/text.h"
#include "platform/ui_win32.h"
#include "platform/win32/resource.h"

namespace zor {

namespace {

FontCache& fonts() {
  static FontCache cache;
  return cache;
}

bool g_trackingMouse = false;

AppState* appOf(HWND hwnd) { return reinterpret_cast<AppState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

RECT windowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

SIZE clientSize(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void paintCrosshairLayer(HWND hwnd, AppState& app);

void invalidate(HWND hwnd, Repaint what) {
  if (what == Repaint::Crosshair) {
    if (AppState* app = appOf(hwnd)) paintCrosshairLayer(hwnd, *app);
  } else if (what == Repaint::All) {
    InvalidateRect(hwnd, nullptr, FALSE);
  } else if (what == Repaint::TitleStrip) {
    RECT strip{0, 0, clientSize(hwnd).cx, kTitleStripHeight};
    InvalidateRect(hwnd, &strip, FALSE);
  }
}

void apply(HWND hwnd, const MouseResult& r) {
  invalidate(hwnd, r.repaint);
  if (r.capture) SetCapture(hwnd);
  switch (r.action) {
    case WindowAction::Minimize: PostMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0); break;
    case WindowAction::MaximizeOrRestore:
      PostMessageW(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, 0);
      break;
    case WindowAction::Close: PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); break;
    case WindowAction::None: break;
  }
}

// The frame around the client area: the top edge in the menu colour so that it continues
// the title strip, the other edges black.
void paintFrame(HWND hwnd) {
  HDC dc = GetWindowDC(hwnd);
  if (!dc) return;
  RECT win = windowRect(hwnd);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  SIZE cs = clientSize(hwnd);
  int w = win.right - win.left, h = win.bottom - win.top;
  int cl = origin.x - win.left, ct = origin.y - win.top;
  ExcludeClipRect(dc, cl, ct, cl + cs.cx, ct + cs.cy);
  RECT all{0, 0, w, h};
  FillRect(dc, &all, HBRUSH(GetStockObject(BLACK_BRUSH)));
  RECT top{0, 0, w, ct};
  FillRect(dc, &top, GetSysColorBrush(COLOR_MENU));
  ReleaseDC(hwnd, dc);
}

// The last picture of the client area without the crosshair layer. A mouse move over the
// chart copies it and paints the crosshair on top, so the chart is not painted again.
std::unique_ptr<DoubleBuffer> g_picture;

void paintClient(HWND hwnd, AppState& app) {
  LARGE_INTEGER t0, t1, freq;
  QueryPerformanceCounter(&t0);
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  SIZE cs = clientSize(hwnd);
  if (!g_picture || g_picture->width != std::max(1L, cs.cx) || g_picture->height != std::max(1L, cs.cy))
    g_picture = std::make_unique<DoubleBuffer>(hdc, cs.cx, cs.cy);
  {
    GdiCanvas canvas(g_picture->dc, cs.cx, cs.cy, fonts(), hwnd);
    onPaintPicture(app, canvas);
  }
  {
    DoubleBuffer buffer(hdc, cs.cx, cs.cy);
    g_picture->flush(buffer.dc);
    {
      GdiCanvas canvas(buffer.dc, cs.cx, cs.cy, fonts(), hwnd);
      paintOverlay(app, canvas);
    }
    buffer.flush(hdc);
  }
  EndPaint(hwnd, &ps);
  QueryPerformanceCounter(&t1);
  QueryPerformanceFrequency(&freq);
  if (msgTraceOn())
    traceLine("PAINT done dt=%lums", (unsigned long)((t1.QuadPart - t0.QuadPart) * 1000 / std::max<LONGLONG>(1, freq.QuadPart)));
}

void paintCrosshairLayer(HWND hwnd, AppState& app) {
  SIZE cs = clientSize(hwnd);
  RECT pending;
  // A paint already due (or a picture of another size) repaints everything anyway.
  if (!g_picture || g_picture->width != std::max(1L, cs.cx) || g_picture->height != std::max(1L, cs.cy) ||
      GetUpdateRect(hwnd, &pending, FALSE)) {
    InvalidateRect(hwnd, nullptr, FALSE);
    return;
  }
  HDC hdc = GetDC(hwnd);
  if (!hdc) return;
  {
    DoubleBuffer buffer(hdc, cs.cx, cs.cy);
    g_picture->flush(buffer.dc);
    {
      GdiCanvas canvas(buffer.dc, cs.cx, cs.cy, fonts(), hwnd);
      paintOverlay(app, canvas);
    }
    buffer.flush(hdc);
  }
  ReleaseDC(hwnd, hdc);
}

// The window's normal rectangle in screen coordinates. GetWindowPlacement reports it in
// workspace coordinates, which are offset by the task bar when it sits left or on top.
RECT normalRect(HWND hwnd, bool& maximized) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(hwnd, &wp);
  maximized = IsZoomed(hwnd) || (IsIconic(hwnd) && (wp.flags & WPF_RESTORETOMAXIMIZED));
  if (!IsZoomed(hwnd) && !IsIconic(hwnd)) return windowRect(hwnd);
  RECT r = wp.rcNormalPosition;
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  if (GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &mi))
    OffsetRect(&r, mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top);
  return r;
}

void traceMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  RECT w = windowRect(hwnd);
  SIZE c = clientSize(hwnd);
  switch (msg) {
    case WM_ACTIVATE: traceLine("MSG ACTIVATE state=%d", int(LOWORD(wp))); break;
    case WM_ERASEBKGND: traceLine("MSG ERASEBKGND"); break;
    case WM_SETCURSOR: traceLine("MSG SETCURSOR hit=%d", int(short(LOWORD(lp)))); break;
    case WM_WINDOWPOSCHANGED: {
      const WINDOWPOS* p = reinterpret_cast<const WINDOWPOS*>(lp);
      traceLine("MSG WINDOWPOSCHANGED x=%d y=%d cx=%d cy=%d flags=%#x win=(%d,%d,%d,%d)", p->x, p->y, p->cx, p->cy,
                p->flags, int(w.left), int(w.top), int(w.right), int(w.bottom));
      break;
    }
    case WM_NCCALCSIZE: {
      const RECT* in = reinterpret_cast<const RECT*>(lp);
      traceLine("MSG NCCALCSIZE wp=%d in=(%d,%d,%d,%d) win=(%d,%d,%d,%d) client=%dx%d", int(wp), int(in->left),
                int(in->top), int(in->right), int(in->bottom), int(w.left), int(w.top), int(w.right), int(w.bottom),
                int(c.cx), int(c.cy));
      break;
    }
    case WM_NCPAINT:
      traceLine("MSG NCPAINT wp=%d win=(%d,%d,%d,%d) client=%dx%d", int(wp), int(w.left), int(w.top), int(w.right),
                int(w.bottom), int(c.cx), int(c.cy));
      break;
    case WM_NCACTIVATE: traceLine("MSG NCACTIVATE active=%d", int(wp != 0)); break;
    case WM_NCMOUSEMOVE:
      traceLine("MSG NCMOUSEMOVE x=%d y=%d win=(%d,%d) client=%dx%d", GET_X_LPARAM(lp), GET_Y_LPARAM(lp), int(w.left),
                int(w.top), int(c.cx), int(c.cy));
      break;
    case WM_NCMOUSELEAVE: traceLine("MSG NCMOUSELEAVE"); break;
    case WM_MOUSELEAVE: traceLine("MSG MOUSELEAVE client=%dx%d", int(c.cx), int(c.cy)); break;
    default: break;
  }
}

// Keyboard and mouse input, in the client area and on the frame.
bool isUserInput(UINT msg) {
  return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
         (msg >= WM_NCLBUTTONDOWN && msg <= WM_NCXBUTTONDBLCLK) || msg == WM_CONTEXTMENU;
}

LRESULT handle(HWND hwnd, AppState& app, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg >= WM_APP + QueryText && msg <= WM_APP + QueryViewBits)
    return LRESULT(queryState(app, msg - WM_APP, uint64_t(wp), int64_t(lp)));
  // While a window that returns a result is open the main window takes no input; it still
  // paints, runs its timers and answers the state queries.
  if (mainInputBlocked(app.win) && isUserInput(msg)) return 0;

  switch (msg) {
    case WM_CREATE:
      app.win.mainWnd = hwnd;
      // The creation handler already sets timers, before CreateWindowEx has returned.
      if (auto* ui = dynamic_cast<Win32Ui*>(app.ui)) ui->setWindow(hwnd);
      app.win.screenW = GetSystemMetrics(SM_CXSCREEN);
      onCreate(app, uint32_t(std::time(nullptr)) ^ uint32_t(uintptr_t(hwnd)));
      return 0;

    case WM_NCCALCSIZE: {
      RECT* r = reinterpret_cast<RECT*>(lp);  // rgrc[0] of NCCALCSIZE_PARAMS is first too
      bool zoomed = IsZoomed(hwnd);
      if (!zoomed || wp) {
        int fx = GetSystemMetrics(SM_CXFRAME), fy = GetSystemMetrics(SM_CYFRAME);
        int pad = GetSystemMetrics(SM_CXPADDEDBORDER);
        r->left += fx + (zoomed ? pad : 0);
        r->right -= fx + (zoomed ? pad : 0);
        r->top += fy + pad;
        r->bottom -= fy + pad;
        return 0;
      }
      break;
    }
    case WM_NCPAINT:
      paintFrame(hwnd);
      return 0;
    case WM_NCACTIVATE: {
      // lParam -1 keeps the default handler from drawing a caption of its own.
      LRESULT r = DefWindowProcW(hwnd, msg, wp, -1);
      paintFrame(hwnd);
      invalidate(hwnd, Repaint::TitleStrip);
      return r;
    }
    case WM_ACTIVATE:
      invalidate(hwnd, Repaint::TitleStrip);
      break;
    case WM_NCHITTEST: {
      LRESULT hit = DefWindowProcW(hwnd, msg, wp, lp);
      if (hit != HTCLIENT) return hit;
      POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      ScreenToClient(hwnd, &p);
      return isCaptionPoint(app, p.x, p.y) ? HTCAPTION : HTCLIENT;
    }
    case WM_NCLBUTTONDBLCLK:
      if (wp == HTCAPTION) {
        PostMessageW(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, 0);
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // everything is painted double-buffered
    case WM_PAINT:
      paintClient(hwnd, app);
      return 0;

    case WM_MOUSEMOVE: {
      if (!g_trackingMouse) {
        TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, hwnd, 0};
        g_trackingMouse = TrackMouseEvent(&t);
      }
      apply(hwnd, onMouseMove(app, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
      return 0;
    }
    case WM_MOUSELEAVE:
      g_trackingMouse = false;
      invalidate(hwnd, onMouseLeave(app));
      return 0;
    case WM_LBUTTONDOWN:
      apply(hwnd, onLeftButtonDown(app, GET_X_LPARAM(lp), GET_Y_LPARAM(lp), unsigned(wp)));
      return 0;
    case WM_LBUTTONDBLCLK:
      apply(hwnd, onLeftDoubleClick(app, GET_X_LPARAM(lp), GET_Y_LPARAM(lp), unsigned(wp)));
      return 0;
    case WM_LBUTTONUP: {
      MouseResult r = onLeftButtonUp(app, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      if (GetCapture() == hwnd) ReleaseCapture();
      apply(hwnd, r);
      return 0;
    }
    case WM_MOUSEWHEEL:
      invalidate(hwnd, onMouseWheel(app, GET_WHEEL_DELTA_WPARAM(wp), GET_KEYSTATE_WPARAM(wp)));
      return 0;
    case WM_RBUTTONUP:
      if (onRightButtonUp(app, GET_X_LPARAM(lp), GET_Y_LPARAM(lp))) invalidate(hwnd, Repaint::All);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      unsigned mods = (GetKeyState(VK_CONTROL) < 0 ? ModControl : 0u) | (GetKeyState(VK_MENU) < 0 ? ModAlt : 0u) |
                      (GetKeyState(VK_SHIFT) < 0 ? ModShift : 0u);
      if (onKeyDown(app, int(wp), mods)) {
        invalidate(hwnd, Repaint::All);
        return 0;
      }
      break;  // unhandled: the system keys (Alt+F4 and the like) keep working
    }
    case WM_CHAR:
      if (onChar(app, char32_t(wp))) invalidate(hwnd, Repaint::All);
      return 0;
    case WM_CAPTURECHANGED:
      if (HWND(lp) != hwnd) invalidate(hwnd, onCaptureLost(app));
      return 0;

    case WM_TIMER:
      onTimer(app, int(wp));  // re-arms through the UI services when the timer asks
      return 0;

    case WM_ENTERSIZEMOVE:
      onEnterSizeMove(app);
      return 0;
    case WM_EXITSIZEMOVE:
      onExitSizeMove(app);
      return 0;
    case WM_WINDOWPOSCHANGED: {
      LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);  // sends WM_SIZE and WM_MOVE
      // Start-up moves the window while it is still hidden; only what the user sees counts.
      if (IsWindowVisible(hwnd)) {
        RECT w = windowRect(hwnd);
        WindowPos pos{int(w.left), int(w.top), int(w.right - w.left), int(w.bottom - w.top), bool(IsZoomed(hwnd)),
                      bool(IsIconic(hwnd))};
        onWindowPosChanged(app, pos);
      }
      const WINDOWPOS* p = reinterpret_cast<const WINDOWPOS*>(lp);
      if (!(p->flags & SWP_NOSIZE) || (p->flags & SWP_FRAMECHANGED))
        RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
      return r;
    }
    case WM_DPICHANGED: {
      const RECT* r = reinterpret_cast<const RECT*>(lp);
      SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_DISPLAYCHANGE:
      app.win.screenW = GetSystemMetrics(SM_CXSCREEN);
      InvalidateRect(hwnd, nullptr, FALSE);
      break;
    case WM_THEMECHANGED:
    case WM_SETTINGCHANGE:
      InvalidateRect(hwnd, nullptr, FALSE);
      break;

    case WM_DESTROY: {
      bool maximized = false;
      RECT n = normalRect(hwnd, maximized);
      // No tick may change the state once the shutdown saves have begun.
      stopAllTimers(app);
      onMainWindowDestroyed(app, Rect{int(n.left), int(n.top), int(n.right), int(n.bottom)}, maximized);
      g_picture.reset();
      app.win.mainWnd = nullptr;
      PostQuitMessage(0);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK mainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  static bool traceDecided = false;
  if (!traceDecided) {
    traceDecided = true;
    setMsgTrace(msgTraceFromEnvironment());
  }
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(cs->lpCreateParams));
  }
  AppState* app = appOf(hwnd);
  if (!app) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msgTraceOn()) traceMessage(hwnd, msg, wp, lp);
  return handle(hwnd, *app, msg, wp, lp);
}

}  // namespace

HWND createMainWindow(AppState& app, HINSTANCE instance) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = mainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = HICON(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    wc.hIconSm = HICON(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = HBRUSH(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kMainWindowClass;
    registered = RegisterClassExW(&wc) != 0;
    if (!registered) return nullptr;
  }
  std::wstring title;
  utf8ToWide(kProgramTitle, title);
  // Children (the mode panel) paint themselves: the window's own paint leaves them out.
  HWND hwnd = CreateWindowExW(0, kMainWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                              1200, 740, nullptr, nullptr, instance, &app);
  if (!hwnd) return nullptr;
  // The window paints its own 24-pixel title strip: drop the system caption, keep the frame
  // and the minimise and maximise boxes (the system commands need them).
  LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  SetWindowLongPtrW(hwnd, GWL_STYLE, style & ~LONG_PTR(WS_CAPTION));
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return hwnd;
}

}  // namespace zor
