// The shell's four small windows, each described for the dialog frame (app/dialog.h): the
// data-directory dialog, the mode selection panel, the calendar pop-up and the about window.
// Their descriptions and rules are here; the platform only builds them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/dialog.h"
#include "platform/canvas.h"

namespace zor {

struct AppState;
struct Config;

// ---- data-directory dialog ----

constexpr const char* kDataDirClass = "ZORCFGCLS";
constexpr const char* kDataDirTitle = "数据目录配置 - 澄川K线回放训练软件";
constexpr const char* kMsgNeedOneDir = "请至少填写一个数据目录（DAT 或 lc1）。";
constexpr const char* kMsgDirTooLong = "目录路径过长（超过 259 字节），请选择较短的路径。";
constexpr const char* kMsgQuitWithoutDir = "尚未配置数据目录，是否退出程序？";
constexpr const char* kMsgSettingsThisRunOnly = "\n\n本次设置仅在本次运行中有效。";
constexpr const char* kBrowseTitle = "请选择数据目录";

enum DataDirFieldId { FieldDatDir = 1001, FieldLc1Dir = 1002, FieldBrowseDat = 1003, FieldBrowseLc1 = 1004, FieldSaveDirs = 1005 };

// Where the dialog was opened from: at start-up closing asks whether to quit; from the menu it
// cancels.
enum class DataDirOrigin { Startup, Menu };

enum class DataDirOutcome {
  Cancelled = 0,
  Saved = 1,           // zor.cfg holds the new directories
  KeptForThisRun = 2,  // zor.cfg could not be written at start-up: the directories hold until exit
  Quit = 3,            // closed at start-up and the user chose to quit
};

// The dialog over `cfg`: its edits show the configured texts; a save changes `cfg` only when
// zor.cfg was written, except at start-up, where the typed directories are kept for this run
// after the failure has been reported. The result is a DataDirOutcome.
Dialog dataDirDialogSpec(Config& cfg, DataDirOrigin origin);
DataDirOutcome dataDirDialog(AppState& app, DataDirOrigin origin);

// After the data directories changed: builds the instrument table again (no splash window) and
// resets every index that could now name another instrument. False when the loader kept the
// old table (it has said why), which leaves every index valid.
bool rebuildInstrumentTable(AppState& app);

// ---- mode selection panel ----

constexpr const char* kModePanelClass = "ZORMODESEL";
constexpr const char* kModePanelTitle = "请选择模式";
constexpr Size kModePanelSize{620, 300};
constexpr int kModeCards = 3;

struct ModePanelState {
  int hover = -1;  // the card under the mouse, -1 none
};

// Card 0..2 in panel pixels; the whole card is clickable.
Rect modeCardRect(int card);
// The card at a panel point, -1 for none.
int modeCardAt(int x, int y);
// The close mark "×" of a panel `width` wide, as painted and as clicked.
Rect modeCloseMarkRect(int width);
bool inModeCloseMark(int width, int x, int y);
void paintModePanel(const ModePanelState& s, Canvas& c);
DialogReply modePanelInput(ModePanelState& s, Dialog& d, const DialogInput& in);
Dialog modePanelSpec(ModePanelState& s);
// Shows the panel in the main window: 1 history trading, 2 K-line training, 3 real-time
// trading, 0 when it was left without a choice (1 when it cannot be shown).
int modeDialog(AppState& app);

// ---- calendar pop-up ----

constexpr const char* kCalendarClass = "ZORCALPICK";
constexpr const char* kCalendarTitle = "选择日期";
constexpr int kCalendarSize = 202;
constexpr int kCalendarFirstYear = 1990, kCalendarLastYear = 2099;

struct CalendarState {
  int viewYear = 2024, viewMonth = 1;
  int current = 0;  // the date passed in (yyyymmdd), highlighted when shown
  int today = 0;
};

struct CalendarCell {
  int date = 0;  // yyyymmdd
  Rect rect;
};

// The month first shown: that of `current` when it is a real date in 19900101..20991231,
// otherwise that of `today`.
CalendarState openCalendar(int current, int today);
// The day cells of the viewed month, weeks starting on Monday.
std::vector<CalendarCell> calendarCells(const CalendarState& s);
// Moves the viewed month by `months`, held within January 1990 .. December 2099.
void stepCalendarMonth(CalendarState& s, int months);
// Where the pop-up goes for an anchor rectangle in the work area (screen pixels).
Rect calendarPlacement(const Rect& anchor, const Rect& work);
void paintCalendar(const CalendarState& s, Canvas& c);
// Result: the picked date, 0 for no date, -1 for cancelled.
DialogReply calendarInput(CalendarState& s, Dialog& d, const DialogInput& in);
Dialog calendarSpec(CalendarState& s, const Rect& placement);
// The pop-up below `anchor` (screen pixels): the picked date, 0 for no date, -1 cancelled.
int pickDate(AppState& app, int current, const Rect& anchor);

// ---- about window ----

constexpr const char* kAboutClass = "ZORABOUTCLS";
constexpr const char* kAboutTitle = "关于 - 澄川K线回放训练软件";
constexpr int kAboutCloseButton = 1102;

// The title line: "澄川K线回放训练软件  v1.0.0", or the title alone without a version.
std::string aboutTitleLine(std::string_view version);
// The about text, one entry per line.
const std::vector<std::string>& aboutLines();
Dialog aboutWindowSpec(std::string_view version);
void aboutWindow(AppState& app);

}  // namespace zor
