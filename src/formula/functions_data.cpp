// Dates and times of the bars, real-time data, texts as numbers, price names written as calls,
// and the names of data this program does not have.
#include <string>

#include "formula/lexer.h"
#include "formula/library.h"
#include "platform/text.h"

namespace zor::fn {

namespace {

// Applies f to each bar's date (or time); all noValue unless the list has one entry per bar.
template <class F>
void fromList(CallArgs& a, double* out, const std::vector<int32_t>& list, F f) {
  if (list.size() != size_t(a.n)) {
    fillSeries(out, a.n, noValue);
    return;
  }
  for (int i = 0; i < a.n; ++i) out[i] = f(int64_t(list[size_t(i)]));
}

const std::vector<int32_t>& dates(CallArgs& a) { return a.ctx.input->dates; }
const std::vector<int32_t>& times(CallArgs& a) { return a.ctx.input->times; }

void missingData(CallArgs& a, double* out, const char* name, const char* reason) {
  a.ctx.fail(std::string("公式里的 ") + name + "() 需要" + reason + "，本程序没有该数据。请删掉依赖它的语句后重试。");
  fillSeries(out, a.n, noValue);
}

}  // namespace

void date(CallArgs& a, double* out) { fromList(a, out, dates(a), [](int64_t d) { return double(d); }); }
void year(CallArgs& a, double* out) { fromList(a, out, dates(a), [](int64_t d) { return double(d / 10000); }); }
void month(CallArgs& a, double* out) {
  fromList(a, out, dates(a), [](int64_t d) { return double(d / 100 - d / 10000 * 100); });
}
void day(CallArgs& a, double* out) { fromList(a, out, dates(a), [](int64_t d) { return double(d % 100); }); }
// hhmm to hhmmss.
void time_(CallArgs& a, double* out) {
  fromList(a, out, times(a), [](int64_t t) { return double(t % 100 * 100 + t / 100 * 10000); });
}
void hour(CallArgs& a, double* out) { fromList(a, out, times(a), [](int64_t t) { return double(t / 100); }); }
void minute(CallArgs& a, double* out) { fromList(a, out, times(a), [](int64_t t) { return double(t % 100); }); }

// Minutes of trading since the 09:30 open, the midday break (11:30 to 13:00) left out.
void fromopen(CallArgs& a, double* out) {
  fromList(a, out, times(a), [](int64_t t) {
    const int64_t m = t / 100 * 60 + t % 100;
    const int64_t f = m < 691 ? m - 570 : m - 660;
    return double(f < 0 ? 0 : f);
  });
}

// Day of the week, 0 Sunday .. 6 Saturday (Sakamoto's method).
void week(CallArgs& a, double* out) {
  static constexpr int kOffset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  fromList(a, out, dates(a), [](int64_t d) {
    int64_t y = d / 10000, m = d / 100 % 100, day = d % 100;
    if (m < 1 || m > 12) return noValue;
    if (m < 3) y -= 1;
    int64_t w = (y + y / 4 - y / 100 + y / 400 + kOffset[m - 1] + day) % 7;
    return double(w < 0 ? w + 7 : w);
  });
}

void dynainfo(CallArgs& a, double* out) {
  const int n = a.n;
  const int k = a.period(0, 0);
  if (k < 3 || k > 11) {
    a.ctx.fail("DYNAINFO(" + std::to_string(k) + ") 本程序暂无对应数据");
    fillSeries(out, n, noValue);
    return;
  }
  const double* close = a.ctx.inputSeries(InClose);
  switch (k) {
    case 3:
    case 9: {
      const double factor = k == 9 ? 1.1 : 1.0;
      out[0] = noValue;
      for (int i = 1; i < n; ++i) out[i] = isValid(close[i - 1]) ? close[i - 1] * factor : noValue;
      return;
    }
    case 4: fillSeries(out, n, a.ctx.inputSeries(InOpen)[0]); return;
    case 5: std::copy(close, close + n, out); return;
    case 6: {
      const double* am = a.ctx.inputSeries(InAmount);
      const double* vo = a.ctx.inputSeries(InVolume);
      double amount = 0, volume = 0;
      for (int i = 0; i < n; ++i) {
        if (isValid(am[i]) && isValid(vo[i])) {
          amount += am[i];
          volume += vo[i];
        }
        const double average = volume > 0 ? amount / volume : noValue;
        out[i] = (volume > 0 && average > 0) ? average : noValue;
      }
      return;
    }
    case 7: std::copy(a.ctx.inputSeries(InLow), a.ctx.inputSeries(InLow) + n, out); return;
    case 8: std::copy(a.ctx.inputSeries(InHigh), a.ctx.inputSeries(InHigh) + n, out); return;
    default: std::copy(a.ctx.inputSeries(InVolume), a.ctx.inputSeries(InVolume) + n, out); return;  // 10, 11
  }
}

// The number a string literal's leading part reads as (blanks and a sign allowed before it).
void str2con(CallArgs& a, double* out) {
  if (!a.isStringLiteral(0)) {
    fillSeries(out, a.n, noValue);
    return;
  }
  std::string_view s = a.node(0)->string;
  size_t p = 0;
  while (p < s.size() && (s[p] == ' ' || s[p] == '\t')) ++p;
  double sign = 1;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) sign = s[p++] == '-' ? -1 : 1;
  const double v = sign * leadingNumberValue(s.substr(p));
  fillSeries(out, a.n, std::isfinite(v) ? v : noValue);
}

// CON2STR, VAR2STR, STRCAT: texts only DRAWTEXT and DRAWNUMBER can show.
void textvalue(CallArgs& a, double* out) { fillSeries(out, a.n, noValue); }

// CLOSE() and the other price names written as calls; the prices are read as variables.
void pricecall(CallArgs& a, double* out) { fillSeries(out, a.n, noValue); }

void finance(CallArgs& a, double* out) { missingData(a, out, "FINANCE", "财务数据（本程序只做本地历史行情回放，不含财报）"); }
void get(CallArgs& a, double* out) { missingData(a, out, "GET", "跨周期/跨品种取数（需要多周期数据源）"); }
void inblock(CallArgs& a, double* out) { missingData(a, out, "INBLOCK", "板块归属数据（需要板块库）"); }
void setcode(CallArgs& a, double* out) { missingData(a, out, "SETCODE", "切换品种（需要全市场行情服务）"); }
void beta(CallArgs& a, double* out) { missingData(a, out, "BETA", "大盘指数序列（需要指数数据）"); }
void calcstockindex(CallArgs& a, double* out) {
  missingData(a, out, "CALCSTOCKINDEX", "指定品种的指标值（需要全市场行情服务）");
}

}  // namespace zor::fn
