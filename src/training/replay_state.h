// The history replay's part of the application state: one instrument's trading day replayed
// minute by minute, and the day selected on the history trading tab.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/market.h"

namespace zor {

struct ReplayState {
  bool training = false;       // a replay is running (the trace lines call it trainOn)
  bool replayPaused = false;   // the frame timer is stopped by the user
  std::vector<MinuteBar> trainMin;  // the frames: every minute bar of the replayed day
  int cursor = 0;              // the frame shown last
  int frames = 0;              // number of frames at the start
  int trainDi = -1;            // index of the replayed day in the instrument's daily bars
  bool dateView = false;       // no replay runs but charts stay cut at the chosen day
  int replayStockIdx = -1;     // the replayed instrument, -1 without a replay
  int replayIntervalMs = 2000;
  bool fullDayShown = false;   // the whole day's intraday chart is shown ("全天")
  int selectedDay = -1;        // the day selected on the history trading tab
  std::string dateBox;         // the toolbar's date field, at most 8 digits
  std::string replayCode;      // the toolbar's code field
  // Changes whenever a replay starts or stops, so that a decision taken under a prompt acts
  // only when the replay it asked about is still the one running.
  uint64_t generation = 0;
};

}  // namespace zor
