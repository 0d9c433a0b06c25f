// The history replay's part of the application state: one instrument's trading day replayed
// minute by minute.
#pragma once

#include <string>

namespace zor {

struct ReplayState {
  bool training = false;     // a replay is running (the trace lines call it trainOn)
  int trainMin = 0;
  int cursor = 0;            // the current frame
  int frames = 0;
  int trainDi = -1;          // index of the replayed day in the instrument's daily bars
  bool dateView = false;
  int replayStockIdx = -1;   // the replayed instrument, -1 without a replay
  int replayIntervalMs = 2000;
  std::string dateBox;       // the toolbar's date field, up to 8 digits (yyyymmdd); empty = none
};

}  // namespace zor
