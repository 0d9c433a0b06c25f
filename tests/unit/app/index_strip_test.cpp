// The index strip: entries without a file, the daily reference (the selected instrument's last
// day), the replay's frame reference with the minutes of its day, read before the paint.
#include <gtest/gtest.h>

#include "../training/training_fixture.h"
#include "app/index_strip.h"
#include "recording_canvas.h"
#include "sample_market/market_writer.h"

namespace zor {
namespace {

using test::TrainingFixture;

DayBar day(int date, double close) { return test::dailyBar(date, close); }

MinuteBar minute(int date, int time, double close) {
  MinuteBar m;
  m.date = date;
  m.time = time;
  m.open = m.high = m.low = m.close = float(close);
  return m;
}

struct StripFixture : TrainingFixture {
  StripFixture() {
    app.config.datDir = dir.path();
    // 上证 only: three days, and minutes of the last one.
    std::vector<DayBar> days = {day(20240102, 3000), day(20240103, 3030), day(20240104, 2970)};
    std::vector<MinuteBar> mins = {minute(20240104, 571, 3010), minute(20240104, 600, 3045),
                                   minute(20240104, 660, 2990)};
    EXPECT_TRUE(writeBinaryFile(dir.path() + datFileName(1, "999999"), datFileBytes(days, mins)));
  }
  RecordingCanvas paint() {
    prepareIndexStrip(app);
    RecordingCanvas c(1280, 720);
    paintIndexStrip(app, c, Rect{0, 720 - 46, 1280, 720 - 24});
    return c;
  }
};

TEST(IndexStrip, ReferencesAndMissingFiles) {
  const Color up = rgb(216, 48, 47), down = rgb(22, 145, 60);
  struct Case {
    const char* what;
    int selectedLastDate;  // 0: no instrument
    int replayFrameTime;   // minutes after midnight of a replay frame on 20240104, -1 none
    const char* value;
    const char* change;
    Color color;
  } cases[] = {
      {"no instrument: the index's own last day", 0, -1, "2970", "-1.98%", down},
      {"the selected instrument's last day", 20240103, -1, "3030", "+1.00%", up},
      {"a replay frame: the last minute at or before it", 20240104, 600, "3045", "+0.50%", up},
      {"a frame before the day's first minute: the previous close", 20240104, 560, "3030", "+0.00%",
       rgb(130, 130, 130)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StripFixture f;
    if (c.selectedLastDate) {
      int idx = f.add("600000", "浦发银行", {10, 10.1, 10.2});
      StockRecord& s = f.stock(idx);
      while (!s.k.empty() && s.k.back().dateInt() > c.selectedLastDate) s.k.pop_back();
      f.app.view.curIdx = idx;
    }
    if (c.replayFrameTime >= 0) {
      f.app.replay.training = true;
      f.app.replay.trainMin = {minute(20240104, c.replayFrameTime, 10)};
      f.app.replay.cursor = 0;
    }
    RecordingCanvas canvas = f.paint();
    const Primitive* name = canvas.findText("上证");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->rect.left, 10);
    const Primitive* value = canvas.findText(c.value);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->color, c.color);
    EXPECT_NE(canvas.findText(c.change), nullptr);
    // The indices without a file, in grey.
    const Primitive* missing = canvas.findText("深成 --");
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->color, rgb(160, 160, 160));
  }
}

TEST(IndexStrip, StopsBeforeTheRightEdge) {
  StripFixture f;
  RecordingCanvas narrow(300, 100);
  prepareIndexStrip(f.app);
  paintIndexStrip(f.app, narrow, Rect{0, 50, 300, 72});
  for (const Primitive& p : narrow.primitives())
    if (p.kind == Primitive::Text) {
      EXPECT_LE(p.rect.left, 300 - 90) << p.text;
    }
  RecordingCanvas none(300, 100);
  paintIndexStrip(f.app, none, Rect{300, 50, 300, 72});
  EXPECT_TRUE(none.primitives().empty());
}

}  // namespace
}  // namespace zor
