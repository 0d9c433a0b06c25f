// A UiServices for tests: records message boxes and answers them from a queue.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace zor {

struct ShownBox {
  std::string text;
  std::string caption;
  unsigned flags = 0;
};

class TestUi : public UiServices {
 public:
  int messageBox(std::string_view text, std::string_view caption, unsigned flags) override {
    boxes.push_back({std::string(text), std::string(caption), flags});
    if (!answers.empty()) {
      int a = answers.front();
      answers.pop_front();
      return a;
    }
    return (flags & MsgYesNo) ? ResultYes : ResultOk;
  }
  void requestRepaint() override { ++repaints; }
  void setTimer(TimerId id, unsigned ms) override { timers.push_back({int(id), int(ms)}); }
  void killTimer(TimerId id) override { killed.push_back(int(id)); }
  bool setClipboardText(std::string_view t) override {
    clipboard = std::string(t);
    return true;
  }
  std::string clipboardText() override { return clipboard; }

  std::vector<ShownBox> boxes;
  std::deque<int> answers;
  int repaints = 0;
  std::vector<std::pair<int, int>> timers;
  std::vector<int> killed;
  std::string clipboard;
};

}  // namespace zor
