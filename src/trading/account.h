// The simulated accounts. Order execution, fees and the account files arrive with the
// trading subsystem; the fields here are what other subsystems already read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zor {

constexpr double kInitialCash = 1000000.0;

struct Position {
  std::string code;
  std::string name;
  int64_t qty = 0;
  double avgCost = 0;
  double lastPrice = 0;
};

struct Deal {
  std::string code;
  std::string name;
  int side = 0;  // 0 buy, 1 sell
  int64_t qty = 0;
  double price = 0, amount = 0, fee = 0;
  int date = 0, time = 0;
};

struct Account {
  double cash = kInitialCash;
  double baseline = kInitialCash;
  std::vector<Position> positions;
  std::vector<Deal> deals;
};

struct Order {
  int64_t orderNo = 0;
  int mode = 0;     // 0 history, 1 real-time, 2 training
  int status = 0;   // 0 resting
  std::string code;
  int side = 0;
  int64_t qty = 0;
  double price = 0;
  int date = 0, time = 0;
};

}  // namespace zor
