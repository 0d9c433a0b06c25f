// zorcli calc: runs a formula over one instrument's display series and prints every output
// line bar by bar, so that values can be checked outside the program.
#include <cstdlib>

#include "chart/formula_input.h"
#include "data/series.h"
#include "formula/formula.h"
#include "formula/formula_params.h"
#include "platform/text.h"
#include "zorcli.h"

namespace zor::cli {

namespace {

// "N=5,M=3" into parameters whose defaults are the given values.
bool parseParams(const std::string& text, std::vector<FormulaParam>& params, std::string& error) {
  size_t p = 0;
  while (p < text.size()) {
    size_t comma = text.find(',', p);
    std::string item = text.substr(p, comma == std::string::npos ? std::string::npos : comma - p);
    p = comma == std::string::npos ? text.size() : comma + 1;
    size_t eq = item.find('=');
    std::string name(trim(item.substr(0, eq == std::string::npos ? 0 : eq)));
    std::string value(trim(eq == std::string::npos ? std::string() : item.substr(eq + 1)));
    char* end = nullptr;
    double v = std::strtod(value.c_str(), &end);
    if (eq == std::string::npos || name.empty() || value.empty() || *end != '\0') {
      error = "参数格式应为 名称=数值,名称=数值: " + item;
      return false;
    }
    params.push_back({name, v, v, v});
  }
  return true;
}

// hhmm of a minute-period bar from its "MM-DD HH:MM" label; 0 when it has none.
int32_t labelTime(const DayBar& b) {
  std::string_view d = b.dateText();
  if (d.size() < 11 || d[5] != ' ' || d[8] != ':') return 0;
  return int32_t(std::atoi(std::string(d.substr(6, 2)).c_str()) * 100 + std::atoi(std::string(d.substr(9, 2)).c_str()));
}

}  // namespace

int cmdCalc(const Options& opt) {
  if (opt.positional.size() != 2 || opt.has("text") == opt.has("formula")) {
    err("用法: zorcli calc [--dat DIR] [--lc1 DIR] [--mode 0|1] CODE PERIOD --text 公式 [--params N=5,M=3]");
    err("      zorcli calc ... CODE PERIOD --formula 名称 [--formula-file 公式文件] [--params N1=5]");
    return kExitUsage;
  }
  int period = 0;
  if (!periodArgument(opt, period)) return kExitUsage;
  FormulaDef def;
  std::string error;
  if (opt.has("formula")) {
    if (int status = calcFormulaFromOptions(opt, def, error); status != kExitOk) {
      err(error);
      return status;
    }
  } else {
    def.source = opt.get("text");
    if (opt.has("params") && !parseParams(opt.get("params"), def.params, error)) {
      err(error);
      return kExitUsage;
    }
    // As the import does: names the text uses without declaring them get their conventional
    // defaults (N 9, M 3, ...), reported on stderr so that the CSV stays clean.
    std::vector<std::string> added;
    if (!compileWithParamCompletion(def.source, def.params, added, error)) {
      err(error);
      return kExitFailure;
    }
    if (!added.empty()) {
      std::string note;
      for (const FormulaParam& p : def.params) {
        for (const std::string& a : added) {
          if (a == p.name) note += (note.empty() ? "" : " ") + p.name + "=" + csvNumber(p.defaultValue);
        }
      }
      err("已按惯例补上未声明的参数: " + note);
    }
  }
  Session s;
  DisplaySeriesPtr series = instrumentSeries(s, opt, period);
  if (!series) return kExitFailure;
  const std::vector<DayBar>& bars = *series;
  // Day-based bars carry their date; minute-period labels carry the time but not the year.
  std::vector<int32_t> dates, times;
  if (isMinutePeriod(period)) {
    for (const DayBar& b : bars) times.push_back(labelTime(b));
  } else {
    dates = dayBarDates(bars);
    times.assign(bars.size(), 0);
  }
  FormulaInput input = makeFormulaInput(bars, dates, times);
  std::vector<OutputLine> lines;
  std::vector<DrawingItem> drawings;
  if (!compileAndRunFormula(def, input, lines, drawings, error)) {
    err(error);
    return kExitFailure;
  }
  std::string table = formulaLinesCsv(bars, lines);
  std::fwrite(table.data(), 1, table.size(), stdout);
  return kExitOk;
}

}  // namespace zor::cli
