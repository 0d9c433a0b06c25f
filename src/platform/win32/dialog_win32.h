// The one Win32 implementation of the dialog frame (app/dialog.h): it builds a window from a
// Dialog (standard controls, or a painted surface), runs the nested message loop of a window
// that returns a result, and gives every dialog window its keyboard navigation.
#pragma once

#include <windows.h>

#include "app/dialog.h"

namespace zor {

class Win32Ui;

class Win32DialogHost : public DialogHost {
 public:
  // `ui` is the program's UI services; its window is the owner of the dialogs and the parent
  // of panels once the main window exists.
  Win32DialogHost(HINSTANCE instance, Win32Ui& ui) : instance_(instance), ui_(ui) {}

  int run(Dialog& d) override;
  bool open(Dialog& d) override;
  bool browseFolder(std::string_view title, std::string& path) override;
  std::string programVersion() override;
  Rect workAreaAt(int x, int y) override;

  HINSTANCE instance() const { return instance_; }
  Win32Ui& ui() const { return ui_; }

 private:
  HINSTANCE instance_;
  Win32Ui& ui_;
};

// Keyboard navigation of the dialog windows open now (Tab, Enter for the default button, Esc):
// true when `msg` was handled as such and must not be dispatched again. Every message loop
// of the program calls it before TranslateMessage.
bool routeDialogMessage(MSG& msg);

}  // namespace zor
