// Inside the Win32 dialog frame: the state of one open dialog window, shared by its window
// procedure (dialog_win32.cpp) and its controls (dialog_controls_win32.cpp).
#pragma once

#include <windows.h>

#include <vector>

#include "app/dialog.h"
#include "platform/ui.h"
#include "platform/win32/dialog_win32.h"

namespace zor {

class Win32Ui;

// The program's UI services as seen from inside a dialog: message boxes belong to the dialog
// (shown above it, and it takes no input meanwhile); everything else is the main window's.
class DialogUi : public UiServices {
 public:
  DialogUi(Win32Ui& app, HWND owner) : app_(app), owner_(owner) {}
  void setOwner(HWND owner) { owner_ = owner; }
  int messageBox(std::string_view text, std::string_view caption, unsigned flags) override;
  void requestRepaint() override;
  void setTimer(TimerId id, unsigned intervalMs) override;
  void killTimer(TimerId id) override;
  bool setClipboardText(std::string_view text) override;
  std::string clipboardText() override;
  int popupMenu(const std::vector<MenuEntry>& entries, int x, int y) override;

 private:
  Win32Ui& app_;
  HWND owner_;
};

struct DialogWindow {
  DialogWindow(Dialog& dialog, Win32DialogHost& host, Win32Ui& appUi)
      : d(dialog), host(host), ui(appUi, nullptr), env{ui, host} {}
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  Dialog& d;
  Win32DialogHost& host;
  DialogUi ui;
  DialogEnv env;
  HWND hwnd = nullptr;
  HWND owner = nullptr;       // the main window, when there is one
  bool modal = true;          // runs a nested loop; otherwise destroys itself when closed
  bool finished = false;      // an event closed the dialog (its result is set)
  bool destroyed = false;     // the window is gone, closed or taken down with its owner
  bool ending = false;        // the window is being taken down: capture loss means nothing
  bool trackingMouse = false;
  std::vector<HFONT> fonts;   // of the controls, deleted with the window
  HBRUSH background = nullptr;
};

// Controls of a control dialog (dialog_controls_win32.cpp).
bool createControls(DialogWindow& w);
void readControls(DialogWindow& w);
void writeControls(DialogWindow& w);
void deleteControlFonts(DialogWindow& w);
// The brush and colours for WM_CTLCOLOR* of a control.
HBRUSH controlColours(DialogWindow& w, HDC dc, HWND control);

std::wstring wideText(std::string_view s);
std::string utf8Text(const std::wstring& w);

}  // namespace zor
