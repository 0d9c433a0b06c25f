// The calendar pop-up: which month opens, the month grid, the year bounds of paging, where the
// pop-up goes, what each press and key returns, and its picture.
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/setup_dialogs.h"
#include "fake_dialog_host.h"
#include "recording_canvas.h"
#include "test_ui.h"

namespace zor {
namespace {

constexpr int kToday = 20250611;

TEST(Calendar, OpensOnTheGivenMonthOrToday) {
  struct Case {
    int current;
    int year, month;
  } cases[] = {
      {20240515, 2024, 5},  {20191231, 2019, 12}, {19900101, 1990, 1}, {20991231, 2099, 12},
      {19891231, 2025, 6},  {21000101, 2025, 6},  {20230229, 2025, 6}, {20241301, 2025, 6},
      {0, 2025, 6},         {-1, 2025, 6},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.current);
    CalendarState s = openCalendar(k.current, kToday);
    EXPECT_EQ(s.viewYear, k.year);
    EXPECT_EQ(s.viewMonth, k.month);
    EXPECT_EQ(s.current, k.current);
  }
}

TEST(Calendar, MonthGridStartsOnMonday) {
  CalendarState s = openCalendar(20240515, kToday);  // 1 May 2024 is a Wednesday
  std::vector<CalendarCell> cells = calendarCells(s);
  ASSERT_EQ(cells.size(), 31u);
  EXPECT_EQ(cells[0].date, 20240501);
  EXPECT_EQ(cells[0].rect, (Rect{62, 48, 88, 68}));
  EXPECT_EQ(cells[4].rect, (Rect{166, 48, 192, 68}));  // Sunday the 5th ends the first week
  EXPECT_EQ(cells[5].rect, (Rect{10, 68, 36, 88}));
  EXPECT_EQ(cells[14].date, 20240515);
  EXPECT_EQ(cells[30].rect, (Rect{114, 128, 140, 148}));

  s.viewYear = 2024, s.viewMonth = 2;
  EXPECT_EQ(calendarCells(s).size(), 29u);
  s.viewYear = 2100, s.viewMonth = 2;
  EXPECT_EQ(calendarCells(s).size(), 28u);
  // A month that starts on Sunday and has 31 days fills six rows, above the separator at 170.
  s.viewYear = 2024, s.viewMonth = 12;
  EXPECT_EQ(calendarCells(s).front().rect.left, 10 + 26 * 6);
  EXPECT_EQ(calendarCells(s).back().rect.bottom, 168);
}

TEST(Calendar, PagingStaysWithin1990And2099) {
  CalendarState s = openCalendar(20991201, kToday);
  stepCalendarMonth(s, 1);
  EXPECT_EQ(s.viewYear * 100 + s.viewMonth, 209912);
  stepCalendarMonth(s, -12);
  EXPECT_EQ(s.viewYear * 100 + s.viewMonth, 209812);
  s = openCalendar(19900115, kToday);
  stepCalendarMonth(s, -1);
  EXPECT_EQ(s.viewYear * 100 + s.viewMonth, 199001);
  stepCalendarMonth(s, 1);
  EXPECT_EQ(s.viewYear * 100 + s.viewMonth, 199002);
  s = openCalendar(20241215, kToday);
  stepCalendarMonth(s, 1);
  EXPECT_EQ(s.viewYear * 100 + s.viewMonth, 202501);
}

TEST(Calendar, Placement) {
  const Rect work{0, 0, 1920, 1040};
  struct Case {
    const char* what;
    Rect anchor;
    Rect want;
  } cases[] = {
      {"below the anchor's lower-left corner", {100, 200, 180, 222}, {100, 222, 302, 424}},
      {"past the right edge: moved left", {1800, 200, 1880, 222}, {1718, 222, 1920, 424}},
      {"past the bottom: above the anchor", {100, 900, 180, 922}, {100, 698, 302, 900}},
      {"never left of the work area", {-50, 200, 30, 222}, {0, 222, 202, 424}},
      {"never above it", {100, 100, 180, 1030}, {100, 0, 302, 202}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(calendarPlacement(k.anchor, work), k.want);
  }
  // A work area that does not start at the origin (a monitor left of the primary one).
  EXPECT_EQ(calendarPlacement(Rect{-1500, 10, -1400, 30}, Rect{-1920, 0, 0, 1040}), (Rect{-1500, 30, -1298, 232}));
}

struct Popup {
  CalendarState s = openCalendar(20240515, kToday);
  Dialog d = calendarSpec(s, Rect{0, 0, 202, 202});
  TestUi ui;
  FakeDialogHost host;
  DialogEnv env{ui, host};

  DialogReply in(DialogInput::Kind kind, int x = 0, int y = 0, int key = 0) {
    return d.onInput(d, DialogInput{kind, x, y, key}, env);
  }
};

TEST(Calendar, Input) {
  struct Case {
    const char* what;
    DialogInput input;
    bool closes;
    int result;     // when it closes
    int viewMonth;  // year * 100 + month after the input
  } cases[] = {
      {"a day released", {DialogInput::LeftUp, 62 + 5, 48 + 5}, true, 20240501, 202405},
      {"the 15th", {DialogInput::LeftUp, 10 + 26 * 2 + 13, 48 + 20 * 2 + 10}, true, 20240515, 202405},
      {"a day pressed acts on release only", {DialogInput::LeftDown, 67, 53}, false, 0, 202405},
      {"an empty cell", {DialogInput::LeftUp, 15, 53}, false, 0, 202405},
      {"previous month", {DialogInput::LeftUp, 20, 16}, false, 0, 202404},
      {"next month", {DialogInput::LeftUp, 180, 16}, false, 0, 202406},
      {"no date", {DialogInput::LeftUp, 50, 185}, true, 0, 202405},
      {"today", {DialogInput::LeftUp, 150, 185}, true, kToday, 202405},
      {"PgUp", {DialogInput::Key, 0, 0, KeyPageUp}, false, 0, 202404},
      {"PgDn", {DialogInput::Key, 0, 0, KeyPageDown}, false, 0, 202406},
      {"Esc", {DialogInput::Key, 0, 0, KeyEscape}, true, -1, 202405},
      {"a press outside", {DialogInput::LeftDown, 202, 100}, true, -1, 202405},
      {"a press above", {DialogInput::LeftDown, 100, -1}, true, -1, 202405},
      {"capture lost", {DialogInput::CaptureLost}, true, -1, 202405},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Popup p;
    DialogReply r = p.d.onInput(p.d, k.input, p.env);
    EXPECT_EQ(r.close, k.closes);
    if (k.closes) {
      EXPECT_EQ(p.d.result, k.result);
    } else if (k.viewMonth != 202405) {
      EXPECT_TRUE(r.repaint);
    }
    EXPECT_EQ(p.s.viewYear * 100 + p.s.viewMonth, k.viewMonth);
  }
  Popup p;
  EXPECT_EQ(p.d.cancelResult, -1);
  EXPECT_EQ(p.d.failResult, -1);
}

TEST(Calendar, Picture) {
  CalendarState s = openCalendar(20240515, 20240520);
  RecordingCanvas c(202, 202);
  paintCalendar(s, c);
  const Primitive* header = c.findText("2024年5月");
  ASSERT_NE(header, nullptr);
  EXPECT_TRUE(header->font.bold);
  EXPECT_EQ(c.findText("‹")->rect, (Rect{8, 6, 32, 26}));
  EXPECT_EQ(c.findText("日")->color, rgb(176, 0, 0));
  EXPECT_EQ(c.findText("五")->color, rgb(96, 96, 96));
  EXPECT_EQ(c.findText("15")->color, rgb(255, 255, 255));  // the given date
  EXPECT_EQ(c.findText("18")->color, rgb(176, 0, 0));      // a Saturday
  EXPECT_EQ(c.findText("16")->color, rgb(0, 0, 0));
  EXPECT_NE(c.findText("不限（清空）"), nullptr);
  EXPECT_NE(c.findText("今天"), nullptr);

  bool given = false, today = false;
  for (const Primitive& pr : c.primitives()) {
    if (pr.kind == Primitive::FillRect && pr.rect == Rect{62, 88, 88, 108}) given = pr.color == rgb(126, 158, 185);
    if (pr.kind == Primitive::FrameRect && pr.rect == Rect{10, 108, 36, 128}) today = true;
  }
  EXPECT_TRUE(given);
  EXPECT_TRUE(today);
}

TEST(Calendar, PickDateThroughTheFrame) {
  AppState app;
  TestUi ui;
  FakeDialogHost host;
  app.ui = &ui;
  EXPECT_EQ(pickDate(app, 20240515, Rect{0, 0, 10, 10}), -1);  // no window: cancelled
  app.win.dialogs = &host;
  host.work = Rect{0, 0, 800, 600};
  Rect placed;
  host.script = [&](Dialog& d) {
    placed = d.popupRect;
    EXPECT_EQ(d.frame, DialogFrame::Popup);
    EXPECT_EQ(d.className, "ZORCALPICK");
    return 20240516;
  };
  EXPECT_EQ(pickDate(app, 20240515, Rect{700, 500, 780, 520}), 20240516);
  EXPECT_EQ(placed, (Rect{598, 298, 800, 500}));
}

}  // namespace
}  // namespace zor
