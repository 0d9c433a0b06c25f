// A deterministic synthetic A-share market: a trading calendar without the mainland holidays,
// instruments of every board (plus the indices and the codes the listing rule drops), daily
// bars with volatility clustering, trends, price limits and suspensions, and 240 one-minute
// bars per day for the last trading days that add up exactly to the daily bars.
//
// The same options give the same bars on every platform: the generator draws from its own
// xoshiro256** stream and uses only +, -, *, / and sqrt on doubles (correctly rounded
// everywhere), never the library's distributions or transcendental functions. Prices are kept
// in integer cents and volumes in whole lots while the market is built.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/calendar.h"
#include "sample_market/market_writer.h"

namespace zor {

// ---- calendar ----

// True on the mainland exchange holidays: New Year's Day, the Spring Festival week, Qingming,
// the Labour Day week, Dragon Boat, Mid-Autumn and the National Day week. The dates are
// approximate (the lunar festivals follow a table of Spring Festival dates for 1990..2035).
bool isMainlandHoliday(int yyyymmdd);

// Weekdays from `first` to `last` (inclusive) that are not holidays, ascending.
std::vector<int> tradingCalendar(int first, int last);

// ---- price limits ----

// The daily limit in percent: 0 for indices (names containing "指数", Shanghai codes 000xxx,
// Shenzhen codes 399xxx), 30 on the Beijing exchange, 20 for codes starting 30 or 68, 5 for
// names starting "ST" or "*ST", else 10.
int priceLimitPercent(Exchange exchange, std::string_view code, std::string_view name);

// round(prevClose * (1 +- pct / 100), 2) in cents, halves rounded up; never below 1 cent.
int64_t limitPriceCents(int64_t prevCloseCents, int pct, bool up);

// The minute times of a trading day: 571..690 (09:31..11:30) and 781..900 (13:01..15:00).
constexpr int kMinutesPerDay = 240;
int sessionMinute(int index);  // index 0..239

// ---- the generator ----

struct SampleOptions {
  uint64_t seed = 1;
  int count = 300;        // ordinary A-share stocks; indices and other codes come on top
  int years = 10;         // calendar years of daily bars, ending at endDate
  int minuteDays = 60;    // trading days at the end that also get minute bars
  int endDate = 20241231; // last calendar day (yyyymmdd)
};

// Checks the ranges the formats can hold (an .lc1 date needs 2004..2035); false with a message.
bool checkSampleOptions(const SampleOptions& options, std::string* error);

struct SampleMarket {
  std::vector<int> calendar;                 // all trading days, ascending
  std::vector<SampleInstrument> instruments; // Shanghai, then Shenzhen, then Beijing, by code
};

SampleMarket generateSampleMarket(const SampleOptions& options);

}  // namespace zor
