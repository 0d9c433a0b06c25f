// The timer table: each of the main window's timers with where its interval comes from and
// what a tick does. Timers start, stop and tick only through here, so tests can drive ticks
// deterministically (onTimer) without a real clock.
#pragma once

#include "platform/ui.h"

namespace zor {

struct AppState;

struct TimerRow {
  TimerId id;
  const char* name;
  // The interval to start the timer with, in milliseconds.
  unsigned (*interval)(const AppState&);
  // One tick. Returns the interval to re-arm the timer with, 0 to leave it running as it is.
  unsigned (*tick)(AppState&);
};

const TimerRow* findTimer(TimerId id);

// Starts a timer with the interval of its row (restarting it when it runs).
void startTimer(AppState& app, TimerId id);
void stopTimer(AppState& app, TimerId id);
// Stops every timer of the table (the main window is going away).
void stopAllTimers(AppState& app);

// A tick of the platform timer `id`; re-arms it when its row asks and returns that interval
// (0 when the timer keeps its interval). Unknown ids do nothing.
unsigned onTimer(AppState& app, int id);

// The next interval of the real-time fetch timer: 3,000 to 6,000 ms.
unsigned nextLiveTimerInterval();

}  // namespace zor
