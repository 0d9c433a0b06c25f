// The K-line training game's part of the application state.
#pragma once

#include <string>
#include <vector>

#include "trading/money.h"

namespace zor {

struct TrainState {
  bool active = false;     // a game is running
  bool finished = false;   // a forward step found no further bar (autoplay stops on it)
  int stockIdx = -1;       // the game instrument, -1 without a game
  int start = 0;           // index in its daily bars of the game's first bar
  int cur = 0;             // index of the current bar: the last bar the user may see
  int jumpPeriod = 0;      // 0 days; 1 week, 2 month; 3..7 the minute periods of the last jump
  int sub = -1;            // in a minute jump period: the current sub-bar of the day, -1 none yet
  // The training account's single commission rate. The account itself holds its fee model;
  // this is what the training panel and the card describe.
  double feeRate = 0.001;
  int inputFocus = 0;      // training text field taking typed characters: 6 code, 7 date, 0 none
  std::string codeInput;   // typed code, at most 9 characters; empty: pick at random
  std::string dateInput;   // typed start date, at most 8 digits; empty: count back from the end
  // The quantity the order form hands to a trade by key (digits; empty means one lot).
  std::string qtyText;
  std::string status;      // the training bar's one-line message
  bool hidden = true;      // code, name and dates are masked
  bool revealed = false;   // the user revealed code and date
  bool autoplay = false;
  int autoplayMs = 1500;
  int days = 90;           // game length in trading days; 0 or less: the whole history
  std::vector<double> equity;  // equity samples of the game, in yuan
  double peakEquity = yuanOf(kInitialCashCents);
  double maxDrawdown = 0;      // largest (peak - equity) / peak so far, a fraction
};

// Code, name and dates of the game instrument are masked.
inline bool trnBlind(const TrainState& t) { return t.active && t.hidden && !t.revealed; }

// What a blind game shows in place of a code or name, and of a date.
constexpr const char* kMaskedName = "******";
constexpr const char* kMaskedDate = "****-**-**";

}  // namespace zor
