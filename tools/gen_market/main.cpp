// gen_market --out DIR [--seed N] [--count N] [--years N] [--minute-days N] [--end YYYYMMDD]
//            [--layouts dat,vipdoc,ths] [--dat-layout 57|61]
//
// Writes one synthetic A-share market into DIR in the chosen layouts (see sample_market.h and
// market_writer.h) and prints a short summary. The same options give the same bytes.
//
// To try the program on it: DAT_DIR = DIR/dat, and LC1_DIR = DIR/vipdoc or DIR/ths (either
// works alone too); copy DIR/stock_names.txt beside the program to name vipdoc- and THS-only
// instruments.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "sample_market/sample_market.h"

namespace zor {
namespace {

const char kUsage[] =
    "usage: gen_market --out DIR [--seed N] [--count N] [--years N] [--minute-days N]\n"
    "                  [--end YYYYMMDD] [--layouts dat,vipdoc,ths] [--dat-layout 57|61]\n"
    "  --seed N         random seed (default 1); the same options write the same bytes\n"
    "  --count N        ordinary A-share stocks (default 300); indices, funds, B shares and\n"
    "                   Beijing codes are added on top\n"
    "  --years N        years of daily bars ending at --end (default 10)\n"
    "  --minute-days N  last trading days that also get 1-minute bars (default 60)\n"
    "  --end YYYYMMDD   last calendar day (default 20241231)\n"
    "  --layouts LIST   any of dat, vipdoc, ths (default all three)\n"
    "  --dat-layout N   index.dat entry size, 57 or 61 (default 61)\n";

bool parseInt(const char* text, long long lo, long long hi, long long& out) {
  char* end = nullptr;
  long long v = std::strtoll(text, &end, 10);
  if (!end || end == text || *end != '\0' || v < lo || v > hi) return false;
  out = v;
  return true;
}

bool parseLayouts(std::string_view list, MarketLayouts& layouts) {
  layouts.dat = layouts.vipdoc = layouts.ths = false;
  while (!list.empty()) {
    size_t comma = list.find(',');
    std::string_view item = list.substr(0, comma);
    if (item == "dat") layouts.dat = true;
    else if (item == "vipdoc") layouts.vipdoc = true;
    else if (item == "ths") layouts.ths = true;
    else return false;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return layouts.dat || layouts.vipdoc || layouts.ths;
}

const char* kindOf(const SampleInstrument& s) {
  int pct = priceLimitPercent(s.exchange, s.code, s.name);
  if (pct == 0) return "indices";
  if (s.exchange == Exchange::Beijing) return "Beijing";
  const std::string& c = s.code;
  if (s.exchange == Exchange::Shanghai) return c[0] == '6' ? (c.compare(0, 2, "68") == 0 ? "688" : "600-605") : "other sh";
  if (c.compare(0, 2, "00") == 0) return "000-003";
  if (c.compare(0, 2, "30") == 0) return "300/301";
  return "other sz";
}

int run(int argc, char** argv) {
  SampleOptions opt;
  MarketLayouts layouts;
  std::string out;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "gen_market: %s needs a value\n%s", arg.c_str(), kUsage);
      return 2;
    }
    const char* value = argv[++i];
    long long v = 0;
    bool ok = true;
    if (arg == "--out") out = value;
    else if (arg == "--seed") ok = parseInt(value, 0, INT64_MAX, v), opt.seed = uint64_t(v);
    else if (arg == "--count") ok = parseInt(value, 0, 5000, v), opt.count = int(v);
    else if (arg == "--years") ok = parseInt(value, 1, 30, v), opt.years = int(v);
    else if (arg == "--minute-days") ok = parseInt(value, 0, 2000, v), opt.minuteDays = int(v);
    else if (arg == "--end") ok = parseInt(value, 0, 99999999, v), opt.endDate = int(v);
    else if (arg == "--layouts") ok = parseLayouts(value, layouts);
    else if (arg == "--dat-layout") ok = parseInt(value, 57, 61, v) && (v == 57 || v == 61), layouts.datEntrySize = int(v);
    else {
      std::fprintf(stderr, "gen_market: unknown option %s\n%s", arg.c_str(), kUsage);
      return 2;
    }
    if (!ok) {
      std::fprintf(stderr, "gen_market: bad value for %s: %s\n", arg.c_str(), value);
      return 2;
    }
  }
  std::string error;
  if (out.empty()) {
    std::fprintf(stderr, "gen_market: --out DIR is required\n%s", kUsage);
    return 2;
  }
  if (!checkSampleOptions(opt, &error)) {
    std::fprintf(stderr, "gen_market: %s\n", error.c_str());
    return 2;
  }

  auto t0 = std::chrono::steady_clock::now();
  SampleMarket market = generateSampleMarket(opt);
  WriteStats stats;
  if (!writeMarket(out, market.instruments, layouts, &stats, &error)) {
    std::fprintf(stderr, "gen_market: %s\n", error.c_str());
    return 1;
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

  std::map<std::string, int> kinds;
  size_t dayBars = 0, minuteBars = 0;
  for (const SampleInstrument& s : market.instruments) {
    kinds[kindOf(s)] += 1;
    dayBars += s.days.size();
    minuteBars += s.minutes.size();
  }
  std::printf("gen_market: %zu instruments (", market.instruments.size());
  const char* sep = "";
  for (const auto& [kind, n] : kinds) std::printf("%s%s %d", sep, kind.c_str(), n), sep = ", ";
  std::printf(")\n");
  if (!market.calendar.empty())
    std::printf("  %zu trading days %d..%d, minute bars on the last %d\n", market.calendar.size(),
                market.calendar.front(), market.calendar.back(),
                opt.minuteDays < int(market.calendar.size()) ? opt.minuteDays : int(market.calendar.size()));
  std::printf("  %zu daily bars, %zu minute bars\n", dayBars, minuteBars);
  std::printf("  %d files, %.1f MB in %s (%.1f s)\n", stats.files, double(stats.bytes) / 1e6, out.c_str(), seconds);
  return 0;
}

}  // namespace
}  // namespace zor

int main(int argc, char** argv) { return zor::run(argc, argv); }
