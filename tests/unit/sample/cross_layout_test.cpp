// One generated market, written in every layout, loads through the program's own loaders from
// each layout alone and from the DAT directory together with a vipdoc or THS directory: the
// same instruments are listed, and their daily and minute bars are the generated ones wherever
// the layout holds them.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "app/app_state.h"
#include "data/loaders.h"
#include "platform/text.h"
#include "sample_market/sample_market.h"
#include "temp_dir.h"
#include "test_ui.h"

namespace zor {
namespace {

int64_t cents(double v) { return int64_t(std::floor(v * 100 + 0.5)); }

bool closeTo(double got, double want, double relative) {
  return std::fabs(got - want) <= relative * std::fabs(want) + 1e-9;
}

// The generator's names use full-width capitals and the ideographic space; the program shows
// them in ASCII and without the space.
std::string shownName(const std::string& name) {
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = uint8_t(name[i]);
    if (c == 0xE3 && name.compare(i, 3, "\xE3\x80\x80") == 0) {
      i += 2;
    } else if (c == 0xEF && i + 2 < name.size() && uint8_t(name[i + 1]) == 0xBC) {
      out += char(uint8_t(name[i + 2]) - 0x60);
      i += 2;
    } else {
      out += char(c);
    }
  }
  return out;
}

// The listing rule: Shanghai codes 6xxxxx, Shenzhen 00xxxx or 30xxxx, no index names.
bool listed(const SampleInstrument& s) {
  bool code = s.exchange == Exchange::Shanghai ? s.code[0] == '6'
              : s.exchange == Exchange::Shenzhen ? (s.code.rfind("00", 0) == 0 || s.code.rfind("30", 0) == 0)
                                                 : false;
  return code && s.name.find("指数") == std::string::npos;
}

struct GeneratedFixture {
  SampleMarket market;
  TempDir dir{"sample_cross"};
  GeneratedFixture() {
    SampleOptions o;
    o.seed = 5, o.count = 24, o.years = 1, o.minuteDays = 4;
    market = generateSampleMarket(o);
    std::string error;
    bool ok = writeMarket(dir.path(), market.instruments, MarketLayouts{}, nullptr, &error);
    EXPECT_TRUE(ok) << error;
  }
};

const GeneratedFixture& fixture() {
  static const GeneratedFixture f;
  return f;
}

struct Scenario {
  const char* name;
  bool dat;
  const char* lc1;       // sub-directory used as the lc1 directory, or ""
  bool fullHistory;      // daily bars of the whole calendar (else only the minute days)
  double amountError;    // relative error the layouts' amount fields allow
};

constexpr Scenario kScenarios[] = {
    {"dat", true, "", true, 0},
    {"vipdoc", false, "vipdoc", true, 1e-6},
    {"ths", false, "ths", false, 1e-6},
    {"dat+vipdoc", true, "vipdoc", true, 1e-6},
    {"dat+ths", true, "ths", true, 0},
};

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }

class CrossLayout : public ::testing::TestWithParam<Scenario> {};

TEST_P(CrossLayout, LoadsTheGeneratedMarket) {
  const Scenario& sc = GetParam();
  const GeneratedFixture& f = fixture();
  TestUi ui;
  AppState app;
  app.ui = &ui;
  app.config.exeDir = f.dir.path();  // stock_names.txt is there, as beside the program
  if (sc.dat) app.config.datDir = f.dir.file("dat");
  if (*sc.lc1) app.config.lc1Dir = f.dir.file(sc.lc1);
  ASSERT_TRUE(loadAllStocks(app));
  for (const ShownBox& box : ui.boxes) ADD_FAILURE() << box.caption << ": " << box.text;

  std::map<std::string, const SampleInstrument*> expected;
  for (const SampleInstrument& s : f.market.instruments) {
    // A THS directory holds minute bars only: instruments without any are not there.
    bool present = sc.dat || std::string(sc.lc1) != "ths" || !s.minutes.empty();
    if (listed(s) && present) expected[strPrintf("%d:%s", datMarket(s.exchange), s.code.c_str())] = &s;
  }
  std::set<std::string> got;
  for (const StockRecord& r : app.market.stocks) got.insert(strPrintf("%d:%s", r.market, r.code.c_str()));
  std::set<std::string> want;
  for (const auto& [key, s] : expected) want.insert(key);
  ASSERT_EQ(got, want);

  const int firstMinuteDate = f.market.calendar[f.market.calendar.size() - 4];
  for (StockRecord& r : app.market.stocks) {
    const SampleInstrument& s = *expected.at(strPrintf("%d:%s", r.market, r.code.c_str()));
    SCOPED_TRACE(r.code);
    EXPECT_EQ(r.name, shownName(s.name));
    loadDayBars(app.market, r, app.mode.tradeMode);
    loadMinuteBars(app.market, r, app.mode.tradeMode);

    std::vector<const DayBar*> days;
    for (const DayBar& d : s.days)
      if (sc.fullHistory || d.dateInt() >= firstMinuteDate) days.push_back(&d);
    ASSERT_EQ(r.k.size(), days.size());
    for (size_t i = 0; i < days.size(); ++i) {
      const DayBar &a = r.k[i], &b = *days[i];
      ASSERT_EQ(a.dateInt(), b.dateInt());
      ASSERT_TRUE(cents(a.open) == cents(b.open) && cents(a.high) == cents(b.high) && cents(a.low) == cents(b.low) &&
                  cents(a.close) == cents(b.close))
          << b.date;
      ASSERT_EQ(a.volume, b.volume) << b.date;
      ASSERT_TRUE(closeTo(a.amount, b.amount, sc.amountError)) << b.date << " " << a.amount << " " << b.amount;
    }

    ASSERT_EQ(r.minAll.size(), s.minutes.size());
    for (size_t i = 0; i < s.minutes.size(); ++i) {
      const MinuteBar &a = r.minAll[i], &b = s.minutes[i];
      ASSERT_TRUE(a.date == b.date && a.time == b.time) << b.date << " " << b.time;
      ASSERT_TRUE(cents(a.open) == cents(b.open) && cents(a.high) == cents(b.high) && cents(a.low) == cents(b.low) &&
                  cents(a.close) == cents(b.close))
          << b.date << " " << b.time;
      ASSERT_EQ(a.volume, b.volume);
      ASSERT_TRUE(closeTo(a.amount, b.amount, sc.amountError)) << b.date << " " << b.time;
    }

    // The quote snapshot shows the last day against the day before it.
    ASSERT_FALSE(s.days.empty());
    EXPECT_EQ(cents(r.lastPrice), cents(s.days.back().close));
    if (s.days.size() > 1 && (sc.fullHistory || s.minutes.size() > size_t(kMinutesPerDay))) {
      EXPECT_EQ(cents(r.prevClose), cents(s.days[s.days.size() - 2].close));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, CrossLayout, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                           std::string n = info.param.name;
                           for (char& c : n)
                             if (c == '+') c = '_';
                           return n;
                         });

}  // namespace
}  // namespace zor
