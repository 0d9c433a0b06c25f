// Loader benchmarks: the table build over 5,000 instruments and the minute load of an
// instrument with 200,000 minute bars. Targets on the development machine: loadAllStocks
// under 0.3 s, loadMinuteBars under 30 ms. The data is written once into a temporary folder.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/app_state.h"
#include "data/loaders.h"
#include "platform/text.h"
#include "sample_market/market_writer.h"

namespace zor {
namespace {

constexpr int kInstruments = 5000;
constexpr int kMinuteBars = 200000;

std::string benchDir(const char* name) {
  auto p = std::filesystem::temp_directory_path() / (std::string("zorbench_") + name);
  std::filesystem::create_directories(p);
  return p.string() + "/";
}

// Writes a file, creating its folders; a failure ends the benchmark run.
void put(const std::string& path, std::string_view bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  if (!writeBinaryFile(path, bytes)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

std::vector<int> tradingDays(int count, int last = 20241231) {
  std::vector<int> out;
  for (int date = last; int(out.size()) < count && date >= 19900101; --date) {
    if (!isPlausibleDate(date)) continue;
    int w = weekdayOf(date);
    if (w >= 1 && w <= 5) out.push_back(date);
  }
  return std::vector<int>(out.rbegin(), out.rend());
}

std::vector<DayBar> dailyBars(const std::vector<int>& dates, double base) {
  std::vector<DayBar> out;
  for (size_t i = 0; i < dates.size(); ++i) {
    DayBar b;
    b.setDate(dates[i]);
    double p = base + double(i % 50) * 0.01;
    b.open = p, b.high = p + 0.2, b.low = p - 0.2, b.close = p + 0.05, b.volume = 1e6, b.amount = 1e7;
    out.push_back(b);
  }
  return out;
}

std::vector<MinuteBar> minuteBars(const std::vector<int>& dates, float base) {
  std::vector<MinuteBar> out;
  out.reserve(dates.size() * 240);
  for (int date : dates)
    for (int j = 0; j < 240; ++j) {
      MinuteBar m;
      m.date = date, m.time = j < 120 ? 571 + j : 661 + j;
      float p = base + float(j % 20) * 0.01f;
      m.open = p, m.high = p + 0.02f, m.low = p - 0.02f, m.close = p + 0.01f, m.volume = 1000, m.amount = 10000;
      out.push_back(m);
    }
  return out;
}

std::string codeOf(int i) { return i < kInstruments / 2 ? strPrintf("%06d", i + 1) : strPrintf("6%05d", i); }
int marketOf(int i) { return i < kInstruments / 2 ? 0 : 1; }

// DAT index of 5,000 instruments with DAT files for the first 100 (the first 60 load at
// start-up) and a THS history directory of 5,000 .min files.
struct TableData {
  std::string dir = benchDir("table");
  TableData() {
    if (std::filesystem::exists(dir + "ready")) return;
    std::vector<IndexEntry> entries;
    std::vector<int> days = tradingDays(5000);
    std::vector<MinuteBar> mins = minuteBars(tradingDays(2), 10.f);
    for (int i = 0; i < kInstruments; ++i) {
      IndexEntry e;
      e.code = codeOf(i), e.name = "股票" + codeOf(i), e.market = marketOf(i), e.lastClose = 10, e.prevClose = 9.9f;
      entries.push_back(e);
      if (i < 100) put(dir + "dat/" + datFileName(e.market, e.code), datFileBytes(dailyBars(days, 10), {}));
      // THS-only codes differ from the DAT codes so that every file is probed.
      std::string thsCode = marketOf(i) == 0 ? strPrintf("30%04d", i) : strPrintf("68%04d", i);
      put(dir + "ths/history/" + (marketOf(i) ? "shase" : "sznse") + "/min/" + e.code + ".min",
                      thsMinBytes(mins));
      put(dir + "thsonly/history/" + (marketOf(i) ? "shase" : "sznse") + "/min/" + thsCode + ".min",
                      thsMinBytes(mins));
    }
    put(dir + "dat/index.dat", indexDatBytes(entries));
    put(dir + "ready", "1");
  }
};

void BM_LoadAllStocks_DatAndThs(benchmark::State& state) {
  TableData data;
  for (auto _ : state) {
    AppState app;
    app.config.exeDir = data.dir;
    app.config.datDir = data.dir + "dat";
    app.config.lc1Dir = data.dir + "ths";
    if (!loadAllStocks(app) || app.market.stocks.size() != size_t(kInstruments)) state.SkipWithError("table not built");
    benchmark::DoNotOptimize(app.market.stocks.data());
  }
}
BENCHMARK(BM_LoadAllStocks_DatAndThs)->Unit(benchmark::kMillisecond);

// Every .min file unknown to the DAT index: each one is probed for its closes.
void BM_LoadAllStocks_DatPlusThsOnlyFiles(benchmark::State& state) {
  TableData data;
  for (auto _ : state) {
    AppState app;
    app.config.exeDir = data.dir;
    app.config.datDir = data.dir + "dat";
    app.config.lc1Dir = data.dir + "thsonly";
    if (!loadAllStocks(app) || app.market.stocks.size() != size_t(2 * kInstruments)) state.SkipWithError("table not built");
    benchmark::DoNotOptimize(app.market.stocks.data());
  }
}
BENCHMARK(BM_LoadAllStocks_DatPlusThsOnlyFiles)->Unit(benchmark::kMillisecond);

// One instrument with 200,000 minute bars in its DAT file and 200,000 in its .lc1 file, half
// of the days overlapping.
struct MinuteData {
  std::string dir = benchDir("minutes");
  MinuteData() {
    if (std::filesystem::exists(dir + "ready")) return;
    std::vector<int> days = tradingDays(kMinuteBars / 240 + 417);  // 1250 days
    std::vector<int> datDays(days.begin(), days.begin() + 834), lc1Days(days.begin() + 417, days.end());
    std::vector<MinuteBar> dat = minuteBars(datDays, 10.f), lc1 = minuteBars(lc1Days, 11.f);
    dat.resize(kMinuteBars), lc1.resize(kMinuteBars);
    put(dir + "dat/1.600000.dat", datFileBytes(dailyBars(tradingDays(5000, days.front()), 10), dat));
    put(dir + "lc1/sh/minline/sh600000.lc1", vipdocLc1Bytes(lc1));
    put(dir + "lc1/sh/lday/sh600000.day", vipdocDayBytes(dailyBars(tradingDays(10, days.front()), 10)));
    put(dir + "ready", "1");
  }
};

void loadMinutes(benchmark::State& state, bool dat, bool lc1) {
  MinuteData data;
  AppState app;
  app.config.exeDir = data.dir;
  app.config.datDir = data.dir + "dat";
  app.config.lc1Dir = data.dir + "lc1";
  StockRecord base;
  base.code = "600000", base.market = 1, base.hasDat = dat, base.hasLc1 = lc1, base.dataFile = "1.600000.dat";
  loadDayBars(app.market, base, app.mode.tradeMode);
  for (auto _ : state) {
    state.PauseTiming();
    StockRecord rec = base;
    state.ResumeTiming();
    loadMinuteBars(app.market, rec, app.mode.tradeMode);
    if (rec.minAll.empty()) state.SkipWithError("no minutes");
    benchmark::DoNotOptimize(rec.minAll.data());
    state.counters["bars"] = double(rec.minAll.size());
  }
}
void BM_LoadMinuteBars_Dat(benchmark::State& s) { loadMinutes(s, true, false); }
void BM_LoadMinuteBars_Lc1(benchmark::State& s) { loadMinutes(s, false, true); }
void BM_LoadMinuteBars_DatAndLc1(benchmark::State& s) { loadMinutes(s, true, true); }
BENCHMARK(BM_LoadMinuteBars_Dat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMinuteBars_Lc1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMinuteBars_DatAndLc1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zor

BENCHMARK_MAIN();
