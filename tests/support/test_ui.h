// A UiServices for tests: records message boxes and answers them from a queue.
#pragma once

#include <deque>
#include <functional>
#include <set>
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
    // What happens while the box is open (timers firing, say).
    if (whileBoxOpen) whileBoxOpen();
    if (!answers.empty()) {
      int a = answers.front();
      answers.pop_front();
      return a;
    }
    return (flags & MsgYesNo) ? ResultYes : ResultOk;
  }
  void requestRepaint() override { ++repaints; }
  void setTimer(TimerId id, unsigned ms) override {
    timers.push_back({int(id), int(ms)});
    armed.insert(int(id));
  }
  void killTimer(TimerId id) override {
    killed.push_back(int(id));
    armed.erase(int(id));
  }
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
  std::set<int> armed;  // timers running now
  std::function<void()> whileBoxOpen;
  std::string clipboard;
};

}  // namespace zor
