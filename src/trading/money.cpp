#include "trading/money.h"

#include <algorithm>
#include <cmath>

#include "data/market.h"
#include "platform/text.h"

namespace zor {

namespace {

// amount × n / d rounded half up; amount is at most 10^15 cents and n at most 541, so the
// product stays far inside 64 bits.
int64_t rate(int64_t amount, int64_t n, int64_t d) { return (amount * n + d / 2) / d; }

// Funds and bonds pay no stamp duty.
bool stampFree(std::string_view code) {
  std::string bare = stripMarketPrefix(code);
  return !bare.empty() && (bare[0] == '1' || bare[0] == '5');
}

}  // namespace

FeeBreakdown computeFees(int64_t amountCents, bool isSell, std::string_view code, FeeModel model) {
  FeeBreakdown f;
  if (amountCents <= 0) return f;
  if (model == FeeModel::TenthPercent) {
    f.commission = rate(amountCents, 1, 1000);
  } else {
    f.commission = std::max<int64_t>(rate(amountCents, 25, 100000), 500);
    f.regulatoryFee = rate(amountCents, 541, 10000000);
    if (isSell && !stampFree(code)) f.stampDuty = rate(amountCents, 5, 10000);
    f.transferFee = rate(amountCents, 1, 100000);
  }
  f.totalFee = f.commission + f.regulatoryFee + f.stampDuty + f.transferFee + f.otherFee;
  return f;
}

int64_t priceStepsPerYuan(std::string_view code) {
  std::string bare = stripMarketPrefix(code);
  for (const char* p : {"51", "56", "58", "15", "16"})
    if (startsWith(bare, p)) return 1000;
  return 100;
}

double roundToTick(double price, std::string_view code) {
  if (!std::isfinite(price) || price <= 0) return 0;
  double steps = double(priceStepsPerYuan(code));
  double v = price * steps;
  if (v > 1e15) return price;  // far beyond any valid price; the caller refuses it
  // A typed 10.005 is 10.00499999... in binary; the allowance, far above that error and far
  // below half a step, makes it round up as the decimal text says.
  double r = std::floor(v + 0.5 + 1e-9 + v * 1e-12);
  return r / steps;
}

bool amountCents(double price, int64_t qty, int64_t& cents) {
  if (!std::isfinite(price) || price <= 0 || price > kMaxPrice || qty <= 0 || qty > kMaxQty) return false;
  if (price * double(qty) > double(kMaxAmountCents) / 100.0) return false;
  int64_t mills = std::llround(price * 1000.0);
  if (mills <= 0) return false;
  // price ≤ 10^7 and amount ≤ 10^13 yuan: mills × qty ≤ about 10^16.
  int64_t amountMills = mills * qty;
  cents = (amountMills + 5) / 10;
  return cents <= kMaxAmountCents;
}

int64_t centsOf(double yuan) { return std::llround(yuan * 100.0); }

std::string centsText(int64_t cents) {
  uint64_t mag = cents < 0 ? uint64_t(0) - uint64_t(cents) : uint64_t(cents);
  return strPrintf("%s%llu.%02llu", cents < 0 ? "-" : "", (unsigned long long)(mag / 100),
                   (unsigned long long)(mag % 100));
}

}  // namespace zor
