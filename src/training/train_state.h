// The K-line training game's state. The game itself arrives with the training subsystem;
// these are the fields other subsystems already read.
#pragma once

#include <string>

namespace zor {

struct TrainState {
  bool active = false;     // a game is running
  int cur = 0;             // index of the current bar in the game instrument's daily bars
  int start = 0;           // index of the game's first bar
  int stockIdx = -1;       // the game instrument, -1 without a game
  bool hidden = true;      // code, name and dates are masked
  bool revealed = false;   // the user revealed code and date
  bool finished = false;
  int days = 0;
  int jumpPeriod = 0;
  int sub = -1;
  int autoplayMs = 1500;
  bool autoplay = false;
  double maxDrawdown = 0;
  std::string status;      // the training bar's one-line message
};

}  // namespace zor
