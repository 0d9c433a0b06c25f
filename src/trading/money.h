// Money arithmetic of the accounts. Cash, amounts and fees are whole cents in 64-bit integers,
// so that sums never drift; prices stay yuan in doubles but sit on the instrument's price grid
// (0.01, or 0.001 for funds), which makes price × quantity exact in thousandths of a yuan.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zor {

constexpr int64_t kInitialCashCents = 100000000;  // 1,000,000 yuan

// Bounds of what an account may hold. They keep every product of the cent arithmetic inside
// 64 bits and match what the account-file reader accepts, so that nothing the program records
// is later dropped as invalid.
constexpr double kMaxPrice = 1e7;                        // yuan per share
constexpr int64_t kMaxQty = 1000000000000;               // shares, per fill and per position
constexpr int64_t kMaxAmountCents = 1000000000000000;    // 10^13 yuan
constexpr int64_t kMaxCashCents = 1000000000000000;      // |cash| up to 10^13 yuan

// Each account charges fees by one model: the standard A-share fees, or the K-line training's
// single commission of 0.1 % of the amount.
enum class FeeModel { Standard, TenthPercent };

// Fee components in cents; `totalFee` is their sum.
struct FeeBreakdown {
  int64_t commission = 0;
  int64_t regulatoryFee = 0;
  int64_t stampDuty = 0;
  int64_t transferFee = 0;
  int64_t otherFee = 0;
  int64_t totalFee = 0;
};

// The fees of a fill of `amountCents`. Each component is amount × rate rounded half up to the
// cent in integer arithmetic. Standard model: commission 0.025 % (at least 5 yuan), regulatory
// fee 0.00541 %, stamp duty 0.05 % on sales except fund and bond codes (starting "1" or "5"),
// transfer fee 0.001 %. An amount of 0 or less costs nothing.
FeeBreakdown computeFees(int64_t amountCents, bool isSell, std::string_view code, FeeModel model);

// The price grid of a code (a leading sh/sz/bj ignored): 1000 steps per yuan for codes
// starting 51, 56, 58, 15 or 16 (funds), else 100.
int64_t priceStepsPerYuan(std::string_view code);
// `price` rounded half up to the code's grid; 0 for a price that is not finite or not positive.
double roundToTick(double price, std::string_view code);

// price × qty in cents, rounded half up, for a price on the 0.001 grid. False (and nothing
// computed) when the amount would exceed kMaxAmountCents or the inputs are out of range.
bool amountCents(double price, int64_t qty, int64_t& cents);

// Yuan (a double read from a file or typed) to cents, half away from zero; the caller keeps
// |yuan| within 10^13.
int64_t centsOf(double yuan);
inline double yuanOf(int64_t cents) { return double(cents) / 100.0; }
// "1005.06", "-0.13": exact decimal text of a cent amount.
std::string centsText(int64_t cents);

}  // namespace zor
