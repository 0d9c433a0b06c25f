// The dialog window: one window class per dialog, one window procedure for all of them. The
// procedure translates messages into the portable calls of app/dialog.h (button presses,
// closing, painted input) and carries out their replies.
#include "platform/win32/dialog_win32.h"

#include <objbase.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <set>

#include "platform/gdi_canvas_win32.h"
#include "platform/ui_win32.h"
#include "platform/win32/dialog_window_win32.h"
#include "platform/win32/resource.h"

namespace zor {

namespace {

// Windows whose keyboard navigation the message loops provide, innermost last.
std::vector<HWND>& navigationWindows() {
  static std::vector<HWND> windows;
  return windows;
}

FontCache& paintFonts() {
  static FontCache cache;
  return cache;
}

DialogWindow* windowOf(HWND hwnd) { return reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

bool painted(const Dialog& d) { return d.fields.empty() && d.paint; }

void deleteBackground(DialogWindow& w) {
  if (!w.d.systemBackground && w.background) DeleteObject(w.background);
  w.background = nullptr;
}

bool registerClass(HINSTANCE instance, const Dialog& d, WNDPROC proc) {
  static std::set<std::string> registered;
  if (registered.count(d.className)) return true;
  std::wstring name = wideText(d.className);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = HICON(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
  wc.hIconSm = HICON(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  wc.hCursor = LoadCursorW(nullptr, d.handCursor ? IDC_HAND : IDC_ARROW);
  wc.hbrBackground = painted(d) ? nullptr : HBRUSH(COLOR_BTNFACE + 1);
  wc.lpszClassName = name.c_str();
  if (!RegisterClassExW(&wc)) return false;
  registered.insert(d.className);
  return true;
}

void carryOut(DialogWindow& w, const DialogReply& r) {
  if (r.refresh) writeControls(w);
  if (r.repaint) InvalidateRect(w.hwnd, nullptr, FALSE);
  if (HWND f = r.focus ? GetDlgItem(w.hwnd, r.focus) : nullptr) {
    SetFocus(f);
    SendMessageW(f, EM_SETSEL, 0, -1);  // an edit's text selected, ready to be corrected
  }
  if (!r.close) return;
  w.finished = true;
  // A modeless window ends here; a modal one is taken down by its loop.
  if (!w.modal) DestroyWindow(w.hwnd);
}

void button(DialogWindow& w, int id) {
  readControls(w);
  carryOut(w, pressDialogButton(w.d, id, w.env));
}

void closeRequest(DialogWindow& w) {
  if (!painted(w.d)) readControls(w);
  carryOut(w, requestDialogClose(w.d, w.env));
}

void input(DialogWindow& w, DialogInput in) {
  if (!w.d.onInput || w.finished) return;
  carryOut(w, w.d.onInput(w.d, in, w.env));
}

DialogInput mouse(DialogInput::Kind kind, LPARAM lp) {
  DialogInput in;
  in.kind = kind;
  in.x = GET_X_LPARAM(lp);
  in.y = GET_Y_LPARAM(lp);
  return in;
}

void paint(DialogWindow& w) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(w.hwnd, &ps);
  RECT rc;
  GetClientRect(w.hwnd, &rc);
  {
    DoubleBuffer buffer(hdc, rc.right, rc.bottom);
    {
      GdiCanvas canvas(buffer.dc, rc.right, rc.bottom, paintFonts(), w.hwnd);
      canvas.fillRect(Rect{0, 0, int(rc.right), int(rc.bottom)}, w.d.background);
      w.d.paint(w.d, canvas);
    }
    buffer.flush(hdc);
  }
  EndPaint(w.hwnd, &ps);
}

LRESULT handle(DialogWindow& w, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: {
      int id = LOWORD(wp);
      const DialogField* f = w.d.field(id);
      if (f && f->kind == FieldKind::Button && (HIWORD(wp) == BN_CLICKED || lp == 0)) {
        button(w, id);
      } else if (!f && id == IDCANCEL) {
        closeRequest(w);  // Esc
      } else if (!f && id == IDOK && defaultButton(w.d)) {
        button(w, defaultButton(w.d));  // Enter with the focus on no button
      }
      return 0;
    }
    case DM_GETDEFID:
      return defaultButton(w.d) ? MAKELRESULT(defaultButton(w.d), DC_HASDEFID) : 0;
    case WM_CLOSE:
      closeRequest(w);
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return LRESULT(controlColours(w, HDC(wp), HWND(lp)));
    case WM_ERASEBKGND:
      if (painted(w.d)) return 1;  // painted whole, double-buffered
      break;
    case WM_PAINT:
      if (!painted(w.d)) break;
      paint(w);
      return 0;
    case WM_GETDLGCODE:
      return painted(w.d) ? DLGC_WANTALLKEYS : DefWindowProcW(hwnd, msg, wp, lp);
    case WM_MOUSEMOVE:
      if (!w.trackingMouse) {
        TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, hwnd, 0};
        w.trackingMouse = TrackMouseEvent(&t);
      }
      input(w, mouse(DialogInput::MouseMove, lp));
      return 0;
    case WM_MOUSELEAVE:
      w.trackingMouse = false;
      input(w, DialogInput{DialogInput::MouseLeave});
      return 0;
    case WM_LBUTTONDOWN:
      if (w.d.frame == DialogFrame::Panel) SetFocus(hwnd);
      input(w, mouse(DialogInput::LeftDown, lp));
      return 0;
    case WM_LBUTTONUP:
      input(w, mouse(DialogInput::LeftUp, lp));
      return 0;
    case WM_KEYDOWN:
      if (!painted(w.d)) break;
      input(w, DialogInput{DialogInput::Key, 0, 0, int(wp)});
      return 0;
    case WM_CAPTURECHANGED:
      if (HWND(lp) != hwnd && !w.ending) input(w, DialogInput{DialogInput::CaptureLost});
      return 0;
    case WM_DESTROY:
      w.destroyed = true;
      return 0;
    default: break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(cs->lpCreateParams));
    if (auto* w = static_cast<DialogWindow*>(cs->lpCreateParams)) w->hwnd = hwnd;
  }
  DialogWindow* w = windowOf(hwnd);
  if (!w) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT r = handle(*w, hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    auto& nav = navigationWindows();
    nav.erase(std::remove(nav.begin(), nav.end(), hwnd), nav.end());
    deleteControlFonts(*w);
    deleteBackground(*w);
    // A modeless window owns its state: it ends with the window.
    if (!w->modal) {
      if (w->d.onEnd) w->d.onEnd(w->d);
      delete w;
    }
  }
  return r;
}

SIZE clientSize(HWND h) {
  RECT r{};
  GetClientRect(h, &r);
  return SIZE{r.right, r.bottom};
}

// Creates the window of `w.d` (hidden) and its controls.
bool createWindow(DialogWindow& w) {
  Dialog& d = w.d;
  Win32Ui& ui = w.host.ui();
  HWND main = ui.window() && IsWindow(ui.window()) ? ui.window() : nullptr;
  if (!registerClass(w.host.instance(), d, dialogProc)) return false;
  std::wstring title = wideText(d.title), cls = wideText(d.className);
  w.background = d.systemBackground ? GetSysColorBrush(COLOR_BTNFACE) : CreateSolidBrush(toColorRef(d.background));
  if (d.systemBackground) d.background = fromColorRef(GetSysColor(COLOR_BTNFACE));

  switch (d.frame) {
    case DialogFrame::Window: {
      w.owner = main && IsWindowVisible(main) ? main : nullptr;
      DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
      // The stated size is the outer one; the system's caption and borders (larger at a high
      // DPI) must still leave the fields their room.
      Size need = fieldsExtent(d);
      RECT r{0, 0, need.cx, need.cy};
      AdjustWindowRectEx(&r, style, FALSE, 0);
      int width = std::max(d.size.cx, int(r.right - r.left)), height = std::max(d.size.cy, int(r.bottom - r.top));
      CreateWindowExW(0, cls.c_str(), title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, width, height, w.owner,
                      nullptr, w.host.instance(), &w);
      break;
    }
    case DialogFrame::Panel: {
      if (!main) return false;
      w.owner = main;
      SIZE c = clientSize(main);
      Rect r = centredPanel(Size{int(c.cx), int(c.cy)}, d.size);
      CreateWindowExW(0, cls.c_str(), title.c_str(), WS_CHILD | WS_CLIPSIBLINGS, r.left, r.top, r.width(), r.height(),
                      main, nullptr, w.host.instance(), &w);
      break;
    }
    case DialogFrame::Popup: {
      w.owner = main;
      const Rect& r = d.popupRect;
      CreateWindowExW(WS_EX_TOOLWINDOW, cls.c_str(), title.c_str(), WS_POPUP, r.left, r.top, r.width(),
                      r.height(), main, nullptr, w.host.instance(), &w);
      break;
    }
  }
  if (!w.hwnd) return false;
  w.ui.setOwner(w.hwnd);
  if (!painted(d) && !createControls(w)) {
    DestroyWindow(w.hwnd);
    return false;
  }
  return true;
}

void showWindow(DialogWindow& w) {
  ShowWindow(w.hwnd, SW_SHOW);
  switch (w.d.frame) {
    case DialogFrame::Window:
      SetForegroundWindow(w.hwnd);
      if (HWND first = GetNextDlgTabItem(w.hwnd, nullptr, FALSE)) SetFocus(first);
      navigationWindows().push_back(w.hwnd);
      break;
    case DialogFrame::Panel:
      BringWindowToTop(w.hwnd);
      SetFocus(w.hwnd);
      break;
    case DialogFrame::Popup:
      SetForegroundWindow(w.hwnd);
      SetFocus(w.hwnd);
      SetCapture(w.hwnd);
      break;
  }
  UpdateWindow(w.hwnd);
}

}  // namespace

bool routeDialogMessage(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  const auto& nav = navigationWindows();
  for (auto it = nav.rbegin(); it != nav.rend(); ++it)
    if (*it == msg.hwnd || IsChild(*it, msg.hwnd)) return IsDialogMessageW(*it, &msg);
  return false;
}

int Win32DialogHost::run(Dialog& d) {
  static bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));  // the folder browser
  (void)comReady;
  DialogWindow w(d, *this, ui_);
  d.result = d.cancelResult;
  if (!createWindow(w)) {
    if (!w.hwnd) deleteBackground(w);
    return d.failResult;
  }
  // A window of its own keeps its owner disabled meanwhile, as a system dialog does; a panel
  // lives inside the main window, whose input the application blocks instead.
  bool disables = d.frame != DialogFrame::Panel && w.owner && IsWindowEnabled(w.owner);
  if (disables) EnableWindow(w.owner, FALSE);
  showWindow(w);

  bool quit = false;
  WPARAM quitCode = 0;
  MSG msg;
  while (!w.finished && !w.destroyed) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The program is ending: end this loop and let the outer one see the quit too.
      quit = true;
      quitCode = msg.wParam;
      break;
    }
    if (got < 0) break;
    if (routeDialogMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  w.ending = true;
  // The owner comes back before the window goes, so that it, and no other program, is activated.
  if (disables && IsWindow(w.owner)) EnableWindow(w.owner, TRUE);
  if (!w.destroyed) {
    if (GetCapture() == w.hwnd) ReleaseCapture();
    DestroyWindow(w.hwnd);
  }
  // The keyboard goes back to the main window: a destroyed child leaves the focus nowhere.
  if (w.owner && IsWindow(w.owner)) {
    if (d.frame == DialogFrame::Panel)
      SetFocus(w.owner);
    else if (!GetActiveWindow())
      SetActiveWindow(w.owner);
  }
  if (!w.finished) d.result = d.cancelResult;
  if (quit) PostQuitMessage(int(quitCode));
  return d.result;
}

bool Win32DialogHost::open(Dialog& d) {
  auto w = std::make_unique<DialogWindow>(d, *this, ui_);
  d.result = d.cancelResult;
  if (!createWindow(*w)) {
    if (!w->hwnd) deleteBackground(*w);
    return false;
  }
  w->modal = false;  // from now on the window procedure ends it
  showWindow(*w);
  w.release();  // the window procedure deletes it with the window
  return true;
}

}  // namespace zor
