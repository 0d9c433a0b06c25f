// The splash window shown while the instrument table loads: no message loop runs meanwhile,
// so it is painted once, synchronously, when shown.
#pragma once

#include <windows.h>

namespace zor {

class SplashWindow {
 public:
  SplashWindow() = default;
  ~SplashWindow() { hide(); }
  SplashWindow(const SplashWindow&) = delete;
  SplashWindow& operator=(const SplashWindow&) = delete;
  void show(HINSTANCE instance);
  // Destroys the window and its font.
  void hide();

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace zor
