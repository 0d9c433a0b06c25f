// The main window's class "ZORWIN" and its window procedure. The procedure translates
// messages into the portable calls of app/main_window.h and app/placement.h.
#pragma once

#include <windows.h>

namespace zor {

struct AppState;

constexpr const wchar_t* kMainWindowClass = L"ZORWIN";

// Registers the class (once) and creates the window, hidden, then removes its system caption.
HWND createMainWindow(AppState& app, HINSTANCE instance);

}  // namespace zor
