// zorctl: drives the running program from outside, as the end-to-end scenarios do. It finds
// the main window (class "ZORWIN"), reads its state through the state-query messages
// (WM_APP + 94 .. 99), posts mouse clicks at hit-area centres, keys and characters, waits for
// conditions, reads and dismisses the program's message boxes, and drives its dialogs (found
// by window class: their edits, buttons, keys and painted surfaces).
//
// Every command prints its result on one line (texts as UTF-8) and exits 0; a missing window,
// a failed condition or a time-out exits 1, a usage error 2.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/state_query.h"
#include "platform/text.h"

namespace {

using zor::QueryHitCentre;
using zor::QueryHitCount;
using zor::QueryText;
using zor::QueryValue;
using zor::QueryMenuItem;
using zor::QueryViewBits;

constexpr int kExitFail = 1;
constexpr int kExitUsage = 2;

void out(const std::string& s) {
  std::fwrite(s.data(), 1, s.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

int fail(const std::string& s) {
  std::string line = "zorctl: " + s + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  return kExitFail;
}

std::string utf8(const std::wstring& w) {
  std::string s;
  zor::wideToUtf8(w, s);
  return s;
}

HWND mainWindow() {
  HWND h = FindWindowW(L"ZORWIN", nullptr);
  return h && IsWindowVisible(h) ? h : nullptr;
}

bool query(HWND h, unsigned offset, uint64_t wp, int64_t lp, int64_t& result) {
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutW(h, WM_APP + offset, WPARAM(wp), LPARAM(lp), SMTO_ABORTIFHUNG, 5000, &r)) return false;
  result = int64_t(r);
  return true;
}

bool readText(HWND h, int which, std::string& text) {
  text.clear();
  for (int64_t off = 0;; off += 8) {
    int64_t v;
    if (!query(h, QueryText, uint64_t(which), off, v)) return false;
    if (v == -1) return true;
    for (int i = 0; i < 8; ++i) {
      char ch = char((uint64_t(v) >> (8 * i)) & 0xFF);
      if (ch == 0) return true;
      text += ch;
    }
  }
}

int64_t number(const std::string& s) { return std::strtoll(s.c_str(), nullptr, 0); }

double seconds(const std::vector<std::string>& a, size_t i, double def) {
  return i < a.size() ? std::atof(a[i].c_str()) : def;
}

// Polls `done` every 50 ms until it holds or `timeout` seconds have passed.
template <typename F>
bool waitFor(double timeout, F done) {
  DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start > DWORD(timeout * 1000)) return false;
    Sleep(50);
  }
}

struct Box {
  HWND hwnd = nullptr;
  std::string caption, text;
};

BOOL CALLBACK collectStatic(HWND child, LPARAM p) {
  wchar_t cls[64];
  GetClassNameW(child, cls, 64);
  if (lstrcmpiW(cls, L"Static") != 0) return TRUE;
  int n = GetWindowTextLengthW(child);
  if (n <= 0) return TRUE;
  std::wstring w(size_t(n) + 1, L'\0');
  GetWindowTextW(child, w.data(), n + 1);
  w.resize(size_t(n));
  auto* text = reinterpret_cast<std::string*>(p);
  if (!text->empty()) *text += "\n";
  *text += utf8(w);
  return TRUE;
}

BOOL CALLBACK findBox(HWND h, LPARAM p) {
  wchar_t cls[64];
  GetClassNameW(h, cls, 64);
  if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(h)) return TRUE;
  auto* box = reinterpret_cast<Box*>(p);
  box->hwnd = h;
  int n = GetWindowTextLengthW(h);
  std::wstring w(size_t(n) + 1, L'\0');
  GetWindowTextW(h, w.data(), n + 1);
  w.resize(size_t(n));
  box->caption = utf8(w);
  EnumChildWindows(h, collectStatic, LPARAM(&box->text));
  return FALSE;
}

Box messageBox() {
  Box b;
  EnumWindows(findBox, LPARAM(&b));
  return b;
}

int buttonId(const std::string& name) {
  if (name == "ok") return IDOK;
  if (name == "cancel") return IDCANCEL;
  if (name == "yes") return IDYES;
  if (name == "no") return IDNO;
  return int(number(name));
}

struct KeyName {
  const char* name;
  int vk;
};
constexpr KeyName kKeys[] = {{"enter", VK_RETURN}, {"esc", VK_ESCAPE}, {"space", VK_SPACE}, {"back", VK_BACK},
                             {"tab", VK_TAB},      {"left", VK_LEFT},  {"right", VK_RIGHT}, {"up", VK_UP},
                             {"down", VK_DOWN},    {"home", VK_HOME},  {"end", VK_END},     {"pgup", VK_PRIOR},
                             {"pgdn", VK_NEXT},    {"f5", VK_F5},      {"f8", VK_F8},       {"f9", VK_F9},
                             {"f12", VK_F12}};

int keyCode(const std::string& s) {
  for (const KeyName& k : kKeys)
    if (s == k.name) return k.vk;
  if (s.size() == 1 && ((s[0] >= '0' && s[0] <= '9') || (s[0] >= 'A' && s[0] <= 'Z'))) return s[0];
  return int(number(s));
}

void postClick(HWND h, int x, int y, bool twice) {
  LPARAM at = MAKELPARAM(x, y);
  PostMessageW(h, WM_MOUSEMOVE, 0, at);
  PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(h, WM_LBUTTONUP, 0, at);
  if (twice) {
    PostMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(h, WM_LBUTTONUP, 0, at);
  }
}

// A visible dialog window of the class: a top-level window, or a child of the main window
// (the mode panel).
HWND dialogWindow(const std::string& cls) {
  std::wstring w;
  zor::utf8ToWide(cls, w);
  HWND h = FindWindowW(w.c_str(), nullptr);
  if (h && IsWindowVisible(h)) return h;
  if (HWND main = FindWindowW(L"ZORWIN", nullptr)) {
    h = FindWindowExW(main, nullptr, w.c_str(), nullptr);
    if (h && IsWindowVisible(h)) return h;
  }
  return nullptr;
}

std::string windowText(HWND h) {
  wchar_t buf[4096] = {};
  DWORD_PTR n = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXT, WPARAM(4096), LPARAM(buf), SMTO_ABORTIFHUNG, 5000, &n)) return {};
  return utf8(std::wstring(buf, size_t(n)));
}

// The window of the dialog's thread that has the keyboard focus, when it lies in the dialog.
HWND focusIn(HWND dlg) {
  GUITHREADINFO gi{};
  gi.cbSize = sizeof gi;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dlg, nullptr), &gi) || !gi.hwndFocus) return nullptr;
  return gi.hwndFocus == dlg || IsChild(dlg, gi.hwndFocus) ? gi.hwndFocus : nullptr;
}

void postKey(HWND h, int vk) {
  PostMessageW(h, WM_KEYDOWN, WPARAM(vk), 1);
  PostMessageW(h, WM_KEYUP, WPARAM(vk), LPARAM(0xC0000001));
}

void usage() {
  std::fputs(
      "usage: zorctl COMMAND [ARGS]\n"
      "  wait-window [SECONDS]        wait for the visible main window (default 20 s)\n"
      "  wait-gone [SECONDS]          wait until the main window is gone\n"
      "  q94 WHICH OFFSET | text WHICH   text query (0 name, 1 account, 2 statusText, 3 train.status)\n"
      "  q96 KIND | q97 KIND [INDEX] | q98 CODE [ARG] | q99\n"
      "  click KIND [INDEX] | dblclick KIND [INDEX] | clickxy X Y | rclickxy X Y | wheel X Y DELTA [ctrl]\n"
      "  menu-click POS   (a mouse click on an item of the open pop-up menu)\n"
      "  key VK|NAME | char TEXT\n"
      "  wait q98 CODE VALUE [SECONDS] | wait q99 MASK VALUE [SECONDS] | wait text WHICH TEXT [SECONDS]\n"
      "  msgbox | wait-msgbox [SECONDS] | dismiss [ok|cancel|yes|no|ID]\n"
      "  rect | move X Y W H | caption-dblclick | close | post-quit (WM_QUIT to the program's thread)\n"
      "  wait-class CLASS [SECONDS] | gone-class CLASS [SECONDS]   a dialog window by class (prints its title)\n"
      "  get-text CLASS ID | set-text CLASS ID TEXT | press CLASS ID   a dialog's controls\n"
      "  dlg-key CLASS VK|NAME | dlg-click CLASS X Y | dlg-close CLASS | dlg-rect CLASS | focus CLASS\n",
      stderr);
}

int run(const std::vector<std::string>& a) {
  if (a.empty()) {
    usage();
    return kExitUsage;
  }
  const std::string& cmd = a[0];
  auto need = [&](size_t n) { return a.size() >= n + 1; };

  if (cmd == "wait-window") return waitFor(seconds(a, 1, 20), [] { return mainWindow() != nullptr; }) ? 0 : fail("no main window");
  if (cmd == "wait-gone") return waitFor(seconds(a, 1, 20), [] { return FindWindowW(L"ZORWIN", nullptr) == nullptr; }) ? 0 : fail("main window still there");
  if (cmd == "msgbox" || cmd == "wait-msgbox") {
    Box b;
    bool ok = waitFor(cmd == "msgbox" ? 0 : seconds(a, 1, 20), [&] { return (b = messageBox()).hwnd != nullptr; });
    if (!ok) return fail("no message box");
    out(b.caption);
    out(b.text);
    return 0;
  }
  if (cmd == "dismiss") {
    Box b = messageBox();
    if (!b.hwnd) return fail("no message box");
    int id = need(1) ? buttonId(a[1]) : IDOK;
    HWND button = GetDlgItem(b.hwnd, id);
    if (!button && !need(1)) {
      id = IDYES;
      button = GetDlgItem(b.hwnd, id);
    }
    if (!button) return fail("no such button");
    PostMessageW(b.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(button));
    return waitFor(5, [&] { return !IsWindow(b.hwnd) || !IsWindowVisible(b.hwnd); }) ? 0 : fail("box stayed");
  }

  if (cmd == "wait-class" && need(1)) {
    HWND d = nullptr;
    if (!waitFor(seconds(a, 2, 20), [&] { return (d = dialogWindow(a[1])) != nullptr; })) return fail("no window " + a[1]);
    out(windowText(d));
    return 0;
  }
  if (cmd == "gone-class" && need(1))
    return waitFor(seconds(a, 2, 20), [&] { return dialogWindow(a[1]) == nullptr; }) ? 0 : fail(a[1] + " still there");
  if (cmd.rfind("dlg-", 0) == 0 || cmd == "get-text" || cmd == "set-text" || cmd == "press" || cmd == "focus") {
    if (!need(1)) {
      usage();
      return kExitUsage;
    }
    HWND d = dialogWindow(a[1]);
    if (!d) return fail("no window " + a[1]);
    if ((cmd == "get-text" || cmd == "set-text" || cmd == "press") && need(2)) {
      HWND c = GetDlgItem(d, int(number(a[2])));
      if (!c) return fail("no control " + a[2]);
      if (cmd == "get-text") {
        out(windowText(c));
      } else if (cmd == "set-text" && need(3)) {
        std::wstring w;
        if (!zor::utf8ToWide(a[3], w)) return fail("bad text");
        DWORD_PTR r = 0;
        if (!SendMessageTimeoutW(c, WM_SETTEXT, 0, LPARAM(w.c_str()), SMTO_ABORTIFHUNG, 5000, &r)) return fail("no answer");
      } else if (cmd == "press") {
        PostMessageW(c, BM_CLICK, 0, 0);
      }
      return 0;
    }
    if (cmd == "dlg-key" && need(2)) {
      HWND f = focusIn(d);
      postKey(f ? f : d, keyCode(a[2]));
      return 0;
    }
    if (cmd == "dlg-click" && need(3)) {
      postClick(d, int(number(a[2])), int(number(a[3])), false);
      return 0;
    }
    if (cmd == "dlg-close") {
      PostMessageW(d, WM_CLOSE, 0, 0);
      return 0;
    }
    if (cmd == "dlg-rect") {
      RECT r, c;
      GetWindowRect(d, &r);
      GetClientRect(d, &c);
      out(std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + " " +
          std::to_string(r.bottom - r.top) + " client " + std::to_string(c.right) + " " + std::to_string(c.bottom));
      return 0;
    }
    if (cmd == "focus") {
      HWND f = focusIn(d);
      out(std::to_string(f ? (f == d ? 0 : GetDlgCtrlID(f)) : -1));
      return 0;
    }
    usage();
    return kExitUsage;
  }

  HWND h = mainWindow();
  if (!h) return fail("no main window");
  int64_t v = 0;

  if (cmd == "q94" && need(2)) {
    if (!query(h, QueryText, uint64_t(number(a[1])), number(a[2]), v)) return fail("no answer");
    out(std::to_string(v));
    return 0;
  }
  if (cmd == "text" && need(1)) {
    std::string t;
    if (!readText(h, int(number(a[1])), t)) return fail("no answer");
    out(t);
    return 0;
  }
  if (cmd == "q96" && need(1)) {
    if (!query(h, QueryHitCount, uint64_t(number(a[1])), 0, v)) return fail("no answer");
    out(std::to_string(v));
    return 0;
  }
  if ((cmd == "q97" || cmd == "click" || cmd == "dblclick") && need(1)) {
    uint64_t kind = uint64_t(number(a[1])) & 0xFFFF;
    bool indexed = need(2);
    uint64_t wp = kind | (indexed ? uint64_t(number(a[2])) << 16 : 0);
    if (!query(h, QueryHitCentre, wp, indexed ? 1 : 0, v)) return fail("no answer");
    if (cmd == "q97") {
      out(std::to_string(v));
      return 0;
    }
    if (v < 0) return fail("no such hit area");
    postClick(h, int(v / 65536), int(v % 65536), cmd == "dblclick");
    return 0;
  }
  if (cmd == "clickxy" && need(2)) {
    postClick(h, int(number(a[1])), int(number(a[2])), false);
    return 0;
  }
  if (cmd == "menu-click" && need(1)) {
    // A real click (input as from the mouse) on item POS of the open pop-up menu: the menu's
    // own loop reads hardware input only.
    if (!query(h, QueryMenuItem, uint64_t(number(a[1])), 0, v) || v < 0) return fail("no such menu item");
    SetCursorPos(int(v / 65536), int(v % 65536));
    Sleep(100);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
    return 0;
  }
  if (cmd == "rclickxy" && need(2)) {
    LPARAM at = MAKELPARAM(int(number(a[1])), int(number(a[2])));
    PostMessageW(h, WM_MOUSEMOVE, 0, at);
    PostMessageW(h, WM_RBUTTONDOWN, MK_RBUTTON, at);
    PostMessageW(h, WM_RBUTTONUP, 0, at);
    return 0;
  }
  if (cmd == "wheel" && need(3)) {
    // The wheel's point is in screen coordinates.
    POINT pt{int(number(a[1])), int(number(a[2]))};
    ClientToScreen(h, &pt);
    WPARAM keys = need(4) && a[4] == "ctrl" ? MK_CONTROL : 0;
    PostMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(keys, short(number(a[3]))), MAKELPARAM(pt.x, pt.y));
    return 0;
  }
  if (cmd == "q98" && need(1)) {
    if (!query(h, QueryValue, uint64_t(number(a[1])), need(2) ? number(a[2]) : 0, v)) return fail("no answer");
    out(std::to_string(v));
    return 0;
  }
  if (cmd == "q99") {
    if (!query(h, QueryViewBits, 0, 0, v)) return fail("no answer");
    out(std::to_string(v));
    return 0;
  }
  if (cmd == "key" && need(1)) {
    postKey(h, keyCode(a[1]));
    return 0;
  }
  if (cmd == "char" && need(1)) {
    std::wstring w;
    if (!zor::utf8ToWide(a[1], w)) return fail("bad text");
    for (wchar_t ch : w) PostMessageW(h, WM_CHAR, WPARAM(ch), 1);
    return 0;
  }
  if (cmd == "wait" && need(3)) {
    const std::string& what = a[1];
    std::string want = a[3];
    double timeout = seconds(a, 4, 10);
    std::string last;
    bool ok = waitFor(timeout, [&] {
      int64_t r = 0;
      if (what == "text") {
        if (!readText(h, int(number(a[2])), last)) return false;
        return last == want;
      }
      bool got = what == "q99" ? query(h, QueryViewBits, 0, 0, r) : query(h, QueryValue, uint64_t(number(a[2])), 0, r);
      if (!got) return false;
      if (what == "q99") r &= number(a[2]);
      last = std::to_string(r);
      return r == number(want);
    });
    if (!ok) return fail("time-out waiting for " + what + " " + a[2] + " = " + want + " (last " + last + ")");
    out(last);
    return 0;
  }
  if (cmd == "rect") {
    RECT r;
    GetWindowRect(h, &r);
    out(std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + " " +
        std::to_string(r.bottom - r.top) + (IsZoomed(h) ? " max" : ""));
    return 0;
  }
  if (cmd == "move" && need(4)) {
    SetWindowPos(h, nullptr, int(number(a[1])), int(number(a[2])), int(number(a[3])), int(number(a[4])),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  if (cmd == "caption-dblclick") {
    PostMessageW(h, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    return 0;
  }
  if (cmd == "close") {
    PostMessageW(h, WM_CLOSE, 0, 0);
    return 0;
  }
  if (cmd == "post-quit") {
    PostThreadMessageW(GetWindowThreadProcessId(h, nullptr), WM_QUIT, 0, 0);
    return 0;
  }
  usage();
  return kExitUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(utf8(argv[i]));
  return run(args);
}
