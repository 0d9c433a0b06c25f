// zorcli bars: one instrument's display series of a period, one bar a line.
#include "zorcli.h"

#include "data/series.h"
#include "platform/text.h"

namespace zor::cli {

int cmdBars(const Options& opt) {
  if (opt.positional.size() != 2) {
    err("用法: zorcli bars [--dat DIR] [--lc1 DIR] [--mode 0|1] CODE PERIOD");
    return kExitUsage;
  }
  int period = 0;
  if (!periodArgument(opt, period)) return kExitUsage;
  Session s;
  DisplaySeriesPtr series = instrumentSeries(s, opt, period);
  if (!series) return kExitFailure;
  OutBuffer o;
  o.line() = "date,open,high,low,close,volume,amount";
  o.endLine();
  for (const DayBar& b : *series) {
    std::string& line = o.line();
    bool priced = isValidBar(b);
    line.assign(b.dateText());
    for (double p : {b.open, b.high, b.low, b.close}) {
      line += ',';
      if (priced) appendCsvNumber(line, p);
    }
    line += ',';
    appendCsvNumber(line, b.volume);
    line += ',';
    appendCsvNumber(line, b.amount);
    o.endLine();
  }
  return kExitOk;
}

}  // namespace zor::cli
