// The K-line training game's operations: start, step, jump, back, trade, autoplay, reveal,
// end, and the switch between the three modes. Each writes its outcome into `train.status`
// and asks for a repaint. While the game is blind, no text an operation writes (status lines,
// execution messages, trace lines) names the game instrument or any of its dates.
#pragma once

#include <string>
#include <string_view>

#include "training/scoring.h"

namespace zor {

struct AppState;

// Starts a new game: `random` picks the instrument, `days` >= 0 replaces `train.days`.
void trnNewGame(AppState& app, bool random, int days);
// Fixes the instrument and start bar and resets the game; true when a game started.
bool trnStart(AppState& app);
void trnNextDay(AppState& app);
// p 1 week, 2 month, 3..7 the minute periods 60, 30, 15, 5, 1.
void trnJumpPeriod(AppState& app, int p);
void trnBack(AppState& app);
// Buys or sells at the game price the quantity of the order form (one lot when empty).
void trnTrade(AppState& app, bool buy);
void trnAutoplay(AppState& app);
void trnAutoplaySpeed(AppState& app, int i);
void trnAutoplayTick(AppState& app);
void trnReveal(AppState& app);
void trnEnd(AppState& app);
// Called before the main window leaves the K-line training tabs.
void trnLeave(AppState& app);
void trnResetAccount(AppState& app);

// The training account's equity: cash plus every position at its last price (the current
// bar's last valid close for the game instrument without one, else the average cost).
double trnEquity(const AppState& app);
void trnEquitySample(AppState& app);
// The current game price: the current sub-bar's close in a minute jump, else the current
// bar's close; 0 without a valid game instrument or bar.
double trnPrice(const AppState& app);

// What a user's step does: the operation, then an equity sample. Keys, the training bar and
// autoplay run these, so every step the user sees is sampled (jumps included).
void trainNextBar(AppState& app);
void trainBackBar(AppState& app);
void trainJump(AppState& app, int p);
void trainTrade(AppState& app, bool buy);

// The score card's input: the training account while a K-line training tab shows a game (also
// after it ended), else the history account once it has a deal. False when there is none.
bool scoreInput(const AppState& app, ScoreInput& out);

// The mode picker: 1 history replay, 2 K-line training, 3 real-time. For mode 2, `days` is
// the training length chosen in the days picker (-1 keeps `train.days`).
void switchMode(AppState& app, int mode, int days = -1);

// Writes `text` into train.status (cut to its limit) and asks for a repaint.
void setTrainStatus(AppState& app, std::string_view text);

// A date for texts of the game: "%08d", or the mask while the game is blind.
std::string trnDateText(const AppState& app, int yyyymmdd);

}  // namespace zor
