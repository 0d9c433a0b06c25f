// The history replay's operations: one trading day of one instrument replayed minute by minute
// on timer 2 while the user trades on the history account. Each writes its outcome into
// `statusText` and asks for a repaint. The replay never changes the instrument's daily bars:
// the running day reaches the chart through the quote fields.
#pragma once

namespace zor {

struct AppState;

// Replay frames need at least this many real minute bars of the day.
constexpr int kMinReplayFrames = 30;

// Starts a replay of the code box's instrument (or the selected one) on the date box's day.
// `askConflict`: when the current account holds the instrument, ask whether to reset it or
// to continue after the holding's last replay.
void replayStart(AppState& app, bool askConflict);
// Timer 2: the next frame; past the last frame the next trading day starts by itself.
void trainTick(AppState& app);
void replayNextDay(AppState& app);
// Discards a running replay without settling.
void replayStop(AppState& app);
// Stops and settles the day at its close.
void replaySettle(AppState& app);
void replayFullDay(AppState& app);
void replayPause(AppState& app);
// i 0..5 the speeds 2000, 667, 333, 167, 83, 42 ms; 6 the whole day.
void replaySpeed(AppState& app, int i);
// Enter in the date field: selects the day of the date box.
void locateDate(AppState& app);
// "继续训练" on a holding: its instrument from the day after its last replay.
void replayContinueHolding(AppState& app, int positionIndex);

// The toolbar's guarded commands. While their question is open the replay and autoplay timers
// stand still, and the answer acts only when the replay it was asked about still runs.
// "停止训练 ■" (ask, then settle) and "下一天▶" (ask while a replay runs, then skip).
void replayAskSettle(AppState& app);
void replayAskNextDay(AppState& app);
// A click into the toolbar's date field: while a replay runs, ask whether to stop it (No keeps
// it running); either way the date field takes the keyboard focus.
void replayAskDateField(AppState& app);

// The toolbar fields' keyboard focus in `WindowState::tradeFocus`.
constexpr int kToolbarDateFocus = 2;
constexpr int kToolbarCodeFocus = 3;

}  // namespace zor
