// The calendar pop-up: one month of day cells under a header with the previous and next month
// arrows, and the buttons "no date" and "today". It acts when the mouse button is released.
#include <algorithm>

#include "app/app_state.h"
#include "app/setup_dialogs.h"
#include "platform/calendar.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "platform/trace_log.h"

namespace zor {

namespace {

constexpr int kCellW = 26, kCellH = 20, kGridLeft = 10, kGridTop = 48;

constexpr Rect kPrevArrow{8, 6, 32, 26};
constexpr Rect kNextArrow{170, 6, 194, 26};
constexpr Rect kHeader{32, 6, 170, 26};
constexpr Rect kNoDateButton{8, 174, 100, 196};
constexpr Rect kTodayButton{106, 174, 194, 196};

constexpr Color kFrame = rgb(126, 158, 185);
constexpr Color kWeekdayText = rgb(96, 96, 96);
constexpr Color kWeekendText = rgb(176, 0, 0);
constexpr Color kTodayOutline = rgb(160, 160, 160);
constexpr Color kSeparator = rgb(200, 200, 200);
constexpr Color kButtonFill = rgb(246, 246, 246);

constexpr const char* kFace = "宋体";
// Monday first.
constexpr const char* kWeekdays[7] = {"一", "二", "三", "四", "五", "六", "日"};

int date(int y, int m, int d) { return y * 10000 + m * 100 + d; }

int daysInMonth(int y, int m) {
  int ny = m == 12 ? y + 1 : y, nm = m == 12 ? 1 : m + 1;
  return int(dayNumber(date(ny, nm, 1)) - dayNumber(date(y, m, 1)));
}

// Column of a date in a week that starts on Monday.
int mondayColumn(int yyyymmdd) { return (weekdayOf(yyyymmdd) + 6) % 7; }

DialogReply finish(Dialog& d, int result) {
  d.result = result;
  return DialogReply{true, false, false};
}

DialogReply release(CalendarState& s, Dialog& d, int x, int y) {
  if (kPrevArrow.contains(x, y) || kNextArrow.contains(x, y)) {
    stepCalendarMonth(s, kPrevArrow.contains(x, y) ? -1 : 1);
    return DialogReply{false, false, true};
  }
  for (const CalendarCell& cell : calendarCells(s))
    if (cell.rect.contains(x, y)) return finish(d, cell.date);
  if (kNoDateButton.contains(x, y)) return finish(d, 0);
  if (kTodayButton.contains(x, y)) return finish(d, s.today);
  return {};
}

void paintButton(Canvas& c, const Rect& r, const char* text) {
  c.fillRect(r, kButtonFill);
  c.frameRect(r, kTodayOutline, 1);
  c.textInRect(r, text, rgb(0, 0, 0), AlignCenter | AlignVCenter);
}

}  // namespace

CalendarState openCalendar(int current, int today) {
  CalendarState s;
  s.current = current;
  s.today = today;
  int shown = isRealDate(current) && current >= 19900101 && current <= 20991231 ? current : today;
  s.viewYear = std::clamp(shown / 10000, kCalendarFirstYear, kCalendarLastYear);
  s.viewMonth = std::clamp(shown / 100 % 100, 1, 12);
  return s;
}

std::vector<CalendarCell> calendarCells(const CalendarState& s) {
  std::vector<CalendarCell> cells;
  int first = date(s.viewYear, s.viewMonth, 1);
  int offset = mondayColumn(first);
  int n = daysInMonth(s.viewYear, s.viewMonth);
  for (int day = 1; day <= n; ++day) {
    int slot = offset + day - 1;
    int x = kGridLeft + kCellW * (slot % 7), y = kGridTop + kCellH * (slot / 7);
    cells.push_back(CalendarCell{date(s.viewYear, s.viewMonth, day), Rect{x, y, x + kCellW, y + kCellH}});
  }
  return cells;
}

void stepCalendarMonth(CalendarState& s, int months) {
  int index = std::clamp(s.viewYear * 12 + (s.viewMonth - 1) + months, kCalendarFirstYear * 12,
                         kCalendarLastYear * 12 + 11);
  s.viewYear = index / 12;
  s.viewMonth = index % 12 + 1;
}

Rect calendarPlacement(const Rect& anchor, const Rect& work) {
  int x = anchor.left, y = anchor.bottom;
  if (x + kCalendarSize > work.right) x = work.right - kCalendarSize;
  if (y + kCalendarSize > work.bottom) y = anchor.top - kCalendarSize;
  x = std::max(x, work.left);
  y = std::max(y, work.top);
  return Rect{x, y, x + kCalendarSize, y + kCalendarSize};
}

void paintCalendar(const CalendarState& s, Canvas& c) {
  int w = c.width(), h = c.height();
  c.fillRect(Rect{0, 0, w, h}, rgb(255, 255, 255));
  c.frameRect(Rect{0, 0, w, h}, kFrame, 1);

  c.setFont(Font{kFace, 12, true});
  c.textInRect(kPrevArrow, "‹", rgb(0, 0, 0), AlignCenter | AlignVCenter);
  c.textInRect(kNextArrow, "›", rgb(0, 0, 0), AlignCenter | AlignVCenter);
  c.textInRect(kHeader, strPrintf("%d年%d月", s.viewYear, s.viewMonth), rgb(0, 0, 0), AlignCenter | AlignVCenter);

  c.setFont(Font{kFace, 12, false});
  for (int col = 0; col < 7; ++col) {
    Rect r{kGridLeft + kCellW * col, 28, kGridLeft + kCellW * (col + 1), 46};
    c.textInRect(r, kWeekdays[col], col >= 5 ? kWeekendText : kWeekdayText, AlignCenter | AlignVCenter);
  }
  for (const CalendarCell& cell : calendarCells(s)) {
    bool weekend = mondayColumn(cell.date) >= 5;
    Color text = weekend ? kWeekendText : rgb(0, 0, 0);
    if (cell.date == s.current) {
      c.fillRect(cell.rect, kFrame);
      text = rgb(255, 255, 255);
    } else if (cell.date == s.today) {
      c.frameRect(cell.rect, kTodayOutline, 1);
    }
    c.textInRect(cell.rect, std::to_string(cell.date % 100), text, AlignCenter | AlignVCenter);
  }

  c.line(Point{8, 170}, Point{194, 170}, Pen{kSeparator, 1, PenStyle::Solid});
  paintButton(c, kNoDateButton, "不限（清空）");
  paintButton(c, kTodayButton, "今天");
}

DialogReply calendarInput(CalendarState& s, Dialog& d, const DialogInput& in) {
  switch (in.kind) {
    case DialogInput::LeftDown:
      // The pop-up holds the mouse: a press anywhere else dismisses it.
      if (!Rect{0, 0, kCalendarSize, kCalendarSize}.contains(in.x, in.y)) return finish(d, -1);
      return {};
    case DialogInput::LeftUp: return release(s, d, in.x, in.y);
    case DialogInput::CaptureLost: return finish(d, -1);
    case DialogInput::Key:
      if (in.key == KeyPageUp || in.key == KeyPageDown) {
        stepCalendarMonth(s, in.key == KeyPageUp ? -1 : 1);
        return DialogReply{false, false, true};
      }
      if (in.key == KeyEscape) return finish(d, -1);
      return {};
    default: return {};
  }
}

Dialog calendarSpec(CalendarState& s, const Rect& placement) {
  Dialog d;
  d.className = kCalendarClass;
  d.title = kCalendarTitle;
  d.frame = DialogFrame::Popup;
  d.size = Size{kCalendarSize, kCalendarSize};
  d.popupRect = placement;
  d.systemBackground = false;
  d.background = rgb(255, 255, 255);
  d.paint = [&s](const Dialog&, Canvas& c) { paintCalendar(s, c); };
  d.onInput = [&s](Dialog& dlg, const DialogInput& in, DialogEnv&) { return calendarInput(s, dlg, in); };
  d.cancelResult = d.failResult = -1;
  return d;
}

int pickDate(AppState& app, int current, const Rect& anchor) {
  CalendarState s = openCalendar(current, localNow().yyyymmdd());
  traceLine("CAL open cur=%d view=%d-%02d", current, s.viewYear, s.viewMonth);
  Rect work = app.win.dialogs ? app.win.dialogs->workAreaAt(anchor.left, anchor.bottom) : Rect{0, 0, 1024, 768};
  Dialog d = calendarSpec(s, calendarPlacement(anchor, work));
  int result = runDialog(app, d);
  traceLine("CAL pick result=%d (cur=%d)", result, current);
  return result;
}

}  // namespace zor
