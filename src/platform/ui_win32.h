// UiServices on Win32: message boxes, repaint requests and timers of the main window, the
// clipboard, and pop-up menus.
#pragma once

#include <windows.h>

#include "platform/ui.h"

namespace zor {

// Message-box style of the program's MsgBox flags, and the MsgResult of a box's answer.
UINT messageBoxType(unsigned flags);
int messageBoxResult(int r);

class Win32Ui : public UiServices {
 public:
  void setWindow(HWND w) { window_ = w; }
  HWND window() const { return window_; }
  // While the instrument table loads behind the topmost splash window, every box is shown
  // topmost too, so that none can hide behind it.
  void setLoadingPhase(bool on) { loading_ = on; }

  int messageBox(std::string_view text, std::string_view caption, unsigned flags) override;
  void requestRepaint() override;
  void setTimer(TimerId id, unsigned intervalMs) override;
  void killTimer(TimerId id) override;
  bool setClipboardText(std::string_view text) override;
  std::string clipboardText() override;
  int popupMenu(const std::vector<MenuEntry>& entries, int x, int y) override;
  // The screen centre of item `pos` (separators counted) of the pop-up menu open now, as
  // x * 65536 + y; -1 when no menu is open or it has no such item. Answered from inside the
  // menu's own loop, for the drivers that click menu items as a user would.
  int64_t openMenuItemCentre(int pos) const;

 private:
  HMENU openMenu_ = nullptr;
  HWND window_ = nullptr;
  bool loading_ = false;
};

}  // namespace zor
