// Numbers as text for CSV and other machine-read output: the shortest decimal text that reads
// back to the same value, so that a value written and read again is bit-identical.
#pragma once

#include <string>

namespace zor {

// Longest text any of the functions below writes (a double's shortest form is at most 24
// characters), with room to spare.
constexpr size_t kNumberTextMax = 32;

// Appends the shortest decimal text of `v` that reads back as `v`. Whole numbers below 1e15
// in magnitude are written without a fraction or exponent ("100000000", not "1e+08"), others
// in whichever of fixed or exponent form is shorter. Values that are not finite append
// nothing: an empty CSV field marks a missing value.
void appendNumber(std::string& out, double v);
// The same at float precision: the shortest text that reads back as the same float (minute
// prices are stored as floats, and their double widening would print 17 digits).
void appendNumber(std::string& out, float v);

std::string numberText(double v);
std::string numberText(float v);

}  // namespace zor
