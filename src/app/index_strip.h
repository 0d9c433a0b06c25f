// The index strip above the status line: the quotes of seven market indices, read from their
// DAT files once per run (the minutes of a replayed day again when that day changes), before
// a paint; the painter reads only what was loaded.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "data/market.h"
#include "platform/canvas.h"

namespace zor {

struct AppState;

constexpr int kStripIndices = 7;

struct IndexSeries {
  bool present = false;           // the file was found with its header
  std::vector<DayBar> days;       // daily records, as stored
  int minuteDate = 0;             // the date whose minutes `minutes` holds, 0 none
  std::vector<MinuteBar> minutes; // that date's minute records
};

struct IndexStripState {
  bool loaded = false;  // the daily records were read (once per run)
  std::array<IndexSeries, kStripIndices> series;
};

// The name, market and code of strip entry i, in the strip's order.
struct StripIndex {
  const char* name;
  int market;
  const char* code;
};
const StripIndex& stripIndex(int i);

// Before a paint: reads the daily records at the first call, and during a replay the minutes
// of the replayed day whenever that day changes.
void prepareIndexStrip(AppState& app);

// One entry as the strip shows it: its value and change in percent against the record before.
struct StripQuote {
  bool valid = false;
  double value = 0, changePct = 0;
};
// The quote of entry `i` for the current reference (the replay's frame, the replayed day, the
// selected instrument's last day).
StripQuote stripQuote(const AppState& app, int i);

// Paints the strip into `area` (nothing when it has no width).
void paintIndexStrip(const AppState& app, Canvas& c, const Rect& area);

}  // namespace zor
