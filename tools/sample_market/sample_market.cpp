// The synthetic market behind gen_market. See sample_market.h for what it guarantees.
//
// Each instrument draws from its own random stream, seeded from the market seed and its code,
// so one instrument's bars do not depend on how many others there are. The common market
// factor (which the indices follow and every stock loads on) has a stream of its own.
#include "sample_market/sample_market.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "platform/text.h"

namespace zor {

namespace {

// ---- random numbers ----

uint64_t splitmix64(uint64_t& x) {
  uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint64_t hashText(std::string_view s) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : s) h = (h ^ c) * 0x100000001b3ull;
  return h;
}

// xoshiro256**: small, fast and the same on every platform.
struct Rng {
  uint64_t s[4];
  explicit Rng(uint64_t seed) {
    for (uint64_t& w : s) w = splitmix64(seed);
  }
  static uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  uint64_t next() {
    uint64_t result = rotl(s[1] * 5, 7) * 9, t = s[1] << 17;
    s[2] ^= s[0];
    s[3] ^= s[1];
    s[1] ^= s[2];
    s[0] ^= s[3];
    s[2] ^= t;
    s[3] = rotl(s[3], 45);
    return result;
  }
  double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }  // [0, 1)
  double between(double lo, double hi) { return lo + (hi - lo) * uniform(); }
  int below(int n) { return int((next() >> 11) % uint64_t(n)); }
  bool chance(double p) { return uniform() < p; }
  // Irwin-Hall: the sum of twelve uniforms less six is close to a standard normal (bounded by
  // +-6, which the volatility clustering and the jump days make up for).
  double normal() {
    double sum = 0;
    for (int i = 0; i < 12; ++i) sum += uniform();
    return sum - 6.0;
  }
};

// ---- instruments ----

enum class Kind { Stock, Index, Fund, Beijing };

struct Plan {
  SampleInstrument inst;
  Kind kind = Kind::Stock;
  int limitPct = 10;
  int64_t startCents = 1000;
  double beta = 1.0;
  double vol = 0.02;          // long-run daily volatility of the stock's own part
  double baseLots = 1e5;      // typical daily volume in lots
  int firstListDate = 0;      // the board's opening; no bars before it
  bool ipoInRange = false;    // listed during the calendar rather than before it
  bool forcedSuspension = false;
};

// Board prefixes of ordinary stocks with their share of the market (per mille) and the first
// date they were issued.
struct Board {
  const char* prefix;
  Exchange exchange;
  int weight;
  int opened;
};
constexpr Board kBoards[] = {
    {"600", Exchange::Shanghai, 140, 19900101}, {"601", Exchange::Shanghai, 80, 19900101},
    {"603", Exchange::Shanghai, 100, 19900101}, {"605", Exchange::Shanghai, 30, 20200101},
    {"688", Exchange::Shanghai, 120, 20190722}, {"000", Exchange::Shenzhen, 100, 19900101},
    {"001", Exchange::Shenzhen, 20, 20210101},  {"002", Exchange::Shenzhen, 170, 20040625},
    {"003", Exchange::Shenzhen, 20, 20210208},  {"300", Exchange::Shenzhen, 170, 20091030},
    {"301", Exchange::Shenzhen, 50, 20200824},
};

// Codes the generator never hands out: the program's built-in name table would rename them,
// and 000001 / 000300 would share a code with the indices below.
constexpr const char* kReservedCodes[] = {"000001", "000002", "000063", "000300", "600036",
                                          "600519", "600900", "601318", "603876"};

constexpr const char* kNameHeads[] = {
    "华信", "中科", "东方", "金安", "海润", "新宇", "天源", "恒达", "宏远", "瑞丰", "鼎盛", "润泽",
    "安泰", "长青", "永兴", "联创", "星辰", "远航", "博达", "华通", "南岭", "北辰", "西岳", "江海",
    "云帆", "凯瑞", "泰和", "明德", "嘉禾", "锦程", "启明", "光华", "振兴", "同创", "卓越", "澄川",
    "青石", "白鹭", "赤城", "紫金", "银杉", "翠屏", "岚山", "苍梧", "临江", "沧澜",
};
constexpr const char* kNameTails[] = {
    "科技", "股份", "电子", "医药", "能源", "材料", "电气", "机械", "化工", "食品", "传媒", "环保",
    "智能", "信息", "生物", "汽车", "重工", "矿业", "农业", "置业", "物流", "精密", "光电", "通信",
    "软件", "药业", "新材", "动力", "装备", "控股", "实业", "纺织", "水务", "电力", "半导体", "航天",
};
constexpr const char* kFullWidthLetters[] = {"Ａ", "Ｂ", "Ｃ", "Ｄ", "Ｅ", "Ｇ", "Ｈ", "Ｋ", "Ｍ", "Ｔ", "Ｘ"};
constexpr const char* kIdeographicSpace = "\xE3\x80\x80";

template <class T, size_t N>
const T& pick(Rng& rng, const T (&table)[N]) {
  return table[rng.below(int(N))];
}

std::string uniqueName(Rng& rng, std::set<std::string>& used) {
  for (int attempt = 0; attempt < 40; ++attempt) {
    std::string name = std::string(pick(rng, kNameHeads)) + pick(rng, kNameTails);
    if (used.insert(name).second) return name;
  }
  for (int n = 2;; ++n) {  // table exhausted: a numbered variant, still unique
    std::string name = std::string(pick(rng, kNameHeads)) + pick(rng, kNameTails) + std::to_string(n);
    if (used.insert(name).second) return name;
  }
}

// A name written with full-width letters or an ideographic space, as older data files have
// them: "ＸＤ科技", or a two-character head split by the wide space with a class letter.
std::string fullWidthName(Rng& rng, std::set<std::string>& used) {
  for (;;) {
    std::string name;
    if (rng.chance(0.5)) {
      name = std::string(pick(rng, kFullWidthLetters)) + pick(rng, kFullWidthLetters) + pick(rng, kNameTails);
    } else {
      std::string head = pick(rng, kNameHeads);
      name = head.substr(0, 3) + kIdeographicSpace + head.substr(3) + pick(rng, kFullWidthLetters);
    }
    if (used.insert(name).second) return name;
  }
}

Plan specialPlan(Exchange ex, const char* code, const char* name, Kind kind, double startYuan, double baseLots) {
  Plan p;
  p.inst.code = code;
  p.inst.name = name;
  p.inst.exchange = ex;
  p.kind = kind;
  p.limitPct = priceLimitPercent(ex, code, name);
  p.startCents = int64_t(startYuan * 100);
  p.baseLots = baseLots;
  p.beta = 1.0;
  p.vol = kind == Kind::Index ? 0.003 : kind == Kind::Fund ? 0.004 : 0.022;
  if (kind == Kind::Beijing) p.firstListDate = 20211115;
  return p;
}

// Indices, funds, B shares and Beijing codes: present in every layout, and (except the
// indices' daily data) all dropped by the program's listing rule.
std::vector<Plan> specialPlans() {
  return {
      specialPlan(Exchange::Shanghai, "000001", "上证指数", Kind::Index, 3000, 2.5e6),
      specialPlan(Exchange::Shenzhen, "399001", "深证成指", Kind::Index, 5200, 3e6),
      specialPlan(Exchange::Shenzhen, "000300", "沪深300指数", Kind::Index, 3600, 1.5e6),
      specialPlan(Exchange::Shanghai, "510300", "沪深300ETF", Kind::Fund, 3.6, 3e6),
      specialPlan(Exchange::Shenzhen, "159919", "深市300ETF", Kind::Fund, 3.7, 8e5),
      specialPlan(Exchange::Shanghai, "900901", "海星B股", Kind::Stock, 0.8, 2e4),
      specialPlan(Exchange::Shenzhen, "200011", "南华B", Kind::Stock, 5.2, 1e4),
      specialPlan(Exchange::Beijing, "830799", "燕山新材", Kind::Beijing, 12.5, 3e4),
      specialPlan(Exchange::Beijing, "430047", "北辰精密", Kind::Beijing, 8.8, 2e4),
  };
}

std::vector<Plan> stockPlans(Rng& rng, int count, int lastListDate) {
  std::set<std::string> codes(std::begin(kReservedCodes), std::end(kReservedCodes));
  std::set<std::string> names;
  std::vector<const Board*> open;
  int totalWeight = 0;
  for (const Board& b : kBoards)
    if (b.opened <= lastListDate) open.push_back(&b), totalWeight += b.weight;

  std::vector<Plan> plans;
  for (int i = 0; i < count; ++i) {
    // Every open board once, then by weight.
    const Board* board = open[size_t(i) % open.size()];
    if (i >= int(open.size())) {
      int w = rng.below(totalWeight);
      for (const Board* b : open)
        if ((w -= b->weight) < 0) {
          board = b;
          break;
        }
    }
    std::string code;
    do code = board->prefix + strPrintf("%03d", rng.below(1000));
    while (!codes.insert(code).second);

    Plan p;
    p.inst.code = code;
    p.inst.exchange = board->exchange;
    p.firstListDate = board->opened;
    bool growth = startsWith(code, "30") || startsWith(code, "68");
    bool largeCap = startsWith(code, "601") || (startsWith(code, "000") && rng.chance(0.3));
    bool mainBoard = !growth;
    // A few ST names on the main boards, and a few written with full-width characters.
    bool st = mainBoard && (rng.chance(0.04) || i == 0);
    bool wide = !st && (rng.chance(0.02) || i == 1);
    if (st) {
      std::string base = uniqueName(rng, names);
      p.inst.name = (rng.chance(0.3) ? "*ST" : "ST") + base.substr(0, 6);
      if (!names.insert(p.inst.name).second) p.inst.name = "ST" + base;
    } else {
      p.inst.name = wide ? fullWidthName(rng, names) : uniqueName(rng, names);
    }
    p.limitPct = priceLimitPercent(p.inst.exchange, code, p.inst.name);

    double tier = rng.uniform();
    double yuan = tier < 0.6 ? rng.between(3, 18) : tier < 0.92 ? rng.between(18, 60) : rng.between(60, 260);
    if (startsWith(code, "688")) yuan = rng.between(15, 120);
    if (st) yuan = rng.between(1.5, 6);
    p.startCents = int64_t(yuan * 100);
    p.beta = rng.between(0.6, 1.4);
    p.vol = rng.between(0.016, 0.026) * (growth ? 1.35 : 1.0) * (st ? 1.2 : 1.0);
    p.baseLots = largeCap ? rng.between(2e5, 2.5e6) : rng.between(1.5e4, 4e5);
    p.ipoInRange = rng.chance(0.25);
    p.forcedSuspension = i == 2;
    plans.push_back(std::move(p));
  }
  return plans;
}

// ---- the common market factor ----

constexpr double kMarketVol = 0.011;  // long-run daily volatility of the market factor

// Daily market returns with regime drift (bull, bear or flat spells of a few months) and
// GARCH(1,1) volatility.
std::vector<double> marketFactor(uint64_t seed, size_t days) {
  Rng rng(seed ^ 0x6D61726B6574ull);
  std::vector<double> out(days);
  const double drifts[3] = {0.0012, -0.0011, 0.0001};
  const double volScale[3] = {1.0, 1.35, 0.8};
  const double target = kMarketVol, alpha = 0.08, beta = 0.90;
  double var = target * target, shock = 0;
  int regime = 2;
  for (size_t t = 0; t < days; ++t) {
    if (rng.chance(1.0 / 90)) regime = (regime + 1 + rng.below(2)) % 3;
    // The regime moves the level the variance reverts to; scaling the shock itself would
    // push alpha + beta past 1 and let the variance run away.
    double level = target * volScale[regime];
    var = (1 - alpha - beta) * level * level + alpha * shock * shock + beta * var;
    shock = std::sqrt(var) * rng.normal();
    out[t] = drifts[regime] + shock;
  }
  return out;
}

// ---- bars ----

int64_t roundCents(double cents) { return cents < 1 ? 1 : int64_t(cents + 0.5); }

struct DayCents {
  int64_t o = 0, h = 0, l = 0, c = 0;
  int64_t lots = 0;
};

int64_t clampCents(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : v > hi ? hi : v; }

// Keeps prices where the formats and the program's validity tests hold them, pulling gently
// towards the band instead of cutting.
double boundsPull(double yuan, Kind kind, double base) {
  if (kind == Kind::Index) return -0.003 * (yuan / base - 1);
  if (yuan > 600) return -0.004;
  if (yuan < 1.5) return 0.004;
  return 0;
}

// One trading day from the previous close and the day's return. `event` forces a move to the
// limit (dir +1 up, -1 down); `onePrice` makes it a day that trades only at the limit.
DayCents makeDay(Rng& rng, int64_t prev, int pct, double r, double sigma, int event, bool onePrice,
                 double& activity, double baseLots) {
  int64_t up = pct ? limitPriceCents(prev, pct, true) : INT64_MAX / 4;
  int64_t dn = pct ? limitPriceCents(prev, pct, false) : 1;
  DayCents d;
  if (event) r = event * (pct / 100.0 + 0.05);
  d.c = clampCents(roundCents(double(prev) * (1 + r)), dn, up);
  if (d.c > 900000) d.c = clampCents(prev - prev / 50, dn, up);  // stay below 9,000 yuan
  bool atLimit = pct && (d.c == up || d.c == dn);
  bool touched = false;
  if (onePrice && atLimit) {
    d.o = d.h = d.l = d.c;
  } else {
    double gap = r * rng.between(0.1, 0.5) + rng.normal() * sigma * 0.25;
    d.o = clampCents(roundCents(double(prev) * (1 + gap)), dn, up);
    double upper = std::fabs(rng.normal()) * sigma * 0.45 * double(prev);
    double lower = std::fabs(rng.normal()) * sigma * 0.45 * double(prev);
    d.h = clampCents(std::max(d.o, d.c) + int64_t(upper), dn, up);
    d.l = clampCents(std::min(d.o, d.c) - int64_t(lower), dn, up);
    // A board that opened and closed again: the day touched the limit but closed away from it.
    if (pct && !atLimit && r > 0.6 * pct / 100.0 && rng.chance(0.3)) d.h = up, touched = true;
    if (pct && !atLimit && r < -0.6 * pct / 100.0 && rng.chance(0.3)) d.l = dn, touched = true;
    d.l = std::max<int64_t>(d.l, 1);
  }
  // Volume follows the size of the move and the day's range, clusters over days, and dries up
  // on one-price days when nobody will sell (or buy) at the limit.
  double move = std::fabs(double(d.c - prev)) / double(prev) / sigma;
  double range = double(d.h - d.l) / double(prev) / sigma;
  double size = 1 + 0.6 * move + 0.3 * range;
  activity = 0.9 * activity + 0.1 * size;
  double lots = baseLots * (0.4 + 0.6 * activity) * size * rng.between(0.75, 1.25);
  if (d.o == d.h && d.h == d.l) lots *= rng.between(0.05, 0.2);
  else if (touched) lots *= 1.8;
  else if (atLimit) lots *= 1.3;
  d.lots = int64_t(std::min(std::max(lots, 1.0), 2e7));  // .day stores shares in an int32
  return d;
}

DayBar dayBar(int date, const DayCents& d, double amount) {
  DayBar b;
  b.setDate(date);
  b.open = double(d.o) / 100, b.high = double(d.h) / 100, b.low = double(d.l) / 100, b.close = double(d.c) / 100;
  b.volume = double(d.lots) * 100;
  b.amount = amount;
  return b;
}

// Amount in yuan of `lots` traded at the average of four prices in cents, rounded to whole
// yuan: lots * 100 shares * cents / 100.
double amountOf(int64_t lots, int64_t o, int64_t h, int64_t l, int64_t c) {
  return double((lots * (o + h + l + c) + 2) / 4);
}

// The 240 minutes of a day. The closes follow a Brownian bridge from the open to the close,
// scaled to the day's range and clamped into it; the minutes with the highest and lowest
// prices then get the day's high and low as their extremes, so the minutes add up to the day
// exactly. Volume follows the usual U shape over the session and the size of each minute's
// move, apportioned in whole lots.
double makeMinutes(Rng& rng, int date, const DayCents& d, std::vector<MinuteBar>& out) {
  int64_t o[kMinutesPerDay], h[kMinutesPerDay], l[kMinutesPerDay], c[kMinutesPerDay];
  if (d.h == d.l) {
    for (int i = 0; i < kMinutesPerDay; ++i) o[i] = h[i] = l[i] = c[i] = d.c;
  } else {
    double walk[kMinutesPerDay + 1];
    walk[0] = 0;
    for (int i = 1; i <= kMinutesPerDay; ++i) walk[i] = walk[i - 1] + rng.normal();
    double lo = 0, hi = 0, bridge[kMinutesPerDay + 1];
    for (int i = 0; i <= kMinutesPerDay; ++i) {
      bridge[i] = walk[i] - walk[kMinutesPerDay] * i / kMinutesPerDay;
      lo = std::min(lo, bridge[i]);
      hi = std::max(hi, bridge[i]);
    }
    double room = double(d.h - d.l - std::llabs(d.c - d.o));
    double scale = hi > lo ? room * rng.between(0.7, 1.1) / (hi - lo) : 0;
    int64_t prevClose = d.o;
    for (int i = 0; i < kMinutesPerDay; ++i) {
      double line = double(d.o) + double(d.c - d.o) * (i + 1) / kMinutesPerDay;
      int64_t close = i == kMinutesPerDay - 1 ? d.c : int64_t(std::floor(line + bridge[i + 1] * scale + 0.5));
      close = clampCents(close, d.l, d.h);
      o[i] = prevClose;
      c[i] = close;
      int64_t wick = std::max<int64_t>(1, (d.h - d.l) / 30);
      h[i] = std::min(d.h, std::max(o[i], c[i]) + (rng.chance(0.5) ? rng.below(int(wick) + 1) : 0));
      l[i] = std::max(d.l, std::min(o[i], c[i]) - (rng.chance(0.5) ? rng.below(int(wick) + 1) : 0));
      prevClose = close;
    }
    int top = 0, bottom = 0;
    for (int i = 1; i < kMinutesPerDay; ++i) {
      if (h[i] > h[top]) top = i;
      if (l[i] < l[bottom]) bottom = i;
    }
    h[top] = d.h;
    l[bottom] = d.l;
  }

  double weight[kMinutesPerDay], total = 0;
  for (int i = 0; i < kMinutesPerDay; ++i) {
    double x = (i - 119.5) / 119.5;
    double w = 0.5 + 1.5 * x * x + (i < 5 ? (5 - i) * 0.6 : 0) + (i >= kMinutesPerDay - 3 ? 0.8 : 0);
    if (d.h > d.l) w *= 1 + 4.0 * double(h[i] - l[i]) / double(d.h - d.l);
    else w = i == 0 ? 60 : 0.1;  // one-price day: most of it in the opening auction
    w *= rng.between(0.6, 1.4);
    weight[i] = w;
    total += w;
  }
  int64_t lots[kMinutesPerDay], given = 0;
  for (int i = 0; i < kMinutesPerDay; ++i) {
    lots[i] = int64_t(double(d.lots) * weight[i] / total);
    given += lots[i];
  }
  for (int i = 0; given < d.lots; i = (i + 1) % kMinutesPerDay, ++given) lots[i] += 1;

  double dayAmount = 0;
  for (int i = 0; i < kMinutesPerDay; ++i) {
    MinuteBar m;
    m.date = date;
    m.time = sessionMinute(i);
    m.open = float(double(o[i]) / 100), m.high = float(double(h[i]) / 100);
    m.low = float(double(l[i]) / 100), m.close = float(double(c[i]) / 100);
    m.volume = double(lots[i]) * 100;
    m.amount = amountOf(lots[i], o[i], h[i], l[i], c[i]);
    dayAmount += m.amount;
    out.push_back(m);
  }
  return dayAmount;
}

size_t firstIndexOnOrAfter(const std::vector<int>& calendar, int date) {
  return size_t(std::lower_bound(calendar.begin(), calendar.end(), date) - calendar.begin());
}

void buildBars(Plan& p, uint64_t seed, const std::vector<int>& calendar, const std::vector<double>& market,
               size_t minuteStart) {
  Rng rng(seed ^ hashText(p.inst.code) ^ (uint64_t(p.inst.exchange) << 56));
  const size_t n = calendar.size();
  const size_t lastStart = n > 30 ? n - 30 : 0;
  size_t first = std::min(firstIndexOnOrAfter(calendar, p.firstListDate), lastStart);
  if (p.ipoInRange) first = std::max(first, size_t(rng.below(int(lastStart) + 1)));

  // Suspended spells: mostly a day or two, now and then several weeks.
  std::vector<bool> suspended(n, false);
  if (p.kind == Kind::Stock || p.kind == Kind::Beijing) {
    for (size_t t = first + 1; t < n; ++t) {
      if (!rng.chance(1.0 / 350)) continue;
      double u = rng.uniform();
      size_t len = u < 0.55 ? 1 : u < 0.85 ? size_t(2 + rng.below(4)) : size_t(6 + rng.below(20));
      for (size_t k = t; k < n && k < t + len; ++k) suspended[k] = true;
      t += len;
    }
    if (p.forcedSuspension && n > first + 40) {
      size_t at = first + (n - first) * 2 / 5;
      for (size_t k = at; k < at + 12; ++k) suspended[k] = true;
    }
  }

  const double alpha = 0.1, garchBeta = 0.85;
  double var = p.vol * p.vol, shock = 0, activity = 1;
  const double drifts[3] = {0.0015, -0.0014, 0};
  int regime = 2;
  int64_t prev = p.startCents;
  size_t pausedDays = 0;
  const double base = double(p.startCents) / 100;
  for (size_t t = first; t < n; ++t) {
    if (suspended[t]) {
      ++pausedDays;
      continue;
    }
    if (rng.chance(1.0 / 70)) regime = (regime + 1 + rng.below(2)) % 3;
    var = (1 - alpha - garchBeta) * p.vol * p.vol + alpha * shock * shock + garchBeta * var;
    double sigma = std::sqrt(var);
    shock = sigma * rng.normal();
    if (rng.chance(0.004)) shock += (rng.chance(0.5) ? 1 : -1) * sigma * rng.between(2, 4);  // news
    double drift = p.kind == Kind::Index || p.kind == Kind::Fund ? 0 : drifts[regime];
    // The whole day's volatility, market part included; half its square added back keeps the
    // median price from sinking by volatility drag alone.
    double dayVol = std::sqrt(var + p.beta * p.beta * kMarketVol * kMarketVol);
    double r = p.beta * market[t] + shock + drift + 0.5 * dayVol * dayVol +
               boundsPull(double(prev) / 100, p.kind, base);

    // Days that run to the limit, more often right after a long suspension.
    int event = 0;
    bool onePrice = false;
    if (p.limitPct && p.kind != Kind::Fund && rng.chance(pausedDays >= 5 ? 0.3 : 0.005)) {
      event = (r >= 0) == rng.chance(0.8) ? 1 : -1;
      onePrice = rng.chance(0.35);
    }
    pausedDays = 0;
    DayCents d = makeDay(rng, prev, p.limitPct, r, dayVol, event, onePrice, activity, p.baseLots);
    double amount = t >= minuteStart ? makeMinutes(rng, calendar[t], d, p.inst.minutes)
                                     : amountOf(d.lots, d.o, d.h, d.l, d.c);
    p.inst.days.push_back(dayBar(calendar[t], d, amount));
    prev = d.c;
  }
}

int addYears(int date, int years) {
  int y = date / 10000 + years, mmdd = date % 10000;
  if (mmdd == 229 && !isPlausibleDate(y * 10000 + 229)) mmdd = 228;
  return y * 10000 + mmdd;
}

}  // namespace

bool checkSampleOptions(const SampleOptions& o, std::string* error) {
  std::string msg;
  if (!isPlausibleDate(o.endDate) || o.endDate / 10000 < 2005 || o.endDate / 10000 > 2035)
    msg = "--end must be a date in 2005..2035 (the .lc1 date field ends in 2035)";
  else if (o.years < 1 || o.years > 30)
    msg = "--years must be 1..30";
  else if (o.count < 0 || o.count > 5000)
    msg = "--count must be 0..5000";
  else if (o.minuteDays < 0 || o.minuteDays > 2000)
    msg = "--minute-days must be 0..2000";
  if (error) *error = msg;
  return msg.empty();
}

SampleMarket generateSampleMarket(const SampleOptions& options) {
  SampleMarket m;
  int first = dateOfDayNumber(dayNumber(addYears(options.endDate, -options.years)) + 1);
  m.calendar = tradingCalendar(first, options.endDate);
  const size_t n = m.calendar.size();
  size_t minuteDays = std::min(size_t(options.minuteDays), n);
  // Minute dates must fit the .lc1 field, which starts in 2004.
  size_t minuteStart = std::max(n - minuteDays, firstIndexOnOrAfter(m.calendar, 20040101));

  Rng rng(options.seed);
  int lastListDate = n > 30 ? m.calendar[n - 30] : (n ? m.calendar[0] : options.endDate);
  std::vector<Plan> plans = specialPlans();
  std::vector<Plan> stocks = stockPlans(rng, options.count, lastListDate);
  plans.insert(plans.end(), std::make_move_iterator(stocks.begin()), std::make_move_iterator(stocks.end()));

  std::vector<double> market = marketFactor(options.seed, n);
  for (Plan& p : plans) buildBars(p, options.seed, m.calendar, market, minuteStart);

  auto order = [](Exchange e) { return e == Exchange::Shanghai ? 0 : e == Exchange::Shenzhen ? 1 : 2; };
  std::sort(plans.begin(), plans.end(), [&](const Plan& a, const Plan& b) {
    if (order(a.inst.exchange) != order(b.inst.exchange)) return order(a.inst.exchange) < order(b.inst.exchange);
    return a.inst.code < b.inst.code;
  });
  for (Plan& p : plans) m.instruments.push_back(std::move(p.inst));
  return m;
}

}  // namespace zor
