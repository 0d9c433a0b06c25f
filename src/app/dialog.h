// The dialog frame: every window of the program that is not the main window is described by a
// `Dialog` (its frame, title, size, fields and the functions that validate and apply them, or
// for a painted window its paint and input functions) and built by the platform's one
// implementation of `DialogHost`. The rules of a dialog live here and in the dialog's own
// file, so that they are tested without a window: what a button does, when validation refuses,
// what apply changes, what closing does.
//
// A window that returns a result runs its own message loop and returns synchronously; while
// it is open the main window takes no keyboard or mouse input (painting and timers go on).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas.h"
#include "platform/keys.h"
#include "platform/ui.h"

namespace zor {

struct AppState;
struct WindowState;
class DialogHost;

// The standard controls a dialog is built from.
enum class FieldKind {
  Label,     // static text; "\r\n" breaks lines, long lines wrap
  Edit,      // single-line text entry
  TextBox,   // read-only multi-line text with a vertical scroll bar
  Button,    // push button; its `role` says what pressing it does
  CheckBox,
  Combo,     // drop-down list of `items`
  List,      // list box of `items`
};

enum class ButtonRole {
  Submit,   // check the limits, validate, apply; the dialog closes unless apply keeps it open
  Cancel,   // the same as closing the window
  Command,  // runs the dialog's onCommand (a folder browser, say); the dialog stays open
};

struct DialogField {
  int id = 0;  // control id; 0 for a label nobody reads
  FieldKind kind = FieldKind::Label;
  Rect rect;   // in client pixels
  std::string label;  // the text of a label, button or check box
  std::string text;   // an edit's or text box's current text (UTF-8)
  // Most UTF-8 bytes an edit accepts (0: no limit). A longer text is refused when the dialog
  // is submitted, with `limitMessage` (or a message naming the field), and the dialog stays.
  size_t limit = 0;
  std::string limitMessage;
  std::vector<std::string> items;  // combo and list entries
  int selected = -1;               // combo and list selection, -1 none
  bool checked = false;            // check box
  ButtonRole role = ButtonRole::Command;
  bool isDefault = false;          // the button Enter presses
  Font font;
};

// How the window sits on the screen.
enum class DialogFrame {
  Window,  // caption and system menu, at the system's default position, owned by the main window
  Panel,   // a child of the main window, centred in its client area, painting its own border
  Popup,   // no caption, a thin border, no task-bar button, at `popupRect`; captures the mouse
};

// The answer of validate: success, or one message (shown in a box) and the field to focus.
struct DialogCheck {
  bool ok = true;
  std::string message;
  std::string caption = "提示";
  int focus = 0;
  static DialogCheck pass() { return {}; }
  static DialogCheck refuse(std::string message, int focus = 0) { return DialogCheck{false, std::move(message), "提示", focus}; }
};

// What an event asks of the window.
struct DialogReply {
  bool close = false;    // end the dialog with `Dialog::result`
  bool refresh = false;  // field values changed: show them again
  bool repaint = false;  // a painted dialog changed
  int focus = 0;         // the field to put the keyboard focus on (a refused entry), 0 none
};

// Keys the dialogs read (platform/keys.h).
using DialogKey = Key;

// Mouse and keyboard input of a painted dialog, in client pixels.
struct DialogInput {
  enum Kind { MouseMove, MouseLeave, LeftDown, LeftUp, Key, CaptureLost } kind = MouseMove;
  int x = 0, y = 0;
  int key = 0;  // DialogKey, or '0'..'9', 'A'..'Z'
};

// What the dialog's functions may use while it is open: message boxes (shown above the dialog)
// and the platform's other dialog services.
struct DialogEnv {
  UiServices& ui;
  DialogHost& host;
};

struct Dialog {
  std::string className;  // the window class, registered once per process
  std::string title;
  DialogFrame frame = DialogFrame::Window;
  // Window: the outer size (grown when the system's caption and borders leave the fields too
  // little room); Panel and Popup: the window's size.
  Size size;
  Rect popupRect;          // Popup: where the window goes, in screen pixels
  bool systemBackground = true;  // the button-face colour; otherwise `background`
  Color background = rgb(255, 255, 255);
  bool gbCharset = false;  // fonts of the controls ask for the GB2312 character set
  bool handCursor = false;

  std::vector<DialogField> fields;

  // Control dialogs. validate may refuse; apply returns the reply (close, or stay open after a
  // failure it has reported). A Submit button without apply closes with result 1.
  std::function<DialogCheck(const Dialog&)> validate;
  std::function<DialogReply(Dialog&, DialogEnv&)> apply;
  std::function<DialogReply(Dialog&, int id, DialogEnv&)> onCommand;
  // Closing the window (close box, Esc, a Cancel button). Without onClose the dialog closes
  // with `cancelResult`.
  std::function<DialogReply(Dialog&, DialogEnv&)> onClose;

  // Painted dialogs (no fields): the picture and the input.
  std::function<void(const Dialog&, Canvas&)> paint;
  std::function<DialogReply(Dialog&, const DialogInput&, DialogEnv&)> onInput;

  std::function<void(Dialog&)> onEnd;  // a modeless window has closed

  int result = 0;         // what the dialog returns
  int cancelResult = 0;   // the result of closing without a choice
  int failResult = 0;     // the result when the window cannot be created

  DialogField* field(int id);
  const DialogField* field(int id) const;
  // The text of an edit (empty for an unknown id).
  const std::string& text(int id) const;
  void setText(int id, std::string_view text);
};

// The platform's dialog services: one implementation builds every Dialog.
class DialogHost {
 public:
  virtual ~DialogHost() = default;
  // Builds the window, runs until it closes and returns `d.result`; `d.failResult` when the
  // window cannot be created. Field values are read back into `d` as the window ends.
  virtual int run(Dialog& d) = 0;
  // The system's folder browser; false when cancelled (then `path` is unchanged).
  virtual bool browseFolder(std::string_view title, std::string& path) = 0;
  // The running executable's version "major.minor.build", empty when it cannot be read.
  virtual std::string programVersion() = 0;
  // Opens `d` without waiting (a modeless window: the main window keeps its input). The window
  // lives until it is closed, then `d.onEnd` runs; the caller keeps `d` alive until then.
  // False when the window cannot be created.
  virtual bool open(Dialog& d) = 0;
  // The work area of the monitor nearest to the screen point (x, y).
  virtual Rect workAreaAt(int x, int y) = 0;
};

// ---- what the platform's window calls on events; the rules of every control dialog ----

// A button of a control dialog was pressed.
DialogReply pressDialogButton(Dialog& d, int id, DialogEnv& env);
// The user asked to close the window.
DialogReply requestDialogClose(Dialog& d, DialogEnv& env);
// The field Enter presses (the default button), 0 for none.
int defaultButton(const Dialog& d);
// The client size the fields need, with a margin right and below.
Size fieldsExtent(const Dialog& d);
// Where a panel of `panel` size goes in a client area of `client` size: centred, never above
// or left of it.
Rect centredPanel(Size client, Size panel);

// ---- running dialogs from the application ----

// Runs `d` through the platform (app.win.dialogs) with the main window's input blocked until it
// returns. Without a platform (tools, tests without a host) returns `d.failResult`.
int runDialog(AppState& app, Dialog& d);

// True while a window that returns a result is open: the main window then ignores keyboard
// and mouse input.
bool mainInputBlocked(const WindowState& win);

}  // namespace zor
