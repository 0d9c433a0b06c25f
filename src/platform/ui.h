// Services the portable core needs from the user-interface platform. The Windows program
// implements them with Win32; tests install a recording implementation.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zor {

// Message-box style flags (combine one icon with one button set).
enum MsgBox : unsigned {
  MsgInfo = 0x01,
  MsgWarning = 0x02,
  MsgError = 0x04,
  MsgQuestion = 0x08,
  MsgOk = 0x00,
  MsgYesNo = 0x10,
  MsgOkCancel = 0x20,
  MsgTopmost = 0x100,  // shown above every window (boxes of the loading phase)
};

// Message-box answers.
enum MsgResult { ResultOk = 1, ResultCancel = 2, ResultYes = 6, ResultNo = 7 };

// The main window's timers. The ids are pinned: they are the platform timer ids, and the
// message trace prints them.
enum class TimerId : int {
  Blink = 1,      // 700 ms: caret blink, quote-list refresh, order matching
  Replay = 2,     // history replay frames
  LiveFetch = 3,  // real-time fetch, re-armed with a random interval
  Autoplay = 4,   // K-line training autoplay
};

// One entry of a pop-up menu; id 0 is a separator.
struct MenuEntry {
  std::string text;
  int id = 0;
  bool checked = false;
};

class UiServices {
 public:
  virtual ~UiServices() = default;
  // Shows a modal message box (UTF-8 texts) and returns the answer.
  virtual int messageBox(std::string_view text, std::string_view caption, unsigned flags) = 0;
  // Asks for the main window to be repainted soon.
  virtual void requestRepaint() = 0;
  // Starts (or restarts) a timer of the main window; its ticks arrive through the window.
  virtual void setTimer(TimerId id, unsigned intervalMs) = 0;
  virtual void killTimer(TimerId id) = 0;
  virtual bool setClipboardText(std::string_view text) = 0;
  virtual std::string clipboardText() = 0;
  // Shows a pop-up menu with its top-left corner at client point (x, y) of the main window and
  // returns the chosen id, 0 when it was dismissed.
  virtual int popupMenu(const std::vector<MenuEntry>& entries, int x, int y) { return 0; }
};

// Used until the platform installs its own: answers every box with its default button
// (Ok, Yes) and ignores the rest. Command-line tools run with it.
class HeadlessUi : public UiServices {
 public:
  int messageBox(std::string_view text, std::string_view caption, unsigned flags) override;
  void requestRepaint() override {}
  void setTimer(TimerId, unsigned) override {}
  void killTimer(TimerId) override {}
  bool setClipboardText(std::string_view) override { return false; }
  std::string clipboardText() override { return {}; }
};

}  // namespace zor
