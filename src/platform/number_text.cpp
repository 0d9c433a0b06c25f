#include "platform/number_text.h"

#include <charconv>
#include <cmath>

namespace zor {

namespace {

template <class T>
void appendShortest(std::string& out, T v) {
  if (!std::isfinite(v)) return;
  char buf[kNumberTextMax];
  std::to_chars_result r;
  // Whole numbers stay whole: readers of the CSV (and people) expect "1500", not "1.5e+03".
  if (v == std::floor(v) && std::fabs(v) < T(1e15))
    r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  else
    r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

}  // namespace

void appendNumber(std::string& out, double v) { appendShortest(out, v); }

void appendNumber(std::string& out, float v) { appendShortest(out, v); }

std::string numberText(double v) {
  std::string s;
  appendNumber(s, v);
  return s;
}

std::string numberText(float v) {
  std::string s;
  appendNumber(s, v);
  return s;
}

}  // namespace zor
