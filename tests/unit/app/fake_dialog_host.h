// A DialogHost for tests: records the dialogs opened and answers them with a script, without a
// window. The script gets the dialog and drives it through the portable calls a window would
// make (pressDialogButton, requestDialogClose, the painted dialogs' onInput).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/dialog.h"

namespace zor {

class FakeDialogHost : public DialogHost {
 public:
  // Answers one opened dialog; without a script every dialog is closed unanswered.
  std::function<int(Dialog&)> script;
  std::vector<std::string> opened;  // class names, in order
  std::optional<std::string> folder;  // what the folder browser picks; none: cancelled
  std::string version = "1.0.0";
  Rect work{0, 0, 1920, 1040};

  int run(Dialog& d) override {
    opened.push_back(d.className);
    d.result = d.cancelResult;
    return script ? script(d) : d.result;
  }
  bool open(Dialog& d) override {
    opened.push_back(d.className);
    return true;
  }
  bool browseFolder(std::string_view, std::string& path) override {
    if (!folder) return false;
    path = *folder;
    return true;
  }
  std::string programVersion() override { return version; }
  Rect workAreaAt(int, int) override { return work; }
};

}  // namespace zor
