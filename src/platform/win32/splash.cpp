#include "platform/win32/splash.h"

namespace zor {

namespace {

constexpr int kSplashWidth = 460;
constexpr int kSplashHeight = 110;
constexpr const wchar_t* kSplashClass = L"ZORSPLASH";
constexpr const wchar_t* kSplashText = L"正在加载行情数据，请稍候…";

HFONT g_font = nullptr;

LRESULT CALLBACK splashProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    HGDIOBJ old = SelectObject(dc, g_font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, kSplashText, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

void SplashWindow::show(HINSTANCE instance) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = splashProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_WAIT);
    wc.lpszClassName = kSplashClass;
    registered = RegisterClassW(&wc) != 0;
  }
  // 20 pixels of character height (a negative height), normal weight, ClearType.
  g_font = CreateFontW(-20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Microsoft YaHei");
  int x = (GetSystemMetrics(SM_CXSCREEN) - kSplashWidth) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - kSplashHeight) / 2;
  hwnd_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kSplashClass, L"", WS_POPUP | WS_BORDER, x, y, kSplashWidth,
                          kSplashHeight, nullptr, nullptr, instance, nullptr);
  if (!hwnd_) return;
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
}

void SplashWindow::hide() {
  if (hwnd_) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  if (g_font) DeleteObject(g_font);
  g_font = nullptr;
}

}  // namespace zor
